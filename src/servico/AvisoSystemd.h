#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

// What a monitor run as a systemd service (Type=notify) tells systemd
// through sd_notify: READY=1 once start-up is done, STATUS= with the last
// cycle's summary, STOPPING=1 at shut-down, and WATCHDOG=1 at half the
// unit's WatchdogSec while `vivo` says so. The pings come from a timer of the
// thread of the process's main loop, so a loop that stopped sends none, and
// `vivo` withholds them while a cycle runs past its bound: systemd then
// restarts a monitor stuck inside one cycle. Outside systemd (no
// NOTIFY_SOCKET) nothing is sent.
class TAvisoSystemd : public QObject {
public:
    explicit TAvisoSystemd(std::function<bool()> vivo);

    void Pronto(const QString& status);
    void Status(const QString& status);
    void Parando();

private:
    static void Notifica(const QString& estado);

    std::function<bool()> FVivo;
    QTimer FWatchdog;
};
