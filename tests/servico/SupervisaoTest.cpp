// What the site's monitoring sees of a monitor core running test
// integrations: systemd's notifications on a real datagram socket, and the
// metrics and health endpoint over real HTTP, also while a cycle runs.
#include "servico/Supervisao.h"

#include "ApoioMonitor.h"
#include "ApoioSupervisao.h"
#include "AplicacaoTeste.h"
#include "IntegracaoTeste.h"
#include "base/Erros.h"
#include "integracao/Configuracao.h"
#include "monitor/Monitora.h"
#include "operacao/RegraSaude.h"
#include "servico/ServidorMetricas.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <memory>
#include <tuple>
#include <unistd.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao =
    ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

// The port of the endpoint in these tests (the range kept for them).
constexpr quint16 PortaMetricas = 25301;
constexpr quint16 PortaOcupada = 25304;

// What the test integration's first operation does, set by each test.
struct TRoteiro {
    int esperaMs = 0;
    int falhas = 0;
    QString erro;
    std::function<void(TContextoIntegracao&)> durante;  // on the cycle's thread, mid-cycle
};

class Supervisao : public ::testing::Test {
protected:
    TRelatorGravador relator;
    TRoteiro roteiro;
    QString pasta;  // of the last monitor made

    std::unique_ptr<TMonitora> Cria(const QString& ini, std::optional<TVisaoFila> fila = std::nullopt)
    {
        TDefinicaoTeste tipo = Tipo(0, QStringLiteral("Teste"), fila);
        tipo.primeira = [this](TContextoIntegracao& contexto) {
            if (roteiro.durante)
                roteiro.durante(contexto);
            QThread::msleep(roteiro.esperaMs);
            contexto.FalhasNoCiclo += roteiro.falhas;
            if (!roteiro.erro.isEmpty())
                throw Exception(roteiro.erro);
        };
        pasta = PastaComIni(ini + QStringLiteral("[ModeloAtivo]\nModelo=0\n"));
        auto monitora = std::make_unique<TMonitora>(relator, TFabricasIntegracao{FabricaTeste(tipo)}, pasta);
        monitora->DefineAposErro(TMonitora::TAposErro::Continua);
        return monitora;
    }

    static void Processa(int ms)
    {
        QElapsedTimer relogio;
        relogio.start();
        while (relogio.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

// The environment systemd gives a Type=notify service with a watchdog, for
// the life of one test.
class TAmbienteSystemd {
public:
    TAmbienteSystemd(const QString& socket, int watchdogMs)
    {
        qputenv("NOTIFY_SOCKET", socket.toLocal8Bit());
        qputenv("WATCHDOG_USEC", QByteArray::number(qint64(watchdogMs) * 1000));
        qputenv("WATCHDOG_PID", QByteArray::number(::getpid()));
    }
    ~TAmbienteSystemd()
    {
        qunsetenv("NOTIFY_SOCKET");
        qunsetenv("WATCHDOG_USEC");
        qunsetenv("WATCHDOG_PID");
    }
};

const QRegularExpression Hora(QStringLiteral("^STATUS=\\d\\d:\\d\\d:\\d\\d: "));

TEST_F(Supervisao, SystemdRecebeProntoStatusEOWatchdogEnquantoOCicloNaoPassaDoLimite)
{
    TSocketNotificacao socket;
    const TAmbienteSystemd ambiente(socket.Caminho(), 100);  // a ping every 50 ms
    auto monitora = Cria(QStringLiteral("[Monitor]\nLimiteCicloSegundos=1\n"));
    {
        TSupervisao supervisao(*monitora, relator, TConfiguracao(pasta));
        monitora->Inicia();
        supervisao.InicioConcluido();
        ASSERT_TRUE(socket.Espera(QStringLiteral("READY=1"), 5000));
        EXPECT_EQ(socket.Avisos().value(0), QStringLiteral("READY=1\nSTATUS=Monitorando; nenhum ciclo ainda."));

        // A cycle within the bound: the main loop goes on during it, and so
        // do the pings; its summary follows.
        roteiro.esperaMs = 600;
        roteiro.falhas = 1;
        const auto inicio1 = TSocketNotificacao::TRelogio::now();
        EXPECT_TRUE(monitora->ExecutaCiclo());
        const auto fim1 = TSocketNotificacao::TRelogio::now();
        EXPECT_GE(socket.Pings(inicio1, fim1), 5);
        ASSERT_TRUE(socket.Espera(QStringLiteral("falha"), 5000));
        EXPECT_TRUE(Hora.match(socket.Avisos().back()).hasMatch()) << socket.Avisos().back().toStdString();
        EXPECT_TRUE(socket.Avisos().back().endsWith(QStringLiteral(": concluído, 1 falha")));

        // A cycle stuck past the bound: no ping from 1 s into it to its end,
        // then they come again.
        roteiro = TRoteiro{};
        roteiro.esperaMs = 2500;
        const auto inicio2 = TSocketNotificacao::TRelogio::now();
        EXPECT_TRUE(monitora->ExecutaCiclo());
        const auto fim2 = TSocketNotificacao::TRelogio::now();
        EXPECT_GE(socket.Pings(inicio2, inicio2 + std::chrono::milliseconds(900)), 5);
        EXPECT_EQ(socket.Pings(inicio2 + std::chrono::milliseconds(1100), fim2), 0);
        Processa(300);
        EXPECT_GE(socket.Pings(fim2, TSocketNotificacao::TRelogio::now()), 3);
        EXPECT_TRUE(socket.Avisos().back().endsWith(QStringLiteral(": concluído, sem falhas")))
            << socket.Avisos().back().toStdString();

        // An error that escapes: the status says the monitor is not healthy
        // and why, on one line.
        roteiro = TRoteiro{};
        roteiro.erro = QStringLiteral("Servidor caiu.\r\nTente de novo.");
        EXPECT_FALSE(monitora->ExecutaCiclo());
        ASSERT_TRUE(socket.Espera(QStringLiteral("Tente de novo."), 5000)) << socket.Avisos().join('|').toStdString();
        EXPECT_EQ(socket.Avisos().back(),
                  QStringLiteral("STATUS=Falha: o último ciclo terminou com erro: Servidor caiu. Tente de novo."));

        supervisao.Encerrando();
        ASSERT_TRUE(socket.Espera(QStringLiteral("STOPPING=1"), 5000));
        const auto parada = TSocketNotificacao::TRelogio::now();
        Processa(300);
        EXPECT_EQ(socket.Pings(parada, TSocketNotificacao::TRelogio::now()), 0);
    }
    monitora->Encerra();
}

TEST_F(Supervisao, SemWatchdogNaUnidadeNenhumPing)
{
    TSocketNotificacao socket;
    qputenv("NOTIFY_SOCKET", socket.Caminho().toLocal8Bit());
    auto monitora = Cria(QString());
    {
        TSupervisao supervisao(*monitora, relator, TConfiguracao(pasta));
        supervisao.InicioConcluido();
        Processa(300);
    }
    qunsetenv("NOTIFY_SOCKET");
    EXPECT_EQ(socket.Pings({}, TSocketNotificacao::TRelogio::now()), 0);
    EXPECT_EQ(socket.Avisos(), QStringList{QStringLiteral("READY=1\nSTATUS=Monitorando; nenhum ciclo ainda.")});
}

QJsonObject Json(const TRespostaHttp& resposta) { return QJsonDocument::fromJson(resposta.Corpo).object(); }

// A GET from another thread while this one, the server's, handles its events.
TRespostaHttp Pede(const QByteArray& caminho)
{
    auto resposta = std::async(std::launch::async, [caminho] { return HttpGet(PortaMetricas, caminho); });
    while (resposta.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return resposta.get();
}

// The endpoint answers while a cycle runs (asked from the cycle's own
// thread, which waits for the answer), and tells the states apart: in a
// cycle, after an error escaped one, and with polling stopped.
TEST_F(Supervisao, SaudeEMetricasRespondemDuranteOCiclo)
{
    auto monitora = Cria(QStringLiteral("[Monitor]\nMetricas=127.0.0.1:%1\n").arg(PortaMetricas));
    TSupervisao supervisao(*monitora, relator, TConfiguracao(pasta));
    monitora->Inicia();
    ASSERT_TRUE(relator.Linhas.filter(QStringLiteral("Métricas")).isEmpty()) << relator.Linhas.join('\n').toStdString();

    TRespostaHttp saudeNoCiclo;
    TRespostaHttp metricasNoCiclo;
    roteiro.durante = [&](TContextoIntegracao& contexto) {
        // Records reported one by one, as the integrations report them.
        for (const TDesfechoRegistro desfecho : {TDesfechoRegistro::Enviado, TDesfechoRegistro::Enviado,
                                                 TDesfechoRegistro::Falhou, TDesfechoRegistro::Incerto})
            contexto.Relator.RegistraRegistro(
                {TDirecaoRegistro::Saida, QStringLiteral("lote"), QStringLiteral("1"), desfecho, {}});
        // The cycle has run for a measurable time when it is looked at.
        QThread::msleep(20);
        saudeNoCiclo = HttpGet(PortaMetricas, "/saude");
        metricasNoCiclo = HttpGet(PortaMetricas, "/metrics");
    };
    roteiro.falhas = 1;
    EXPECT_TRUE(monitora->ExecutaCiclo());
    EXPECT_EQ(saudeNoCiclo.Status, 200) << saudeNoCiclo.Corpo.toStdString();
    EXPECT_EQ(Json(saudeNoCiclo)["cicloEmAndamento"].toObject()["integracao"].toString(), "Teste");
    EXPECT_EQ(metricasNoCiclo.Status, 200);
    EXPECT_EQ(metricasNoCiclo.Tipo, "text/plain; version=0.0.4; charset=utf-8");
    const QRegularExpressionMatch emAndamento =
        QRegularExpression(QStringLiteral("\nquelix_ciclo_em_andamento_segundos ([0-9.e+-]+)\n"))
            .match(QString::fromUtf8(metricasNoCiclo.Corpo));
    ASSERT_TRUE(emAndamento.hasMatch()) << metricasNoCiclo.Corpo.toStdString();
    EXPECT_GT(emAndamento.captured(1).toDouble(), 0.0) << metricasNoCiclo.Corpo.toStdString();

    const TRespostaHttp depois = Pede("/metrics");
    for (const char* linha : {"quelix_ciclos_total{desfecho=\"com_falhas\"} 1",
                              "quelix_registros_total{integracao=\"Teste\",direcao=\"enviado\",desfecho=\"enviado\"} 2",
                              "quelix_registros_total{integracao=\"Teste\",direcao=\"enviado\",desfecho=\"falhou\"} 1",
                              "quelix_registros_total{integracao=\"Teste\",direcao=\"enviado\",desfecho=\"incerto\"} 1",
                              "quelix_falhas_total{integracao=\"Teste\"} 1",
                              "quelix_conexao_ativa{conexao=\"KoDatabase1\"} 0",
                              "quelix_ciclo_duracao_segundos_count 1",
                              "quelix_saudavel 1"})
        EXPECT_TRUE(depois.Corpo.contains(QByteArray("\n") + linha + "\n")) << linha << "\n" << depois.Corpo.toStdString();
    EXPECT_TRUE(Json(Pede("/saude"))["ultimoCiclo"].toObject()["resumo"].toString().endsWith(
        QStringLiteral(": 2 enviados, 1 falha")));

    // Prometheus's own checker accepts the exposition.
    QProcess promtool;
    promtool.start(QStringLiteral("promtool"), {QStringLiteral("check"), QStringLiteral("metrics")});
    ASSERT_TRUE(promtool.waitForStarted()) << "promtool is missing: install the package prometheus";
    promtool.write(depois.Corpo);
    promtool.closeWriteChannel();
    ASSERT_TRUE(promtool.waitForFinished(30000));
    EXPECT_EQ(promtool.exitCode(), 0) << promtool.readAll().toStdString();

    roteiro = TRoteiro{};
    roteiro.erro = QStringLiteral("Servidor caiu.");
    EXPECT_FALSE(monitora->ExecutaCiclo());
    const TRespostaHttp comErro = Pede("/saude");
    EXPECT_EQ(comErro.Status, 503);
    EXPECT_EQ(Json(comErro)["motivo"].toString(), QStringLiteral("o último ciclo terminou com erro: Servidor caiu."));
    EXPECT_TRUE(Pede("/metrics").Corpo.contains("\nquelix_ciclos_total{desfecho=\"erro\"} 1\n"));

    roteiro = TRoteiro{};
    EXPECT_TRUE(monitora->ExecutaCiclo());
    EXPECT_EQ(Pede("/saude").Status, 200);
    EXPECT_TRUE(monitora->DefineMonitorando(false));
    const TRespostaHttp parado = Pede("/saude");
    EXPECT_EQ(parado.Status, 503);
    EXPECT_EQ(Json(parado)["motivo"].toString(), QStringLiteral("o monitoramento está parado"));
    EXPECT_EQ(Pede("/nada").Status, 404);
    monitora->Encerra();
}

// Runs `cliente` on another thread while this one, the server's, handles
// its events.
template <typename F>
auto NoOutroThread(F cliente)
{
    auto resultado = std::async(std::launch::async, std::move(cliente));
    while (resultado.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return resultado.get();
}

// The connection ends with the answer when the client asks for it, and is
// kept for the next request otherwise.
TEST_F(Supervisao, ConexaoFechaDepoisDaRespostaQuandoPedido)
{
    auto monitora = Cria(QStringLiteral("[Monitor]\nMetricas=127.0.0.1:%1\n").arg(PortaMetricas));
    TSupervisao supervisao(*monitora, relator, TConfiguracao(pasta));
    const struct {
        const char* pedido;
        bool fecha;
    } casos[] = {
        {"GET /saude HTTP/1.0\r\n\r\n", true},
        {"GET /saude HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", true},
        {"GET /saude HTTP/1.1\r\nHost: x\r\nConnection: keep-alive, Close\r\n\r\n", true},
        {"GET /saude HTTP/1.1\r\nHost: x\r\n\r\n", false},
        {"GET /saude HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", false},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.pedido);
        const auto [saude, fechou, seguinte] = NoOutroThread([&caso] {
            TClienteHttp cliente(PortaMetricas);
            cliente.Envia(caso.pedido);
            const TRespostaHttp resposta = cliente.LeResposta();
            if (caso.fecha)
                return std::tuple(resposta, cliente.EsperaFechamento(30000), TRespostaHttp{});
            cliente.Envia("HEAD /metrics HTTP/1.1\r\nHost: x\r\n\r\n");
            return std::tuple(resposta, false, cliente.LeResposta(true));
        });
        EXPECT_EQ(saude.Tipo, "application/json");
        EXPECT_TRUE(Json(saude).contains(QStringLiteral("status"))) << saude.Corpo.toStdString();
        EXPECT_EQ(fechou, caso.fecha);
        if (!caso.fecha) {
            EXPECT_EQ(seguinte.Status, 200);
            EXPECT_EQ(seguinte.Tipo, "text/plain; version=0.0.4; charset=utf-8");
        }
    }
}

// Past the cap on open connections, idle ones give way to a new client;
// when every open one is in the middle of a request, the new one is refused
// at once. The clients that hold them are cut off after the time of a
// request.
TEST_F(Supervisao, LimiteDeConexoesAbertas)
{
    auto monitora = Cria(QStringLiteral("[Monitor]\nMetricas=127.0.0.1:%1\n").arg(PortaMetricas));
    TSupervisao supervisao(*monitora, relator, TConfiguracao(pasta));
    const int maximo = TServidorMetricas::MaximoConexoes;

    const auto [ociosas, respostaEntreOciosas] = NoOutroThread([maximo] {
        std::vector<int> conexoes = AbreConexoesOciosas(PortaMetricas, maximo, 60000);
        QThread::msleep(200);  // taken by the server
        TClienteHttp cliente(PortaMetricas);
        cliente.Envia("GET /saude HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        const TRespostaHttp resposta = cliente.LeResposta();
        const int fechadas = FechadasPeloServidor(conexoes, 60000);
        return std::pair(int(conexoes.size()) == maximo ? fechadas : -1, resposta);
    });
    EXPECT_EQ(ociosas, maximo);
    EXPECT_EQ(respostaEntreOciosas.Tipo, "application/json") << respostaEntreOciosas.Corpo.toStdString();

    const auto [recusada, fechouARecusada, cortadas, depois] = NoOutroThread([maximo] {
        std::vector<std::unique_ptr<TClienteHttp>> pela_metade;
        for (int i = 0; i < maximo; ++i) {
            pela_metade.push_back(std::make_unique<TClienteHttp>(PortaMetricas, 60000));
            pela_metade.back()->Envia("GET /saude HTTP/1.1\r\nHost: x\r\n");
        }
        QThread::msleep(200);  // read by the server
        TClienteHttp novo(PortaMetricas);
        const TRespostaHttp resposta = novo.LeResposta();
        const bool fechou = novo.EsperaFechamento(30000);
        int fechadas = 0;
        for (auto& cliente : pela_metade)
            fechadas += cliente->EsperaFechamento(60000) ? 1 : 0;
        TClienteHttp ultimo(PortaMetricas);
        ultimo.Envia("GET /saude HTTP/1.0\r\n\r\n");
        return std::tuple(resposta, fechou, fechadas, ultimo.LeResposta());
    });
    EXPECT_EQ(recusada.Status, 503);
    EXPECT_EQ(recusada.Corpo, "Conexões demais abertas com o endereço de métricas.\n");
    EXPECT_TRUE(fechouARecusada);
    EXPECT_EQ(cortadas, maximo);
    EXPECT_EQ(depois.Tipo, "application/json");
}

// An address other than a loopback one is said at start-up.
TEST_F(Supervisao, EnderecoForaDoLoopbackEhDito)
{
    auto monitora = Cria(QStringLiteral("[Monitor]\nMetricas=0.0.0.0:%1\n").arg(PortaMetricas));
    TSupervisao supervisao(*monitora, relator, TConfiguracao(pasta));
    EXPECT_EQ(relator.Linhas, QStringList{QStringLiteral("Métricas: 0.0.0.0:%1 não é um endereço de loopback; "
                                                          "/metrics e /saude respondem a quem alcançar esta "
                                                          "máquina pela rede.").arg(PortaMetricas)});
}

// The queue's pending rows at the cycle's end, counted as the queue tab
// selects them.
TEST_F(Supervisao, FilaPendenteNasMetricas)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0", "1", "0", "2", "0"});
    auto monitora = Cria(SecaoBanco1(erp) + QStringLiteral("[Monitor]\nMetricas=127.0.0.1:%1\n").arg(PortaMetricas),
                         TVisaoFila{QStringLiteral("QX_INTEGRA"), QStringLiteral("STATUS = 0")});
    TSupervisao supervisao(*monitora, relator, TConfiguracao(pasta));
    monitora->Inicia();
    EXPECT_TRUE(monitora->ExecutaCiclo());
    EXPECT_TRUE(Pede("/metrics").Corpo.contains("\nquelix_fila_pendentes{integracao=\"Teste\"} 3\n"))
        << Pede("/metrics").Corpo.toStdString();
    monitora->Encerra();
}

// A wrong address, or one that cannot be listened on, is said in the log,
// and the monitor runs without the endpoint.
TEST_F(Supervisao, EnderecoRuimEhDitoEOMonitorSegue)
{
    QTcpServer ocupante;
    ASSERT_TRUE(ocupante.listen(QHostAddress::LocalHost, PortaOcupada));
    const struct {
        QString valor;
        QString linha;
    } casos[] = {
        {QStringLiteral("9464"), QStringLiteral("[Monitor] Metricas \"9464\" não é um endereço host:porta (por exemplo 127.0.0.1:9464).")},
        {QStringLiteral("127.0.0.1:porta"), QStringLiteral("[Monitor] Metricas \"127.0.0.1:porta\" não é um endereço host:porta (por exemplo 127.0.0.1:9464).")},
        {QStringLiteral("127.0.0.1:%1").arg(PortaOcupada), QStringLiteral("Métricas: não foi possível escutar em 127.0.0.1:%1: ").arg(PortaOcupada)},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.valor.toStdString());
        relator.Limpa();
        auto monitora = Cria(QStringLiteral("[Monitor]\nMetricas=%1\n").arg(caso.valor));
        TSupervisao supervisao(*monitora, relator, TConfiguracao(pasta));
        ASSERT_EQ(relator.Linhas.size(), 1);
        EXPECT_TRUE(relator.Linhas.front().startsWith(caso.linha)) << relator.Linhas.front().toStdString();
        EXPECT_TRUE(relator.Linhas.front().endsWith(QStringLiteral(" O monitor segue sem o endereço de métricas.")));
        monitora->Inicia();
        EXPECT_TRUE(monitora->ExecutaCiclo());
        monitora->Encerra();
    }
}

} // namespace
