#pragma once

#include "operacao/ObservadorCiclo.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

// Whether the monitor is doing its work: the one rule that /saude, `quelix
// --estado`, the window's status bar and systemd ask, fed from a running
// monitor's counters or from its journal.

// [Monitor] LimiteCicloSegundos when it is not set: the longest a cycle may run.
inline constexpr int LimiteCicloPadraoSegundos = 1800;

// Why the monitor is not healthy.
enum class TFalhaSaude {
    Nenhuma,
    Parado,               // polling is off
    ChamadaSemResposta,   // a database call waits past its limit
    ErroNoCiclo,          // an error escaped the last cycle that ended
    CicloAlemDoLimite,    // the cycle in progress has run past the bound
    SemCiclo,             // no cycle within three intervals
};

struct TSaude {
    bool Saudavel = false;
    TFalhaSaude Falha = TFalhaSaude::Nenhuma;
    QString Motivo;  // why not; empty when healthy
};

// What the rule weighs besides the cycles.
struct TParametrosSaude {
    bool Monitorando = false;   // polling on: the timer runs, or a cycle does
    qint64 IntervaloMs = 0;     // between the end of a cycle and the next start
    qint64 LimiteCicloMs = 0;   // the longest a cycle may run
};

// Everything the rule looks at.
struct TFatosSaude {
    TParametrosSaude Parametros;
    QDateTime Desde;  // when watching began; what "no cycle yet" counts from
    std::optional<TFimCiclo> UltimoCiclo;  // the last that ended
    std::optional<TCicloEmAndamento> CicloAtual;
    // The database calls waiting past their limits, as the call watchdog
    // says them ("SELECT em KoDatabase2 há 40 s (limite de 30 s)").
    QStringList ChamadasSemResposta;
};

// Healthy when polling is on; no database call waits past its limit; no
// error escaped the last cycle that ended; a cycle in progress has not run
// past the bound; and, between cycles, the last one ended (or, before the
// first, watching began) within three intervals. A long cycle is not a
// stopped one: while it runs it is judged by the bound and by its calls.
TSaude AvaliaSaude(const TFatosSaude& fatos, const QDateTime& agora);
