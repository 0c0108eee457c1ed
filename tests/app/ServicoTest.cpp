// quelix as the service runs it (the command line of docs/quelix.service),
// watched as a site watches it: systemd's notifications on a real datagram
// socket, and a real Prometheus scraping the metrics endpoint.
#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "ApoioSupervisao.h"
#include "AplicacaoTeste.h"
#include "BancoTeste.h"
#include "MonitorEmExecucao.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <QUrlQuery>
#include <gtest/gtest.h>

#include <future>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao =
    ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

constexpr quint16 PortaMetricas = 25302;
constexpr quint16 PortaPrometheus = 25303;

QString Le(const QString& caminho)
{
    QFile arquivo(caminho);
    return arquivo.open(QIODevice::ReadOnly) ? QString::fromUtf8(arquivo.readAll()) : QString();
}

// The unit's value of a key of [Service].
QString ChaveDaUnidade(const QString& chave)
{
    const QString unidade = Le(QStringLiteral(QUELIX_DIR_FONTE "/docs/quelix.service"));
    const auto m = QRegularExpression(QStringLiteral("^%1=(.*)$").arg(chave), QRegularExpression::MultilineOption)
                       .match(unidade);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

// The unit's command line, run with the built quelix and with `pasta` in
// place of the folder it names.
QStringList ArgumentosDaUnidade(const QString& pasta)
{
    QStringList argumentos = ChaveDaUnidade(QStringLiteral("ExecStart")).split(u' ', Qt::SkipEmptyParts);
    argumentos.removeFirst();
    const qsizetype i = argumentos.indexOf(QStringLiteral("--pasta"));
    if (i >= 0 && i + 1 < argumentos.size())
        argumentos[i + 1] = pasta;
    return argumentos;
}

TEST(Servico, UnidadeEhNotifyComWatchdog)
{
    EXPECT_EQ(ChaveDaUnidade(QStringLiteral("Type")), "notify");
    EXPECT_GT(ChaveDaUnidade(QStringLiteral("WatchdogSec")).toInt(), 0);
    EXPECT_EQ(ArgumentosDaUnidade(QStringLiteral("X")), (QStringList{"--sem-janela", "--pasta", "X"}));
}

// With no ERP every cycle fails: systemd's status says the monitor is not
// healthy, and why.
TEST(Servico, NotificaOSystemdPeloSocket)
{
    TSocketNotificacao socket;
    const QString pasta = PastaComIni(QStringLiteral("[ModeloAtivo]\nModelo=0\n"));
    TMonitorEmExecucao monitor(QStringLiteral(QUELIX_EXECUTAVEL), ArgumentosDaUnidade(pasta),
                               {{"NOTIFY_SOCKET", socket.Caminho()},
                                {"WATCHDOG_USEC", "200000"},
                                {"QUELIX_INTERVALO_MS", "300"}});
    ASSERT_TRUE(socket.Espera(QStringLiteral("READY=1"), 60000)) << monitor.Erros().toStdString();
    ASSERT_TRUE(socket.Espera(QStringLiteral("Conexão fechada"), 30000)) << socket.Avisos().join('|').toStdString();
    const auto antes = TSocketNotificacao::TRelogio::now();
    QThread::msleep(1000);
    EXPECT_GE(socket.Pings(antes, TSocketNotificacao::TRelogio::now()), 3);
    monitor.PedeTermino();
    EXPECT_EQ(monitor.Fim(60000), 0) << monitor.Erros().toStdString();

    const QStringList avisos = socket.Avisos();
    ASSERT_GE(avisos.size(), 3);
    EXPECT_EQ(avisos.front(), QStringLiteral("READY=1\nSTATUS=Monitorando; nenhum ciclo ainda."));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^STATUS=Falha: o último ciclo terminou com erro: Erro KoQuery.Open: Conexão fechada$"))
                    .match(avisos[1])
                    .hasMatch())
        << avisos[1].toStdString();
    EXPECT_EQ(avisos.back(), QStringLiteral("STOPPING=1"));
}

// Prometheus, started here on loopback with a 1-second scrape, collects the
// counters of a Bruma monitor whose cycles send one lot and fail another
// every time.
class TPrometheus {
public:
    TPrometheus()
    {
        const QDir pasta(QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("prometheus")));
        QDir().mkpath(pasta.filePath(QStringLiteral("dados")));
        QFile configuracao(pasta.filePath(QStringLiteral("prometheus.yml")));
        if (!configuracao.open(QIODevice::WriteOnly))
            throw std::runtime_error("não foi possível escrever a configuração do Prometheus");
        configuracao.write(QStringLiteral("global:\n"
                                          "  scrape_interval: 1s\n"
                                          "  evaluation_interval: 1s\n"
                                          "scrape_configs:\n"
                                          "  - job_name: quelix\n"
                                          "    static_configs:\n"
                                          "      - targets: ['127.0.0.1:%1']\n")
                               .arg(PortaMetricas)
                               .toUtf8());
        configuracao.close();
        FProcesso.setProcessChannelMode(QProcess::MergedChannels);
        FProcesso.start(QStringLiteral("prometheus"),
                        {QStringLiteral("--config.file=") + configuracao.fileName(),
                         QStringLiteral("--storage.tsdb.path=") + pasta.filePath(QStringLiteral("dados")),
                         QStringLiteral("--web.listen-address=127.0.0.1:%1").arg(PortaPrometheus)});
    }
    ~TPrometheus()
    {
        FProcesso.terminate();
        if (!FProcesso.waitForFinished(30000))
            FProcesso.kill();
    }

    bool Iniciou() { return FProcesso.waitForStarted(30000); }
    QString Saida() { return QString::fromUtf8(FProcesso.readAll()); }

    // The value of an instant query with one series; empty when there is
    // none yet.
    QString Valor(const QString& consulta)
    {
        QUrlQuery parametros;
        parametros.addQueryItem(QStringLiteral("query"), consulta);
        const QByteArray caminho = "/api/v1/query?" + parametros.toString(QUrl::FullyEncoded).toUtf8();
        const TRespostaHttp resposta = HttpGet(PortaPrometheus, caminho);
        const QJsonArray series =
            QJsonDocument::fromJson(resposta.Corpo).object()[QStringLiteral("data")].toObject()[QStringLiteral("result")].toArray();
        if (series.size() != 1)
            return {};
        return series.first().toObject()[QStringLiteral("value")].toArray().at(1).toString();
    }

    // Waits until the query gives a value at least `minimo`.
    QString EsperaPeloMenos(const QString& consulta, double minimo, int limiteMs)
    {
        QElapsedTimer relogio;
        relogio.start();
        QString valor;
        while (relogio.elapsed() < limiteMs) {
            valor = Valor(consulta);
            if (!valor.isEmpty() && valor.toDouble() >= minimo)
                break;
            QThread::msleep(250);
        }
        return valor;
    }

private:
    QProcess FProcesso;
};

TEST(Servico, PrometheusColheAsMetricas)
{
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp, ErpLoteRuimEBom);
    const QString dsn = CriaFilaBruma(FilaLoteRuimEBom);
    const QString pasta = PastaComIni(
        SecaoBanco1(erp)
        + SecaoBanco2(dsn) + QStringLiteral("[ModeloAtivo]\nModelo=0\n[Monitor]\nMetricas=127.0.0.1:%1\n").arg(PortaMetricas));

    TMonitorEmExecucao monitor(QStringLiteral(QUELIX_EXECUTAVEL), {"--sem-janela", "--pasta", pasta},
                               {{"QUELIX_INTERVALO_MS", "500"}});
    ASSERT_TRUE(monitor.EsperaLinhas(QStringLiteral("Concluído. FAL 2"), 1, 60000))
        << monitor.Linhas().join('\n').toStdString() << monitor.Erros().toStdString();

    TPrometheus prometheus;
    ASSERT_TRUE(prometheus.Iniciou()) << "prometheus is missing: install the package prometheus";
    EXPECT_EQ(prometheus.EsperaPeloMenos(QStringLiteral("up{job=\"quelix\"}"), 1, 60000), "1") << prometheus.Saida().toStdString();
    EXPECT_GE(prometheus.EsperaPeloMenos(QStringLiteral("quelix_ciclos_total{desfecho=\"com_falhas\"}"), 2, 30000).toDouble(), 2);
    EXPECT_GE(prometheus.EsperaPeloMenos(QStringLiteral("quelix_falhas_total{integracao=\"Bruma\"}"), 2, 30000).toDouble(), 2);
    EXPECT_EQ(prometheus.Valor(QStringLiteral("quelix_ciclos_total{desfecho=\"erro\"}")), "0");
    // Each lot as the integration reported it: lot 1 fails every cycle, lot 2 went once.
    EXPECT_GE(prometheus.EsperaPeloMenos(
                  QStringLiteral("quelix_registros_total{integracao=\"Bruma\",direcao=\"enviado\",desfecho=\"falhou\"}"), 2, 30000)
                  .toDouble(), 2);
    EXPECT_EQ(prometheus.Valor(QStringLiteral("quelix_registros_total{integracao=\"Bruma\",direcao=\"enviado\",desfecho=\"enviado\"}")), "1");
    EXPECT_EQ(prometheus.Valor(QStringLiteral("quelix_conexao_ativa{conexao=\"KoDatabase1\"}")), "1");
    EXPECT_EQ(prometheus.Valor(QStringLiteral("quelix_conexao_ativa{conexao=\"KoDatabase2\"}")), "1");
    EXPECT_EQ(prometheus.Valor(QStringLiteral("quelix_saudavel")), "1");
    EXPECT_GE(prometheus.Valor(QStringLiteral("quelix_ciclo_duracao_segundos_count")).toDouble(), 2);
    const double fim = prometheus.Valor(QStringLiteral("quelix_ultimo_ciclo_sucesso_fim_segundos")).toDouble();
    EXPECT_NEAR(fim, double(QDateTime::currentMSecsSinceEpoch()) / 1000.0, 60);

    // Records that fail leave the monitor healthy.
    auto saude = std::async(std::launch::async, [] { return HttpGet(PortaMetricas, "/saude"); }).get();
    EXPECT_EQ(saude.Status, 200) << saude.Corpo.toStdString();
    monitor.PedeTermino();
    EXPECT_EQ(monitor.Fim(60000), 0);
}

} // namespace
