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
