#include "monitor/SemJanela.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// SIGINT and SIGTERM reach the event loop through a pipe: the handler only
// writes one byte, the loop reads it and quits.
int PipeSinal[2] = {-1, -1};

extern "C" void AoReceberSinal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto escrito = ::write(PipeSinal[1], &byte, 1);
}

void InstalaSinais()
{
    if (::pipe(PipeSinal) != 0)
        return;
    ::fcntl(PipeSinal[1], F_SETFL, O_NONBLOCK);
    struct sigaction acao {};
    acao.sa_handler = AoReceberSinal;
    sigemptyset(&acao.sa_mask);
    acao.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &acao, nullptr);
    ::sigaction(SIGTERM, &acao, nullptr);
}

} // namespace

int ExecutaUmCiclo(TMonitora& monitora)
{
    // A start-up error leaves polling off, as the window would: no cycle.
    bool ok = monitora.FormCreate() && monitora.TimerAtivo();
    if (ok)
        ok = monitora.Timer1Timer();
    monitora.FormClose();
    return ok ? 0 : 1;
}

int ExecutaSemJanela(TMonitora& monitora)
{
    InstalaSinais();
    QSocketNotifier aviso(PipeSinal[0], QSocketNotifier::Read);
    QObject::connect(&aviso, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });
    monitora.FormCreate();
    QCoreApplication::exec();
    monitora.FormClose();
    return 0;
}
