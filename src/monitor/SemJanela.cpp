#include "monitor/SemJanela.h"

#include "monitor/SinaisDeParada.h"
#include "monitor/Supervisao.h"

#include <QCoreApplication>

int ExecutaUmCiclo(TMonitora& monitora)
{
    EncerraNaParada();
    // A start-up error leaves polling off, as the window would: no cycle.
    bool ok = monitora.Inicia() && monitora.TimerAtivo();
    if (ok)
        ok = monitora.ExecutaCiclo();
    monitora.Encerra();
    if (!ok)
        return CicloInterrompido;
    return monitora.FalhasNoCiclo() > 0 ? CicloComFalhas : CicloConcluido;
}

int ExecutaSemJanela(TMonitora& monitora, TSupervisao& supervisao)
{
    // A signal may come while start-up still runs, before the loop below
    // exists to be told to quit: it is remembered.
    bool parar = false;
    const auto aviso = AvisaParadaNoLaco([&parar] {
        parar = true;
        QCoreApplication::quit();
    });
    monitora.DefineAposErro(TMonitora::TAposErro::Continua);
    monitora.Inicia();
    supervisao.InicioConcluido();
    if (!parar)
        QCoreApplication::exec();
    supervisao.Encerrando();
    monitora.Encerra();
    return 0;
}
