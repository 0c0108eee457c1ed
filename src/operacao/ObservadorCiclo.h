#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

struct TRegistroTratado;


// One connection a cycle used, as it stood when the cycle ended: open and
// not lost, or not.
struct TEstadoConexao {
    QString Nome;  // "KoDatabase1", "KoDatabase2"
    bool Ativa = false;
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
};

// Told of every polling cycle of the monitor core, on the core's thread:
// what the site's monitoring (metrics, health, systemd) is made of.
class TObservadorCiclo {
public:
    virtual ~TObservadorCiclo() = default;
    virtual void CicloIniciado(const QString& integracao, const QDateTime& inicio) = 0;
    virtual void CicloTerminado(const TFimCiclo& fim) = 0;
    // One record handled, on the cycle's thread (not the observer's).
    virtual void RegistroTratado(const QString& /*integracao*/, const TRegistroTratado& /*registro*/) {}
};
