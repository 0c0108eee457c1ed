#include "servico/Supervisao.h"

#include "base/Erros.h"
#include "integracao/Configuracao.h"
#include "integracao/Relator.h"
#include "monitor/Monitora.h"
#include "operacao/TextoMetricas.h"
#include "operacao/TextosCiclo.h"
#include "servico/ServidorMetricas.h"

TSupervisao::TSupervisao(TMonitora& monitora, TRelator& relator, const TConfiguracao& configuracao)
    : FMonitora(monitora)
    , FSystemd([this] { return FMonitora.Saude().Falha != TFalhaSaude::CicloAlemDoLimite; })
{
    IniciaServidor(relator, configuracao.LerIni(QStringLiteral("Monitor"), QStringLiteral("Metricas")));
    FMonitora.AdicionaObservador(this);
    // A call that stops answering, or polling that stops, changes the health
    // between cycles.
    FRelogioStatus.setInterval(1000);
    QObject::connect(&FRelogioStatus, &QTimer::timeout, [this] { AtualizaStatus(); });
}

TSupervisao::~TSupervisao() { FMonitora.RemoveObservador(this); }

void TSupervisao::Encerrando()
{
    FRelogioStatus.stop();
    FSystemd.Parando();
}

void TSupervisao::IniciaServidor(TRelator& relator, const QString& endereco)
{
    if (endereco.isEmpty())
        return;
    try {
        auto servidor = std::make_unique<TServidorMetricas>(
            [this] {
                const QDateTime agora = QDateTime::currentDateTime();
                return TextoPrometheus(FMonitora.Estado().Instantaneo(), FMonitora.ParametrosSaude(),
                                       FMonitora.Saude(agora), agora);
            },
            [this] {
                const QDateTime agora = QDateTime::currentDateTime();
                const TSaude saude = FMonitora.Saude(agora);
                return TServidorMetricas::TRespostaSaude{
                    JsonSaude(FMonitora.Estado().Instantaneo(), FMonitora.ParametrosSaude(), saude, agora),
                    saude.Saudavel};
            });
        const TEnderecoMetricas escuta = LeEnderecoMetricas(endereco);
        servidor->Escuta(escuta);
        FServidor = std::move(servidor);
        if (!escuta.Host.isLoopback())
            relator.AdicionaLinha(QStringLiteral("Métricas: %1 não é um endereço de loopback; /metrics e /saude "
                                                 "respondem a quem alcançar esta máquina pela rede.")
                                      .arg(TextoEnderecoMetricas(escuta)));
    } catch (const Exception& e) {
        relator.AdicionaLinha(e.Message() + QStringLiteral(" O monitor segue sem o endereço de métricas."));
    }
}

void TSupervisao::InicioConcluido()
{
    FUltimoStatus = QStringLiteral("Monitorando; nenhum ciclo ainda.");
    FSystemd.Pronto(FUltimoStatus);
    FbPronto = true;
    FRelogioStatus.start();
}

QString TSupervisao::TextoStatus() const
{
    const QDateTime agora = QDateTime::currentDateTime();
    const TSaude saude = FMonitora.Saude(agora);
    if (!saude.Saudavel)
        return QStringLiteral("Falha: ") + saude.Motivo;
    const auto ultimo = FMonitora.UltimoCiclo();
    return ultimo ? Resumo(*ultimo, agora) : QStringLiteral("Monitorando; nenhum ciclo ainda.");
}

void TSupervisao::AtualizaStatus()
{
    if (!FbPronto)
        return;
    const QString status = TextoStatus();
    if (status == FUltimoStatus)
        return;
    FUltimoStatus = status;
    FSystemd.Status(status);
}

void TSupervisao::CicloIniciado(const TCicloEmAndamento& /*ciclo*/) {}

void TSupervisao::CicloTerminado(const TFimCiclo& /*fim*/)
{
    // After the core's own counters, which the status reads.
    const QString status = TextoStatus();
    FUltimoStatus = status;
    FSystemd.Status(status);
}
