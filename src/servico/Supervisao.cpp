#include "servico/Supervisao.h"

#include "base/Erros.h"
#include "integracao/Configuracao.h"
#include "integracao/Relator.h"
#include "monitor/Monitora.h"
#include "servico/ServidorMetricas.h"
#include "operacao/TextoMetricas.h"

namespace {

const QString SecaoMonitor = QStringLiteral("Monitor");

qint64 LimiteCicloMs(const TConfiguracao& configuracao)
{
    bool ok = false;
    const int segundos = configuracao.LerIni(SecaoMonitor, QStringLiteral("LimiteCicloSegundos")).toInt(&ok);
    return qint64(ok && segundos > 0 ? segundos : TSupervisao::LimiteCicloPadraoSegundos) * 1000;
}

} // namespace

TSupervisao::TSupervisao(TMonitora& monitora, TRelator& relator, const TConfiguracao& configuracao)
    : FMonitora(monitora)
    , FLimiteCicloMs(LimiteCicloMs(configuracao))
    , FSystemd([this] { return CicloDentroDoLimite(); })
{
    IniciaServidor(relator, configuracao.LerIni(SecaoMonitor, QStringLiteral("Metricas")));
    FMonitora.DefineObservador(this);
}

TSupervisao::~TSupervisao() { FMonitora.DefineObservador(nullptr); }

void TSupervisao::Encerrando() { FSystemd.Parando(); }

void TSupervisao::IniciaServidor(TRelator& relator, const QString& endereco)
{
    if (endereco.isEmpty())
        return;
    try {
        auto servidor = std::make_unique<TServidorMetricas>(
            [this] {
                const QDateTime agora = QDateTime::currentDateTime();
                return TextoPrometheus(FEstado.Instantaneo(), Parametros(), Saude(), agora);
            },
            [this] {
                const QDateTime agora = QDateTime::currentDateTime();
                const TSaude saude = Saude();
                return TServidorMetricas::TRespostaSaude{
                    JsonSaude(FEstado.Instantaneo(), Parametros(), saude, agora), saude.Saudavel};
            });
        servidor->Escuta(LeEnderecoMetricas(endereco));
        FServidor = std::move(servidor);
    } catch (const Exception& e) {
        relator.AdicionaLinha(e.Message() + QStringLiteral(" O monitor segue sem o endereço de métricas."));
    }
}

TParametrosSaude TSupervisao::Parametros() const
{
    return {FMonitora.TimerAtivo() || FMonitora.Ocupado(), FMonitora.Timer1().interval(), FLimiteCicloMs};
}

TSaude TSupervisao::Saude() const
{
    return AvaliaSaude(FEstado.Instantaneo(), Parametros(), QDateTime::currentDateTime());
}

bool TSupervisao::CicloDentroDoLimite() const
{
    const auto inicio = FEstado.Instantaneo().InicioCicloAtual;
    return !inicio || inicio->msecsTo(QDateTime::currentDateTime()) <= FLimiteCicloMs;
}

void TSupervisao::InicioConcluido()
{
    FSystemd.Pronto(QStringLiteral("Monitorando; nenhum ciclo ainda."));
}

void TSupervisao::CicloIniciado(const QString& integracao, const QDateTime& inicio)
{
    FEstado.CicloIniciado(integracao, inicio);
}

void TSupervisao::RegistroTratado(const QString& integracao, const TRegistroTratado& registro)
{
    FEstado.ContaRegistro({integracao, registro.Direcao, registro.Desfecho});
}

void TSupervisao::CicloTerminado(const TFimCiclo& fim)
{
    FEstado.CicloTerminado(fim);
    FSystemd.Status(FEstado.Instantaneo().ResumoUltimoCiclo);
}
