#pragma once

#include "monitor/Monitora.h"

class TRelatorConsole;
class TSupervisao;

// The monitor without a window, on a QCoreApplication that already exists.
// Each mode stops at SIGINT or SIGTERM (servico/SinaisDeParada.h); each needs
// BloqueiaSinaisDeParada() first.

// Exit statuses of --ciclo and --simula.
enum class TStatusCiclo {
    Concluido = 0,      // the cycle ran and every record went through
    Interrompido = 1,   // an error escaped start-up or the cycle
    ComFalhas = 3,      // the cycle ran; some records failed and wait for the next one
};

// --ciclo: start-up, one polling cycle of the configured machine type at
// once, then the shut-down; a signal ends the process at once.
TStatusCiclo ExecutaUmCiclo(TMonitora& monitora);

// quelix --verifica: start-up without polling, the checks of the active
// model (one line each on standard output) and the shut-down; 0 when all
// passed, 1 otherwise. `pastaOcupada` says which other monitor holds the
// folder, empty when none does. The keys of the web console in `ini` are
// checked too.
int ExecutaVerificacao(TMonitora& monitora, TRelatorConsole& relator, const QList<TComandoCatalogo>& catalogo,
                       const QString& pastaOcupada, const TConfiguracao& ini);

// quelix --simula: start-up without polling, one simulated cycle of the
// configured machine type (TMonitora::SimulaCiclo), shut-down.
TStatusCiclo ExecutaSimulacao(TMonitora& monitora);

// --sem-janela: start-up, then polling at the monitor's interval as the
// window does, until SIGINT or SIGTERM; then the shut-down. An error that
// escapes start-up or a cycle is reported and polling goes on. `supervisao`
// (the metrics endpoint, systemd's notifications) is told when start-up has
// ended and when shut-down begins. Returns the exit status (0).
int ExecutaSemJanela(TMonitora& monitora, TSupervisao& supervisao);

// quelix --reenvia ORDEM: start-up without polling, "Reenviar" of that
// queue row by `autor` (TMonitora::PedeReenvio), shut-down. Beside a
// monitor running in the folder too: the guarded update and the journal
// take a second writer. 0 when the row went back to pending (the log line
// says so), 1 when not (the reason on standard error).
int ExecutaReenvio(TMonitora& monitora, TRelator& relator, qint64 ordem, const TAutorAcao& autor);
