#pragma once

#include <QDateTime>
#include <QList>
#include <QString>


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
};

// Told of every polling cycle of the monitor core, on the core's thread:
// what the site's monitoring (metrics, health, systemd) is made of.
class TObservadorCiclo {
public:
    virtual ~TObservadorCiclo() = default;
    virtual void CicloIniciado(const QString& integracao, const QDateTime& inicio) = 0;
    virtual void CicloTerminado(const TFimCiclo& fim) = 0;
};
