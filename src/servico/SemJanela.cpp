#include "servico/SemJanela.h"

#include "integracao/Verificacao.h"
#include "monitor/comissionamento/VerificacaoLimitada.h"
#include "servico/RelatorConsole.h"
#include "servico/SinaisDeParada.h"
#include "servico/Supervisao.h"
#include "servico/console/ServidorConsole.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdio>
#include <cstdlib>

TStatusCiclo ExecutaUmCiclo(TMonitora& monitora)
{
    EncerraNaParada();
    // A start-up error leaves polling off, as the window would: no cycle.
    bool ok = monitora.Inicia() && monitora.TimerAtivo();
    if (ok)
        ok = monitora.ExecutaCiclo();
    monitora.Encerra();
    if (!ok)
        return TStatusCiclo::Interrompido;
    return monitora.FalhasNoCiclo() > 0 ? TStatusCiclo::ComFalhas : TStatusCiclo::Concluido;
}

int ExecutaVerificacao(TMonitora& monitora, TRelatorConsole& relator, const QList<TComandoCatalogo>& catalogo,
                       const QString& pastaOcupada, const TConfiguracao& ini)
{
    EncerraNaParada();
    TVerificacao pasta(relator);
    pasta.Confere(QStringLiteral("nenhum outro monitor usa a pasta"), pastaOcupada);
    monitora.DefineMonitorando(false);
    // What start-up would say of a connection or a key, the checks say as
    // their own lines.
    relator.DefineCalado(true);
    monitora.Inicia();
    relator.DefineCalado(false);
    const bool verificada = monitora.VerificaConfiguracao(catalogo);
    // The console's lines follow the monitor's, which the cycle's thread
    // queued on it.
    QCoreApplication::sendPostedEvents(&monitora, QEvent::MetaCall);
    VerificaConsole(ini, pasta);
    const bool passou = verificada && pasta.Passou();
    // A check left waiting on a server that does not answer cannot be
    // waited for on the way out: its lines are out, and the servers undo
    // what the check began (it writes nothing).
    if (VerificacoesPresas() > 0) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(1);
    }
    monitora.Encerra();
    return passou ? 0 : 1;
}

TStatusCiclo ExecutaSimulacao(TMonitora& monitora)
{
    EncerraNaParada();
    monitora.DefineMonitorando(false);
    bool ok = monitora.Inicia();
    if (ok)
        ok = monitora.SimulaCiclo();
    monitora.Encerra();
    if (!ok)
        return TStatusCiclo::Interrompido;
    return monitora.FalhasNoCiclo() > 0 ? TStatusCiclo::ComFalhas : TStatusCiclo::Concluido;
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

int ExecutaReenvio(TMonitora& monitora, TRelator& relator, qint64 ordem, const TAutorAcao& autor)
{
    EncerraNaParada();
    monitora.DefineMonitorando(false);
    if (!monitora.Inicia()) {
        monitora.Encerra();
        return 1;
    }
    std::optional<TResultadoReenvio> resultado;
    QEventLoop espera;
    // The wait ends with the answer; the statements it waits for run under
    // the connection's own time limits.
    monitora.PedeReenvio(ordem, autor, [&](const TResultadoReenvio& r) {
        resultado = r;
        espera.quit();
    });
    if (!resultado)
        espera.exec();
    if (!resultado->Feito)
        relator.MostraErro(resultado->Texto);
    monitora.Encerra();
    return resultado->Feito ? 0 : 1;
}
