#include "monitor/Monitora.h"

#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "BancoTeste.h"
#include "IntegracaoTeste.h"
#include "base/Erros.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/KoQuery.h"
#include "dblayer/LimitesExecucao.h"
#include "dblayer/Maquina.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao =
    ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

const TVisaoFila FilaQx{QStringLiteral("QX_INTEGRA"), QStringLiteral("STATUS = 0")};

class Monitora : public ::testing::Test {
protected:
    TRelatorComTitulos relator;
    // Three machine types as the composition root registers them; tests
    // fill in what each does.
    std::array<TDefinicaoTeste, 3> tipos{
        Tipo(0, QStringLiteral("Bruma")),
        Tipo(1, QStringLiteral("Vapora"), FilaQx),
        Tipo(2, QStringLiteral("EAS")),
    };

    TFabricasIntegracao Fabricas() const
    {
        TFabricasIntegracao fabricas;
        for (const TDefinicaoTeste& tipo : tipos)
            fabricas << FabricaTeste(tipo);
        return fabricas;
    }

    std::unique_ptr<TMonitora> Cria(const QString& ini)
    {
        return std::make_unique<TMonitora>(relator, Fabricas(), PastaComIni(ini));
    }

    std::unique_ptr<TMonitora> Inicia(const QString& ini)
    {
        auto monitora = Cria(ini);
        monitora->Inicia();
        return monitora;
    }

    static void EsperaMonitorando(TMonitora& m, int indice, bool limparVisivel)
    {
        EXPECT_EQ(m.IndiceTipo(), indice);
        EXPECT_TRUE(m.Monitorando());
        EXPECT_TRUE(m.TimerAtivo());
        EXPECT_EQ(m.Timer1().interval(), 59000);
        EXPECT_EQ(m.LimparVisivel(), limparVisivel);
    }
};

// [Monitor] DiasDeLog: start-up removes the daily logs older than that many
// days, and nothing else in Logs/; a value that is not a number of days says
// so and removes nothing.
TEST_F(Monitora, DiasDeLogRemoveSoOsLogsDiariosAntigos)
{
    const QString pasta = AmbienteTeste::pastaTemporaria() + u'/' + AmbienteTeste::nomeUnico(QStringLiteral("logs"));
    ASSERT_TRUE(QDir().mkpath(pasta + QStringLiteral("/Logs")));
    const QDate hoje = QDate::currentDate();
    const auto arquivo = [&](const QString& nome) { return pasta + QStringLiteral("/Logs/") + nome; };
    const auto diario = [&](int diasAtras) {
        return arquivo(QStringLiteral("M-") + hoje.addDays(-diasAtras).toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".log"));
    };
    const QStringList ficam{diario(30), diario(0), arquivo(QStringLiteral("notas-20000101.txt")),
                            arquivo(QStringLiteral("leia.log"))};
    for (const QString& caminho : ficam + QStringList{diario(31), diario(400)}) {
        QFile f(caminho);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    DefinePastaDoExecutavel(pasta);
    const QString erp = SecaoBanco1(CriaErp());
    Inicia(erp + QStringLiteral("[Monitor]\nDiasDeLog=abc\n"));
    EXPECT_TRUE(QFile::exists(diario(31)));
    EXPECT_TRUE(relator.Linhas.contains(
        QString::fromUtf8("[Monitor] DiasDeLog \"abc\" não é um número inteiro maior que zero: nenhum log diário é "
                         "removido.")))
        << relator.Linhas.join(u'\n').toStdString();
    Inicia(erp + QStringLiteral("[Monitor]\nDiasDeLog=30\n"));
    DefinePastaDoExecutavel({});
    EXPECT_FALSE(QFile::exists(diario(31)));
    EXPECT_FALSE(QFile::exists(diario(400)));
    for (const QString& caminho : ficam)
        EXPECT_TRUE(QFile::exists(caminho)) << caminho.toStdString();
    EXPECT_TRUE(relator.Linhas.contains(QString::fromUtf8("Logs diários com mais de 30 dias removidos: 2.")))
        << relator.Linhas.join(u'\n').toStdString();
}

TEST_F(Monitora, SeletorTemAsIntegracoesRegistradasPorIndice)
{
    std::swap(tipos[0], tipos[2]);  // registration order does not matter
    auto m = Cria("");
    QStringList itens;
    for (const TMonitora::TItemSeletor& item : m->ItensSeletor())
        itens << QStringLiteral("%1 %2").arg(item.Indice).arg(item.Legenda);
    EXPECT_EQ(itens, QStringList({"0 Bruma", "1 Vapora", "2 EAS"}));
    EXPECT_EQ(m->IndiceTipo(), 0);
}

TEST_F(Monitora, DuasIntegracoesNoMesmoIndiceSaoRecusadas)
{
    tipos[2].indice = 1;
    try {
        Cria("");
        FAIL() << "two types on index 1 accepted";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("Integrações \"Vapora\" e \"EAS\" registradas com o mesmo índice 1."));
    }
}

TEST_F(Monitora, ModeloIniciaSuaIntegracaoNaThreadDoCicloEAjustaOSeletor)
{
    const QString erp = CriaErp();
    QStringList iniciadas;
    QThread* threadDoInicio = nullptr;
    for (TDefinicaoTeste& tipo : tipos)
        tipo.inicia = [&, i = tipo.indice](TContextoIntegracao& c) {
            iniciadas << QString::number(i);
            threadDoInicio = QThread::currentThread();
            EXPECT_TRUE(c.KoDatabase1.Connected());  // the ERP opens first
        };
    for (const char* modelo : {"0", "2", "1x"}) {
        iniciadas.clear();
        auto m = Inicia(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=" + modelo + "\n");
        EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
        EXPECT_EQ(iniciadas, QStringList({QString(QChar::fromLatin1(modelo[0]))}));
        EXPECT_NE(threadDoInicio, QThread::currentThread());
        EXPECT_TRUE(m->KoDatabase1().Connected());
        EsperaMonitorando(*m, modelo[0] - '0', modelo[0] == '1');
    }
}

TEST_F(Monitora, ModeloComFilaAbreAVisaoFiltradaNumaConexaoPropria)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0", "", "1", "0"});
    auto m = Inicia(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=1\n");

    EXPECT_TRUE(relator.Erros.isEmpty()) << relator.Erros.join('\n').toStdString();
    EsperaMonitorando(*m, 1, true);
    const TKoTable& fila = m->TbFila();
    EXPECT_TRUE(fila.Active());
    EXPECT_EQ(fila.TableName, "QX_INTEGRA");
    EXPECT_EQ(fila.Filter, "STATUS = 0");
    EXPECT_TRUE(fila.Filtered);
    EXPECT_EQ(fila.RecordCount(), 2);  // STATUS 0 only; an empty STATUS is not shown
    EXPECT_EQ(fila.Database(), &m->KoDatabaseFila());
    EXPECT_TRUE(m->KoDatabaseFila().Connected());
    EXPECT_EQ(m->ModeloFila().rowCount(), 2);
    // Read on the queue's own thread: neither the window's nor the cycle's.
    EXPECT_NE(m->KoDatabaseFila().thread(), QThread::currentThread());
    EXPECT_NE(m->KoDatabaseFila().thread(), m->KoDatabase1().thread());
    EXPECT_NE(fila.Modelo()->thread(), QThread::currentThread());
}

TEST_F(Monitora, ModeloDesconhecidoOuVazioNaoIniciaIntegracao)
{
    const QString erp = CriaErp();
    bool iniciou = false;
    for (TDefinicaoTeste& tipo : tipos)
        tipo.inicia = [&](TContextoIntegracao&) { iniciou = true; };
    // A fullwidth 1 and an Arabic-Indic 2 are digits to Unicode, not models.
    for (const QString modelo : {"7", "", "x0", "１", "٢"}) {
        relator.Limpa();
        auto m = Inicia(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=" + modelo + "\n");
        EXPECT_TRUE(relator.Mensagens.isEmpty()) << modelo.toStdString();
        EXPECT_TRUE(m->KoDatabase1().Connected());
        EXPECT_FALSE(iniciou);
        EsperaMonitorando(*m, 0, false);
    }
}

TEST_F(Monitora, IniVazioAvisaAFalhaDoBanco1EMonitoraMesmoAssim)
{
    auto m = Inicia("");
    ASSERT_EQ(relator.Mensagens.size(), 1);
    EXPECT_TRUE(relator.Mensagens[0].startsWith("Erro na Conexão do Banco1!.\r"))
        << relator.Mensagens[0].toStdString();
    EXPECT_GT(relator.Mensagens[0].size(), QString("Erro na Conexão do Banco1!.\r").size());
    EXPECT_EQ(m->KoDatabase1().DriverName(), "FB");
    EXPECT_FALSE(m->KoDatabase1().Connected());
    EsperaMonitorando(*m, 0, false);
}

TEST_F(Monitora, IniAusenteENomeadoUmaVezNoInicio)
{
    const QString pasta = PastaComIni("");
    QFile::remove(pasta + "/QX.ini");
    TMonitora m(relator, Fabricas(), pasta);
    m.Inicia();
    ASSERT_EQ(relator.Linhas.size(), 2);
    EXPECT_EQ(relator.Linhas[0], "Arquivo de configuração não encontrado: " + pasta
                                     + "/QX.ini. Todas as chaves são lidas vazias.");
    // The line before the ERP's box names its section and data source.
    EXPECT_TRUE(relator.Linhas[1].startsWith("Conexão KoDatabase1 não aberta: [Banco1] Base = (vazia) (driver FB): "))
        << relator.Linhas[1].toStdString();
    EXPECT_EQ(relator.Mensagens.size(), 1);  // then the ERP's, as without a file
}

// An ERP that could not be opened at start-up (its file not there yet) is
// opened by the first cycle after it appears; the log says so, once for the
// outage and once for the return.
TEST_F(Monitora, ErpQueApareceDepoisDoInicioEAbertoPeloCicloSeguinte)
{
    const QString erp = CriaErp();
    const QString depois = erp + QStringLiteral(".depois");
    ASSERT_TRUE(QFile::rename(erp, depois));
    QStringList conectadoNoCiclo;
    tipos[0].primeira = [&](TContextoIntegracao& c) {
        conectadoNoCiclo << (c.KoDatabase1.Connected() ? QStringLiteral("sim") : QStringLiteral("não"));
    };
    auto m = Inicia(SecaoBanco1(erp));
    ASSERT_EQ(relator.Mensagens.size(), 1);
    EXPECT_TRUE(m->ExecutaCiclo());
    ASSERT_TRUE(QFile::rename(depois, erp));
    EXPECT_TRUE(m->ExecutaCiclo());
    EXPECT_TRUE(m->ExecutaCiclo());

    EXPECT_EQ(conectadoNoCiclo, QStringList({"não", "sim", "sim"}));
    ASSERT_EQ(relator.Linhas.size(), 2) << relator.Linhas.join('\n').toStdString();
    EXPECT_TRUE(relator.Linhas[0].startsWith("Conexão KoDatabase1 não aberta: [Banco1] Base = " + erp + " (driver FB): "))
        << relator.Linhas[0].toStdString();
    EXPECT_TRUE(relator.Linhas[1].startsWith("Conexão restabelecida: KoDatabase1 (" + erp + ")"))
        << relator.Linhas[1].toStdString();
}

TEST_F(Monitora, FalhaAoAbrirAVisaoDaFilaPulaORestoDoInicioEDesmarcaMonitorando)
{
    auto m = Inicia("[Banco1]\nBase=/nao/existe/erp.fdb\n[ModeloAtivo]\nModelo=1\n");
    ASSERT_EQ(relator.Mensagens.size(), 1);
    EXPECT_TRUE(relator.Mensagens[0].startsWith("Erro na Conexão do Banco1!.\r"));
    EXPECT_EQ(relator.Erros.size(), 1);  // opening the queue table: the error box
    EXPECT_EQ(m->IndiceTipo(), 0);
    EXPECT_FALSE(m->LimparVisivel());
    EXPECT_FALSE(m->TimerAtivo());
    EXPECT_FALSE(m->Monitorando());  // polling is off, and the switch says so
}

// PostgreSQL host and port come from "servidor"; the whole Base is the
// database name. Opening may fail: only the configuration is looked at.
struct CasoBanco1 {
    const char* ini;
    const char* driver;
    const char* host;
    const char* database;
    int porta;
};

class ConfiguracaoBanco1 : public ::testing::TestWithParam<CasoBanco1> {};

TEST_P(ConfiguracaoBanco1, ConfiguraHostPortaEBanco)
{
    TRelatorGravador relator;
    TMonitora m(relator, {}, PastaComIni(GetParam().ini));
    m.Inicia();
    const TKoDatabase& banco = m.KoDatabase1();
    EXPECT_EQ(banco.DriverName(), GetParam().driver);
    EXPECT_EQ(banco.HostName, GetParam().host);
    EXPECT_EQ(banco.Database, GetParam().database);
    EXPECT_EQ(banco.Port, GetParam().porta);
    if (!banco.Connected()) {
        ASSERT_EQ(relator.Mensagens.size(), 1);
        EXPECT_TRUE(relator.Mensagens[0].startsWith("Erro na Conexão do Banco1!.\r"));
    }
}

INSTANTIATE_TEST_SUITE_P(Casos, ConfiguracaoBanco1, ::testing::Values(
    CasoBanco1{"[Banco1]\nProtocolo=Postgres\nBase=erp\nservidor=127.0.0.9:6543\n", "PG", "127.0.0.9", "erp", 6543},
    CasoBanco1{"[Banco1]\nProtocolo=postgres\nBase=erp\nservidor=127.0.0.9\n", "PG", "127.0.0.9", "erp", 5432},
    CasoBanco1{"[Banco1]\nProtocolo=POSTGRES\nBase=erp\nservidor=127.0.0.9:x\n", "PG", "127.0.0.9", "erp", 5432},
    CasoBanco1{"[Banco1]\nProtocolo=Postgres\nBase=srv:erp\nservidor=127.0.0.9:6543\n", "PG", "127.0.0.9", "srv:erp", 6543},
    CasoBanco1{"[Banco1]\nProtocolo=Postgres\nBase=erp\n", "PG", "", "erp", 5432},
    CasoBanco1{"[Banco1]\nProtocolo=firebird\nBase=127.0.0.9:D:\\dados\\erp.fdb\nservidor=outro:1\n", "FB", "127.0.0.9", "D:\\dados\\erp.fdb", 0},
    CasoBanco1{"[Banco1]\nProtocolo=PostgreSQL\nBase=127.0.0.9:/dados/erp.fdb\nservidor=outro:1\n", "FB", "127.0.0.9", "/dados/erp.fdb", 0}));

TEST(ConfiguracaoBanco1Real, PostgresComServidorEPortaConecta)
{
    TRelatorGravador relator;
    const QString banco = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico("erp"), {"erp_postgres.sql"});
    TMonitora m(relator, {}, PastaComIni(QStringLiteral("[Banco1]\nProtocolo=Postgres\nBase=%1\nservidor=%2:%3\n"
                                                        "Usuario=%4\nSenha=\"%5\"\n")
                                             .arg(banco, AmbienteTeste::pgHost())
                                             .arg(AmbienteTeste::pgPorta())
                                             .arg(AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha())));
    m.Inicia();
    EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
    EXPECT_TRUE(m.KoDatabase1().Connected());
}

TEST_F(Monitora, TrocaDeTipoPausaEMonitorandoRetoma)
{
    auto m = Inicia(SecaoBanco1(CriaErp()));
    m->SelecionaTipo(1);
    EXPECT_FALSE(m->Monitorando());
    EXPECT_FALSE(m->TimerAtivo());
    EXPECT_TRUE(m->LimparVisivel());

    m->SelecionaTipo(2);
    EXPECT_FALSE(m->LimparVisivel());
    m->DefineMonitorando(true);
    EXPECT_TRUE(m->Monitorando());
    EXPECT_TRUE(m->TimerAtivo());
    m->DefineMonitorando(false);
    EXPECT_FALSE(m->TimerAtivo());
}

TEST_F(Monitora, CicloRodaAsOperacoesDoTipoNaThreadDoCicloComOTimerDesligado)
{
    QStringList chamadas;
    TMonitora* monitora = nullptr;
    for (TDefinicaoTeste& tipo : tipos) {
        const int i = tipo.indice;
        tipo.primeira = [&, i](TContextoIntegracao&) {
            chamadas << QStringLiteral("%1a timer=%2 thread=%3")
                            .arg(i)
                            .arg(monitora->TimerAtivo())
                            .arg(QThread::currentThread() == qApp->thread() ? "janela" : "ciclo");
        };
        tipo.segunda = [&, i](TContextoIntegracao&) {
            chamadas << QStringLiteral("%1b timer=%2").arg(i).arg(monitora->TimerAtivo());
        };
    }
    auto m = Inicia(SecaoBanco1(CriaErp()));
    monitora = m.get();

    EXPECT_TRUE(m->ExecutaCiclo());
    m->SelecionaTipo(2);
    m->DefineMonitorando(true);
    EXPECT_TRUE(m->ExecutaCiclo());
    m->SelecionaTipo(1);
    EXPECT_TRUE(m->ExecutaCiclo());  // a cycle enables the timer again only while monitoring
    EXPECT_FALSE(m->TimerAtivo());

    EXPECT_EQ(chamadas, QStringList({"0a timer=0 thread=ciclo", "0b timer=0", "2a timer=0 thread=ciclo",
                                     "2b timer=0", "1a timer=0 thread=ciclo", "1b timer=0"}));
    EXPECT_TRUE(relator.Erros.isEmpty());
}

TEST_F(Monitora, LinhasEMensagensDoCicloChegamNaOrdem)
{
    tipos[0].primeira = [](TContextoIntegracao& c) {
        c.Relator.AdicionaLinha("um");
        c.Relator.MostraMensagem("caixa");
        c.Relator.AdicionaLinha("dois");
        c.Relator.AdicionaLinha(c.Relator.Pergunta("sim?", "t") ? "respondeu sim" : "respondeu não");
    };
    auto m = Cria("");
    relator.resposta = true;
    EXPECT_TRUE(m->ExecutaCiclo());
    EXPECT_EQ(relator.Linhas, QStringList({"um", "dois", "respondeu sim"}));
    EXPECT_EQ(relator.Mensagens, QStringList({"caixa"}));
}

TEST_F(Monitora, TipoSemOperacoesTemCicloVazio)
{
    auto m = Cria("");
    m->DefineMonitorando(true);
    EXPECT_TRUE(m->ExecutaCiclo());
    EXPECT_TRUE(m->TimerAtivo());
}

TEST_F(Monitora, ErroQueEscapaDoCicloVaiParaACaixaEDesmarcaMonitorando)
{
    bool segundaRodou = false;
    tipos[0].primeira = [](TContextoIntegracao&) { throw EDatabaseError("Erro KoQuery.Open: tabela OB não existe"); };
    tipos[0].segunda = [&](TContextoIntegracao&) { segundaRodou = true; };
    auto m = Cria("");
    m->DefineMonitorando(true);

    EXPECT_FALSE(m->ExecutaCiclo());
    EXPECT_EQ(relator.Erros, QStringList({"Erro KoQuery.Open: tabela OB não existe"}));
    EXPECT_FALSE(segundaRodou);
    EXPECT_FALSE(m->TimerAtivo());
    EXPECT_FALSE(m->Monitorando());  // polling stopped: the switch says so

    m->DefineMonitorando(true);
    EXPECT_TRUE(m->TimerAtivo());
}

TEST_F(Monitora, NoServicoOErroDoCicloEhRelatadoEOPollingContinua)
{
    tipos[0].primeira = [](TContextoIntegracao&) { throw EDatabaseError("servidor caiu"); };
    auto m = Cria("");
    m->DefineAposErro(TMonitora::TAposErro::Continua);
    m->DefineMonitorando(true);

    EXPECT_FALSE(m->ExecutaCiclo());
    EXPECT_EQ(relator.Erros, QStringList({"servidor caiu"}));
    EXPECT_TRUE(m->Monitorando());
    EXPECT_TRUE(m->TimerAtivo());  // the next cycle comes 59 s later

    // The daily log cannot be written (a folder stands where today's file
    // goes): both the cycle's error and the log's are reported.
    const QString pasta = AmbienteTeste::pastaTemporaria() + u'/' + AmbienteTeste::nomeUnico("semlog");
    DefinePastaDoExecutavel(pasta);
    QDir().mkpath(pasta + "/Logs/" + NomeMaquina() + u'-' + QDate::currentDate().toString("yyyyMMdd") + ".log");
    relator.Erros.clear();
    EXPECT_FALSE(m->ExecutaCiclo());
    DefinePastaDoExecutavel({});
    ASSERT_EQ(relator.Erros.size(), 1);
    EXPECT_TRUE(relator.Erros[0].startsWith("servidor caiu\r\n")) << relator.Erros[0].toStdString();
    EXPECT_TRUE(relator.Erros[0].contains(QString::fromUtf8("arquivo de log"))) << relator.Erros[0].toStdString();
    EXPECT_TRUE(m->TimerAtivo());
}

TEST_F(Monitora, OutrosErrosTambemVaoParaACaixaEAbortoESilencioso)
{
    tipos[0].primeira = [](TContextoIntegracao&) { throw std::runtime_error("falha qualquer"); };
    tipos[1].primeira = [](TContextoIntegracao&) { throw EAbort(); };
    auto m = Cria("");
    EXPECT_FALSE(m->ExecutaCiclo());
    m->SelecionaTipo(1);
    EXPECT_FALSE(m->ExecutaCiclo());
    EXPECT_EQ(relator.Erros, QStringList({"falha qualquer"}));
}

// The question is asked on the window's thread before any work is posted;
// the clearing runs on the cycle's thread, of the selected type, and says
// how many rows it cleared.
TEST_F(Monitora, LimparFilaPerguntaNaJanelaELimpaNaThreadDoCiclo)
{
    QThread* threadPergunta = nullptr;
    QThread* threadLimpeza = nullptr;
    tipos[1].pergunta = [&](TRelator& r) {
        threadPergunta = QThread::currentThread();
        return r.Pergunta("Limpar?", "Ko Monitor de Tinturarias");
    };
    tipos[1].limpaFila = [&](TContextoIntegracao&) { threadLimpeza = QThread::currentThread(); };
    tipos[1].limpas = 5;
    tipos[2].fila = FilaQx;
    tipos[2].limpaFila = [](TContextoIntegracao&) { ADD_FAILURE() << "cleared a type not selected"; };
    auto m = Cria("");
    ASSERT_TRUE(m->SelecionaTipo(1));
    EXPECT_TRUE(m->LimpaFila());
    EXPECT_EQ(relator.Perguntas, QStringList({"Limpar?"}));
    EXPECT_EQ(threadPergunta, QThread::currentThread());
    EXPECT_NE(threadLimpeza, QThread::currentThread());
    EXPECT_TRUE(relator.Linhas.contains(QString::fromUtf8("Fila limpa: 5 tarefa(s) pendente(s) marcada(s) como limpas.")))
        << relator.Linhas.join('\n').toStdString();

    relator.resposta = false;
    threadLimpeza = nullptr;
    EXPECT_TRUE(m->LimpaFila());
    EXPECT_EQ(threadLimpeza, nullptr);

    tipos[1].limpaFila = [](TContextoIntegracao&) { throw EDatabaseError("sem conexão"); };
    relator.resposta = true;
    auto semBanco = Cria("");
    ASSERT_TRUE(semBanco->SelecionaTipo(1));
    EXPECT_FALSE(semBanco->LimpaFila());
    EXPECT_EQ(relator.Erros, QStringList({"sem conexão"}));
}

// Ticks of Timer1 fall while "Limpar fila"'s question is open: none posts
// a cycle behind it. Answered, the queue is cleared, polling goes on (the
// switch was checked meanwhile), the next cycle runs and the monitor closes.
TEST_F(Monitora, TiqueDuranteAPerguntaDeLimparFilaNaoTrava)
{
    int ciclos = 0;
    int limpezas = 0;
    tipos[1].primeira = [&](TContextoIntegracao&) { ++ciclos; };
    tipos[1].limpaFila = [&](TContextoIntegracao&) { ++limpezas; };
    TMonitora* monitora = nullptr;
    bool timerDuranteAPergunta = true;
    tipos[1].pergunta = [&](TRelator&) {
        monitora->DefineMonitorando(true);  // checked while the question is open
        timerDuranteAPergunta = monitora->TimerAtivo();
        QEventLoop pergunta;
        QTimer::singleShot(300, &pergunta, &QEventLoop::quit);
        pergunta.exec();  // ticks of a 20 ms timer would fall here
        EXPECT_TRUE(monitora->ExecutaCiclo());  // a tick already on its way is dropped
        return true;
    };
    auto m = Cria(SecaoBanco1(CriaErp()) + "[ModeloAtivo]\nModelo=1\n");
    monitora = m.get();
    m->Timer1().setInterval(20);
    ASSERT_TRUE(m->Inicia());
    ASSERT_TRUE(m->DefineMonitorando(false));

    EXPECT_TRUE(m->LimpaFila());
    EXPECT_FALSE(timerDuranteAPergunta);
    EXPECT_EQ(ciclos, 0);
    EXPECT_EQ(limpezas, 1);
    EXPECT_TRUE(m->Monitorando());
    EXPECT_TRUE(m->TimerAtivo());
    QElapsedTimer espera;
    espera.start();
    while (ciclos == 0 && espera.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_GE(ciclos, 1);
    EXPECT_TRUE(m->Encerra());
}

// "Limpar fila" leaves the count to the next cycle alone, whatever the
// answer: the timer runs through the question and is not started again.
TEST_F(Monitora, LimparFilaNaoAdiaOProximoCiclo)
{
    for (const bool resposta : {false, true}) {
        SCOPED_TRACE(testing::Message() << "resposta: " << (resposta ? "Sim" : "Não"));
        TMonitora* monitora = nullptr;
        bool timerDuranteAPergunta = false;
        tipos[1].pergunta = [&](TRelator&) {
            timerDuranteAPergunta = monitora->TimerAtivo();
            return resposta;
        };
        tipos[1].limpaFila = [](TContextoIntegracao&) {};
        auto m = Inicia(SecaoBanco1(CriaErp()) + "[ModeloAtivo]\nModelo=1\n");
        monitora = m.get();
        ASSERT_TRUE(m->TimerAtivo());
        // Some of the interval has gone, so a restarted count would show.
        while (m->Timer1().remainingTime() >= TMonitora::IntervaloTimer)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const int antes = m->Timer1().remainingTime();

        EXPECT_TRUE(m->LimpaFila());

        EXPECT_TRUE(timerDuranteAPergunta);
        EXPECT_TRUE(m->TimerAtivo());
        EXPECT_LE(m->Timer1().remainingTime(), antes);
        EXPECT_TRUE(m->Encerra());
    }
}

// "Monitorando" toggled and the tab switched while busy work runs ("Limpar
// fila" with its question open, or a cycle): the timer follows the box as
// it is when the work ends, and the queue is read again then, showing what
// the work left (here it marks every pending row as cleared).
TEST_F(Monitora, MonitorandoETrocaDeAbaDuranteOTrabalhoValemNoFim)
{
    enum class TTrabalho { LimparFila, Ciclo };
    const struct {
        TTrabalho trabalho;
        bool marcadoDurante;
    } casos[] = {
        {TTrabalho::LimparFila, false},
        {TTrabalho::LimparFila, true},
        {TTrabalho::Ciclo, false},
        {TTrabalho::Ciclo, true},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(testing::Message() << (caso.trabalho == TTrabalho::Ciclo ? "ciclo" : "Limpar fila")
                                        << ", marcado durante: " << caso.marcadoDurante);
        const QString erp = CriaErp();
        InsereFila(erp, {"0", "0"});
        TMonitora* monitora = nullptr;
        bool leuDurante = true;
        // On the window's thread, in the middle of the work.
        const auto usuarioAge = [&] {
            monitora->DefineMonitorando(caso.marcadoDurante);
            monitora->AtualizaTabela();
            leuDurante = monitora->LendoFila();
        };
        const auto marcaLimpas = [](TContextoIntegracao& c) {
            TKoQuery q;
            q.SetDatabase(&c.KoDatabase1);
            q.SQL.Add("UPDATE QX_INTEGRA SET STATUS = 3 WHERE STATUS = 0");
            q.ExecSQL();
            c.KoDatabase1.CommitRetaining();
        };
        tipos[1].pergunta = [&](TRelator&) {
            usuarioAge();
            return true;
        };
        tipos[1].limpaFila = marcaLimpas;
        tipos[1].primeira = [&](TContextoIntegracao& c) {
            QMetaObject::invokeMethod(qApp, usuarioAge, Qt::BlockingQueuedConnection);
            marcaLimpas(c);
        };
        auto m = Inicia(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=1\n");
        monitora = m.get();
        ASSERT_EQ(m->ModeloFila().rowCount(), 2);
        ASSERT_TRUE(m->DefineMonitorando(!caso.marcadoDurante));

        if (caso.trabalho == TTrabalho::LimparFila)
            EXPECT_TRUE(m->LimpaFila());
        else
            EXPECT_TRUE(m->ExecutaCiclo());

        EXPECT_FALSE(leuDurante);
        EXPECT_EQ(m->Monitorando(), caso.marcadoDurante);
        EXPECT_EQ(m->TimerAtivo(), caso.marcadoDurante);
        ASSERT_TRUE(EsperaLeituraFila(*m));
        EXPECT_EQ(m->ModeloFila().rowCount(), 0);
        EXPECT_TRUE(relator.Erros.isEmpty()) << relator.Erros.join('\n').toStdString();
        EXPECT_TRUE(m->Encerra());
    }
}

// The busy indication (the wait cursor) shows while work runs, and not for
// a handler that has nothing to do.
TEST_F(Monitora, OcupadoSoEnquantoHaTrabalho)
{
    auto m = Inicia(SecaoBanco1(CriaErp()));
    ASSERT_EQ(m->IndiceTipo(), 0);  // a type without a queue
    relator.Ocupacoes = 0;
    EXPECT_TRUE(m->AtualizaTabela());
    EXPECT_TRUE(m->DefineMonitorando(true));
    EXPECT_EQ(relator.Ocupacoes, 0);
    EXPECT_TRUE(m->ExecutaCiclo());
    EXPECT_GE(relator.Ocupacoes, 1);
}

TEST_F(Monitora, TrocaDeAbaSoReabreAFilaNoTipoComFila)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0", "1"});
    auto m = Inicia(SecaoBanco1(erp));

    EXPECT_TRUE(m->AtualizaTabela());
    EXPECT_FALSE(m->LendoFila());
    EXPECT_FALSE(m->TbFila().Active());

    m->SelecionaTipo(1);
    EXPECT_TRUE(m->AtualizaTabela());
    ASSERT_TRUE(EsperaLeituraFila(*m));
    EXPECT_TRUE(m->TbFila().Active());
    EXPECT_EQ(m->ModeloFila().rowCount(), 1);
    EXPECT_EQ(m->ModeloFila().headerData(m->ModeloFila().columnCount() - 1, Qt::Horizontal).toString().toUpper(),
              "STATUS");

    InsereFila(erp, {"0", "0", "0"});  // ORDEM 1 to 3 again, all waiting
    m->AtualizaTabela();
    ASSERT_TRUE(EsperaLeituraFila(*m));
    EXPECT_EQ(m->ModeloFila().rowCount(), 4);

    m->SelecionaTipo(0);
    InsereFila(erp, {"0"});
    m->AtualizaTabela();  // no queue: the grid keeps what it showed
    EXPECT_FALSE(m->LendoFila());
    EXPECT_EQ(m->ModeloFila().rowCount(), 4);
    EXPECT_TRUE(relator.Erros.isEmpty()) << relator.Erros.join('\n').toStdString();
}

// The queue tab read while another client holds the queue's database
// locked (an SQLite file behind ODBC, under an exclusive transaction): the
// switch returns at once, the window's thread goes on handling its events
// while the reading waits, and the rows arrive when the lock goes, or the
// error when the reading's time limit passes first. Either way the window
// never waited.
TEST_F(Monitora, TrocaDeAbaNaoEsperaPelaConexaoDaFila)
{
    const struct {
        const char* nome;
        bool liberaATrava;
    } casos[] = {{"a trava sai", true}, {"a trava fica além do limite", false}};
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        relator.Limpa();
        TLimitesExecucao curtos;
        curtos.FirebirdMs = curtos.OutrosMs = caso.liberaATrava ? 30000 : 1000;
        const TLimitesDeTeste limites(curtos);
        const QString dsn = AmbienteTeste::nomeUnico(QStringLiteral("filatrava"));
        const QString arquivo = BancoTeste::criaSqliteOdbc(dsn, {});
        const QString nomeTrava = AmbienteTeste::nomeUnico(QStringLiteral("trava"));
        {
            QSqlDatabase trava = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nomeTrava);
            trava.setDatabaseName(arquivo);
            ASSERT_TRUE(trava.open());
            QSqlQuery sql(trava);
            for (const char* comando : {"CREATE TABLE QX_INTEGRA (ORDEM INTEGER, TIPO VARCHAR(2), OPERACAO VARCHAR(1), "
                                        "CAMPO1 VARCHAR(200), CAMPO2 VARCHAR(200), CAMPO3 VARCHAR(200), STATUS INTEGER)",
                                        "INSERT INTO QX_INTEGRA (ORDEM, STATUS) VALUES (1, 0)",
                                        "INSERT INTO QX_INTEGRA (ORDEM, STATUS) VALUES (2, 0)"})
                ASSERT_TRUE(sql.exec(QString::fromLatin1(comando))) << sql.lastError().text().toStdString();
        }
        auto m = Inicia(QStringLiteral("[Banco1]\nBase=Provider=MSDASQL.1;Persist Security Info=False;Data Source=")
                        + dsn + u'\n');
        ASSERT_TRUE(m->KoDatabase1().Connected()) << relator.Mensagens.join('\n').toStdString();
        ASSERT_TRUE(m->SelecionaTipo(1));
        {
            QSqlQuery sql(QSqlDatabase::database(nomeTrava, false));
            ASSERT_TRUE(sql.exec(QStringLiteral("BEGIN EXCLUSIVE"))) << sql.lastError().text().toStdString();
        }

        EXPECT_TRUE(m->AtualizaTabela());
        EXPECT_TRUE(m->LendoFila());  // returned with the reading still waiting
        int tiques = 0;
        bool lendoAposOsTiques = false;
        QTimer relogio;
        QObject::connect(&relogio, &QTimer::timeout, [&] {
            if (++tiques != 10)
                return;
            lendoAposOsTiques = m->LendoFila();
            if (caso.liberaATrava)
                QSqlDatabase::database(nomeTrava, false).rollback();
        });
        relogio.start(20);
        ASSERT_TRUE(EsperaLeituraFila(*m));
        relogio.stop();

        EXPECT_GE(tiques, 10);
        EXPECT_TRUE(lendoAposOsTiques);
        if (caso.liberaATrava) {
            EXPECT_TRUE(relator.Erros.isEmpty()) << relator.Erros.join('\n').toStdString();
            EXPECT_EQ(m->ModeloFila().rowCount(), 2);
        } else {
            EXPECT_EQ(relator.Erros.size(), 1);
            EXPECT_EQ(m->ModeloFila().rowCount(), 0);
        }
        QSqlDatabase::database(nomeTrava, false).close();
        QSqlDatabase::removeDatabase(nomeTrava);
        EXPECT_TRUE(m->Encerra());
    }
}

TEST_F(Monitora, FechamentoEncerraAsIntegracoesEFechaAsConexoes)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0"});
    auto m = Inicia(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=1\n");
    ASSERT_TRUE(m->KoDatabaseFila().Connected());
    EXPECT_TRUE(m->Encerra());
    EXPECT_FALSE(m->KoDatabase1().Connected());
    EXPECT_FALSE(m->KoDatabaseFila().Connected());
    EXPECT_FALSE(m->TimerAtivo());
}

} // namespace
