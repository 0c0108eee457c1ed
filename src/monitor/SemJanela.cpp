#include "monitor/SemJanela.h"

#include "monitor/SinaisDeParada.h"

#include <QCoreApplication>

int ExecutaUmCiclo(TMonitora& monitora)
{
    EncerraNaParada();
    // A start-up error leaves polling off, as the window would: no cycle.
    bool ok = monitora.FormCreate() && monitora.TimerAtivo();
    if (ok)
        ok = monitora.Timer1Timer();
    monitora.FormClose();
    return ok ? 0 : 1;
}

int ExecutaSemJanela(TMonitora& monitora)
{
    const auto aviso = AvisaParadaNoLaco([] { QCoreApplication::quit(); });
    monitora.FormCreate();
    QCoreApplication::exec();
    monitora.FormClose();
    return 0;
}
