#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

// Helpers of the tests of the site's monitoring: a real datagram socket for
// systemd's notifications and a plain HTTP GET.

// A unix datagram socket, as systemd gives a Type=notify service in
// NOTIFY_SOCKET; each datagram is kept with the time it came, read on a
// thread of its own.
class TSocketNotificacao {
public:
    using TRelogio = std::chrono::steady_clock;
    struct TDatagrama {
        TRelogio::time_point Chegada;
        QString Texto;
    };

    TSocketNotificacao();
    ~TSocketNotificacao();
    TSocketNotificacao(const TSocketNotificacao&) = delete;
    TSocketNotificacao& operator=(const TSocketNotificacao&) = delete;

    const QString& Caminho() const { return FCaminho; }
    std::vector<TDatagrama> Recebidos() const;
    // The texts received so far, in order, without the watchdog's pings.
    QStringList Avisos() const;
    // The watchdog's pings received between the two moments.
    int Pings(TRelogio::time_point de, TRelogio::time_point ate) const;
    // Waits (handling this thread's events) until a datagram has `texto`.
    bool Espera(const QString& texto, int limiteMs) const;

private:
    QString FCaminho;
    int FSocket = -1;
    std::atomic<bool> FParar = false;
    mutable std::mutex FMutex;
    std::vector<TDatagrama> FRecebidos;
    std::thread FLeitor;
};

// One GET on 127.0.0.1, blocking, from any thread.
struct TRespostaHttp {
    int Status = 0;  // 0: no answer
    QByteArray Tipo;
    QByteArray Corpo;
};
TRespostaHttp HttpGet(quint16 porta, const QByteArray& caminho, int limiteMs = 10000);

// A plain exchange on 127.0.0.1 over a socket of its own, blocking, from
// any thread: what the server answered to `pedido` (raw bytes, sent as they
// are), and whether it then closed the connection. Every wait is bounded
// by `limiteMs`.
class TClienteHttp {
public:
    explicit TClienteHttp(quint16 porta, int limiteMs = 10000);
    ~TClienteHttp();
    TClienteHttp(const TClienteHttp&) = delete;
    TClienteHttp& operator=(const TClienteHttp&) = delete;

    bool Conectado() const { return FSocket >= 0; }
    void Envia(const QByteArray& dados);
    // One answer: its head, and the body its Content-Length announces (none
    // after a HEAD when `semCorpo`).
    TRespostaHttp LeResposta(bool semCorpo = false);
    // Whether the server closes the connection (end of stream or reset)
    // before `limiteMs`.
    bool EsperaFechamento(int limiteMs);

private:
    int FSocket = -1;
    int FLimiteMs;
    QByteArray FRecebido;
};

// `total` connections to 127.0.0.1:porta that send nothing, made at once
// (the connects run side by side). The descriptors of those the server
// took; `limiteMs` bounds the wait.
std::vector<int> AbreConexoesOciosas(quint16 porta, int total, int limiteMs);
// How many of `conexoes` the server has closed, waiting until all are or
// `limiteMs` passes; each is closed here too.
int FechadasPeloServidor(const std::vector<int>& conexoes, int limiteMs);
// Raises this process's limit of open files to `minimo` (within the hard
// limit); false when the hard limit is lower.
bool ElevaLimiteDeArquivos(int minimo);
// A TCP port of 127.0.0.1 free right now.
quint16 PortaLivre();
// Connections the system holds on the server's side of 127.0.0.1:porta
// (taken by the server, or waiting for it to take them), read from
// /proc/net/tcp: whether none is left before `limiteMs` passes.
bool EsperaSemConexoesNaPorta(quint16 porta, int limiteMs);
