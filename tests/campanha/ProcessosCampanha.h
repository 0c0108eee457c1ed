#pragma once

#include "MonitorEmExecucao.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>

#include <memory>

// One line a monitor wrote, with the campaign's moment it was read.
struct TLinhaMonitor {
    qint64 Ms = 0;
    QString Texto;  // standard error's lines begin with "stderr: "
};

// A quelix --sem-janela in a folder of its own, killed and started again
// as the plan says; its lines are kept, stamped, across the restarts.
class TMonitorCampanha {
public:
    TMonitorCampanha(QString nome, QString executavel, QString pasta, int intervaloMs, const QElapsedTimer& relogio);
    ~TMonitorCampanha();

    void Inicia();
    // Reads what the monitor wrote since the last call, without waiting.
    void Le();
    // kill -9, and the process reaped.
    void Mata();
    // SIGSTOP, returning once the process is stopped: from then on it
    // commits nothing, and what the databases and its journal show stays as
    // it is until it is killed.
    void Congela();
    qint64 Pid() const { return FProcesso ? FProcesso->Pid() : 0; }
    // SIGTERM; the exit status (-1 when it did not end within 30 s).
    int Termina();
    bool Rodando() const { return FProcesso && FProcesso->Rodando(); }

    const QString& Nome() const { return FNome; }
    const QString& Pasta() const { return FPasta; }
    const QList<TLinhaMonitor>& Linhas() const { return FLinhas; }
    // The lines read between the two moments.
    QStringList LinhasEntre(qint64 deMs, qint64 ateMs) const;
    int Inicios() const { return FInicios; }

private:
    QString FNome;
    QString FExecutavel;
    QString FPasta;
    int FIntervaloMs;
    const QElapsedTimer& FRelogio;
    std::unique_ptr<TMonitorEmExecucao> FProcesso;
    qsizetype FLidas = 0;
    qsizetype FErrosLidos = 0;
    QList<TLinhaMonitor> FLinhas;
    int FInicios = 0;
};

// The project's test SOAP service on a port of the campaign's, driven
// through its control API; it is stopped and started again for the faults
// that refuse connections. The requests it received are kept across its
// restarts.
class TServicoCampanha {
public:
    TServicoCampanha(QString executavel, int porta);
    ~TServicoCampanha();

    void Inicia();
    // Stops it at once; what it had received is read first.
    void Para();
    bool Rodando() const { return FProcesso.state() != QProcess::NotRunning; }

    // POST /controle/modo (servico or operacao empty: all of them).
    void Modo(const QString& servico, const QString& operacao, const QString& resposta,
              const QString& extra = {});
    // Every request received, this run of the service's and those before.
    QList<QJsonObject> Pedidos();

    QString Local(const QString& interface) const;
    int Porta() const { return FPorta; }

private:
    QJsonArray PedidosDoProcesso();

    QString FExecutavel;
    int FPorta;
    QProcess FProcesso;
    QList<QJsonObject> FAnteriores;
};

// One HTTP/1.1 request on 127.0.0.1, blocking; the status (0: no answer) and the body.
struct TRespostaCampanha {
    int Status = 0;
    QByteArray Corpo;
};
TRespostaCampanha PedidoHttp(int porta, const QByteArray& metodo, const QByteArray& caminho, int limiteMs = 15000);
