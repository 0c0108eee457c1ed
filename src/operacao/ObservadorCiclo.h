#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

struct TRegistroTratado;

// The polling interval, from the end of one cycle to the start of the next,
// unless a test shortens it.
inline constexpr int IntervaloCicloPadraoMs = 59000;

// One connection a cycle used, as it stood when the cycle ended: open and
// not lost, or not, and since when it has been so (the end of the first
// cycle that found it in that state).
struct TEstadoConexao {
    QString Nome;  // "KoDatabase1", "KoDatabase2"
    bool Ativa = false;
    QDateTime Desde;
};

// A polling cycle that has begun and not ended.
struct TCicloEmAndamento {
    QString Integracao;  // the caption of the machine type it runs
    QDateTime Inicio;
};

// How a polling cycle went.
struct TFimCiclo {
    QString Integracao;  // the caption of the machine type it ran
    QDateTime Inicio;
    QDateTime Fim;
    int Falhas = 0;      // records that failed and wait for the next cycle
    QString Erro;        // what escaped and ended it; empty when nothing did
    QList<TEstadoConexao> Conexoes;
    // Records the integration reported one by one, and how many went
    // through; none when it reported none.
    std::optional<quint64> Enviados;
    // Pending rows of its queue at the cycle's end, where counting them is
    // cheap; none otherwise.
    std::optional<qint64> Pendentes;
    // The polling interval when it ended: the next cycle was due that long
    // after its end.
    int IntervaloMs = IntervaloCicloPadraoMs;
};

// A database call that has run past its limit, as the call watchdog says
// it: the cycle (or a check) waits for it until it ends.
struct TChamadaSemResposta {
    quint64 Id = 0;      // unique for the life of the process
    QString Operacao;    // "comando", "commit", ...
    QString Conexao;     // the connection component's name ("KoDatabase2"); "?" when it has none
    QDateTime Inicio;    // when the call began
    int LimiteMs = 0;    // how long it should have taken at most
};

// Told of every polling cycle of the monitor core: the cycle's start and end
// on the core's thread, each record on the cycle's thread. What the site's
// monitoring (the journal, the counters, systemd) is made of.
class TObservadorCiclo {
public:
    virtual ~TObservadorCiclo() = default;
    virtual void CicloIniciado(const TCicloEmAndamento& ciclo) = 0;
    virtual void CicloTerminado(const TFimCiclo& fim) = 0;
    // One record handled, with the lines of the log pane it wrote, on the
    // cycle's thread (not the observer's).
    virtual void RegistroTratado(const QString& /*integracao*/, const TRegistroTratado& /*registro*/,
                                 const QString& /*linhas*/) {}
    // An operator's action on a record ("Reenviar") that was done, on the
    // cycle's thread: no cycle's record, so no counter takes it; the journal
    // keeps it at once.
    virtual void AcaoRegistrada(const QString& /*integracao*/, const TRegistroTratado& /*registro*/,
                                const QString& /*linhas*/) {}
    // The cycle's work is done, on the cycle's thread, before CicloTerminado
    // comes on the core's: what an observer keeps of the cycle is kept
    // before the cycle counts as ended.
    virtual void CicloConcluidoNaThread(const TFimCiclo& /*fim*/) {}
    // The run of a monitor that polls until it is stopped: its start, and
    // its clean stop before its connections close; on the cycle's thread.
    virtual void ExecucaoIniciada(const QDateTime& /*inicio*/) {}
    virtual void ExecucaoParada(const QDateTime& /*parada*/) {}
    // A call has run past its limit, and later ended; on the core's thread
    // (the cycle's may be the one waiting for it).
    virtual void ChamadaSemResposta(const TChamadaSemResposta& /*chamada*/) {}
    virtual void ChamadaTerminada(const TChamadaSemResposta& /*chamada*/) {}
};
