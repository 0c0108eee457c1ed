#include "servico/AvisoSystemd.h"

#include <systemd/sd-daemon.h>

#include <algorithm>

namespace {

// One line per assignment: a line break inside the text would start
// another one.
QString UmaLinha(const QString& texto)
{
    QString linha = texto;
    linha.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    return linha;
}

} // namespace

TAvisoSystemd::TAvisoSystemd(std::function<bool()> vivo) : FVivo(std::move(vivo))
{
    uint64_t microssegundos = 0;
    if (sd_watchdog_enabled(0, &microssegundos) <= 0 || microssegundos == 0)
        return;
    FWatchdog.setInterval(int(std::max<uint64_t>(1, microssegundos / 2000)));
    connect(&FWatchdog, &QTimer::timeout, this, [this] {
        if (FVivo())
            Notifica(QStringLiteral("WATCHDOG=1"));
    });
    FWatchdog.start();
}

void TAvisoSystemd::Pronto(const QString& status)
{
    Notifica(QStringLiteral("READY=1\nSTATUS=") + UmaLinha(status));
}

void TAvisoSystemd::Status(const QString& status) { Notifica(QStringLiteral("STATUS=") + UmaLinha(status)); }

void TAvisoSystemd::Parando()
{
    FWatchdog.stop();
    Notifica(QStringLiteral("STOPPING=1"));
}

void TAvisoSystemd::Notifica(const QString& estado)
{
    // Nothing to do about a notification that cannot be sent: systemd
    // judges the service by the ones that arrive.
    sd_notify(0, estado.toUtf8().constData());
}
