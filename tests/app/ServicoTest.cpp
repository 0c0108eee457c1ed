// quelix as the service runs it (the command line of docs/quelix.service),
// watched as a site watches it: systemd's notifications on a real datagram
// socket, and a real Prometheus scraping the metrics endpoint.
#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "ApoioSupervisao.h"
#include "AplicacaoTeste.h"
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
#include <unistd.h>

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

// 2 000 idle connections and a burst of requests that ask to close, against
// a running monitor given 256 file handles (fewer than the connections).
// Its cycles, which fail for want of an ERP and write each error to the
// daily log (a file and a socket for the machine's address each time), go
// on; /saude answers each request of the burst, and the server lets go of
// every connection.
TEST(Servico, ConexoesOciosasNaoTiramOsArquivosDoCiclo)
{
    constexpr int Ociosas = 2000;
    ASSERT_TRUE(ElevaLimiteDeArquivos(Ociosas + 500))
        << "the hard limit of open files of this process is below " << Ociosas + 500;
    const quint16 porta = PortaLivre();
    const QString pasta = PastaComIni(
        QStringLiteral("[ModeloAtivo]\nModelo=0\n[Monitor]\nMetricas=127.0.0.1:%1\n").arg(porta));
    TMonitorEmExecucao monitor(QStringLiteral("prlimit"),
                               QStringList{"--nofile=256", "--", QStringLiteral(QUELIX_EXECUTAVEL)}
                                   + ArgumentosDaUnidade(pasta),
                               {{"QUELIX_INTERVALO_MS", "300"}});
    const auto ciclos = [&monitor] {
        monitor.Espera([](const QStringList&) { return false; }, 10);
        return monitor.Erros().count(QStringLiteral("Conexão fechada"));
    };
    const auto esperaCiclos = [&](int mais) {
        const int alvo = ciclos() + mais;
        QElapsedTimer relogio;
        relogio.start();
        while (ciclos() < alvo && relogio.elapsed() < 60000)
            QThread::msleep(50);
        return ciclos() >= alvo;
    };
    ASSERT_TRUE(esperaCiclos(1)) << monitor.Erros().toStdString();

    // What the clients wait for runs on threads of its own, while this one
    // reads what the monitor writes.
    const auto aguarda = [&](auto futuro) {
        while (futuro.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            ciclos();
        return futuro.get();
    };
    const std::vector<int> ociosas =
        aguarda(std::async(std::launch::async, [porta] { return AbreConexoesOciosas(porta, Ociosas, 60000); }));
    EXPECT_EQ(int(ociosas.size()), Ociosas);
    // The burst, from 10 clients at once, while the idle ones are held.
    const auto rajada = [porta] {
        std::vector<std::future<std::pair<int, int>>> clientes;
        for (int c = 0; c < 10; ++c)
            clientes.push_back(std::async(std::launch::async, [porta] {
                int respondidas = 0;
                int fechadas = 0;
                for (int i = 0; i < 20; ++i) {
                    TClienteHttp cliente(porta);
                    cliente.Envia(i % 2 ? "GET /saude HTTP/1.0\r\n\r\n"
                                        : "GET /saude HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
                    const TRespostaHttp resposta = cliente.LeResposta();
                    respondidas += resposta.Tipo == "application/json"
                        && QJsonDocument::fromJson(resposta.Corpo).object()[QStringLiteral("motivo")].toString().endsWith(
                            QStringLiteral("Conexão fechada"));
                    fechadas += cliente.EsperaFechamento(30000);
                }
                return std::pair(respondidas, fechadas);
            }));
        std::pair<int, int> total;
        for (auto& cliente : clientes) {
            const auto [r, f] = cliente.get();
            total.first += r;
            total.second += f;
        }
        return total;
    };
    const auto [respondidas, fechadas] = aguarda(std::async(std::launch::async, rajada));
    EXPECT_EQ(respondidas, 200);
    EXPECT_EQ(fechadas, 200);
    EXPECT_TRUE(esperaCiclos(3)) << "the cycles stopped while the connections were held";
    // Every connection the server took is closed; some of the 2 000 the
    // system may never have handed it (its queue of connections to take
    // overflows), and those cost the monitor nothing.
    EXPECT_TRUE(aguarda(std::async(std::launch::async, [porta] { return EsperaSemConexoesNaPorta(porta, 60000); })));
    for (const int conexao : ociosas)
        ::close(conexao);

    monitor.PedeTermino();
    EXPECT_EQ(monitor.Fim(60000), 0);
    EXPECT_FALSE(monitor.Erros().contains(QStringLiteral("Too many open files"))) << monitor.Erros().toStdString();
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
    const QString pasta = PastaComIni(SiteBruma(ErpLoteRuimEBom, FilaLoteRuimEBom).Ini
                                      + QStringLiteral("[Monitor]\nMetricas=127.0.0.1:%1\n").arg(PortaMetricas));

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
