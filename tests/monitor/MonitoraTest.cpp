#include "monitor/Monitora.h"

#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "BancoTeste.h"
#include "base/Erros.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao =
    ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

const QString PrefixoOdbc =
    QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=");

class Monitora : public ::testing::Test {
protected:
    TRelatorComTitulos relator;

    std::unique_ptr<TMonitora> Inicia(const QString& ini)
    {
        auto monitora = std::make_unique<TMonitora>(relator, PastaComIni(ini));
        monitora->FormCreate();
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

TEST_F(Monitora, InicioBrumaAbreAFilaDaMaquinaPorOdbc)
{
    const QString erp = CriaErp();
    const QString bruma = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico("bruma"), {"bruma_postgres.sql"});
    const QString dsn = BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico("dsn_bruma"), bruma);
    auto m = Inicia(SecaoBanco1(erp)
                    + QStringLiteral("[Banco2]\nProtocolo=Postgres\nBase=%1\nUsuario=%2\nSenha=%3\n"
                                     "[ModeloAtivo]\nModelo=0\n")
                          .arg(dsn, AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha()));

    EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
    EXPECT_TRUE(m->Dados().KoDatabase1.Connected());
    EXPECT_TRUE(m->Dados().KoDatabase2.Connected());
    EXPECT_EQ(m->Dados().KoDatabase2.DatabaseName(), PrefixoOdbc + dsn);
    EXPECT_EQ(m->Dados().KoDatabase2.DriverName(), "PG");
    EsperaMonitorando(*m, 0, false);
}

TEST_F(Monitora, InicioVaporaLeOsLocaisEAbreAFilaFiltrada)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0", "", "1", "0"});
    auto m = Inicia(SecaoBanco1(erp)
                    + "[Vapora]\nArtigo=http://ws/artigo?wsdl\nCliente=http://ws/cliente\nCor=c\n"
                      "ClasseProduto=cp\nSubClasseProduto=scp\nProduto=p\nGerarOP=http://ws:3030/op\n"
                      "Programacao=pg\nTipoFio=\n[ModeloAtivo]\nModelo=1x\n");

    EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
    EXPECT_TRUE(relator.Erros.isEmpty()) << relator.Erros.join('\n').toStdString();
    EsperaMonitorando(*m, 1, true);
    const TLocaisVapora& l = m->LocaisVapora;
    EXPECT_EQ(QStringList({l.HTTPArtigo, l.HTTPCliente, l.HTTPCor, l.HTTPClasseProduto,
                           l.HTTPSubClasseProduto, l.HTTPProduto, l.HTTPGerarOP, l.HTTPProgramacao,
                           l.HTTPTipoFio}),
              QStringList({"http://ws/artigo?wsdl", "http://ws/cliente", "c", "cp", "scp", "p",
                           "http://ws:3030/op", "pg", ""}));
    const TKoTable& fila = m->Dados().TbQxIntegra;
    EXPECT_TRUE(fila.Active());
    EXPECT_EQ(fila.TableName, "QX_INTEGRA");
    EXPECT_EQ(fila.Filter, "STATUS = 0");
    EXPECT_TRUE(fila.Filtered);
    EXPECT_EQ(fila.RecordCount(), 2);  // STATUS 0 only; an empty STATUS is not shown
    EXPECT_FALSE(m->Dados().KoDatabase2.Connected());
    EXPECT_EQ(m->Dados().KoDatabase2.DriverName(), "MSSQL");
}

TEST_F(Monitora, InicioEasAbreOHostELeSchemaEEstoque)
{
    const QString erp = CriaErp();
    const QString host = BancoTeste::criaFirebirdLocal(AmbienteTeste::nomeUnico("eas"), {"eas_host_firebird.sql"});
    auto m = Inicia(SecaoBanco1(erp)
                    + QStringLiteral("[Banco3]\nProtocolo=FB\nBase=%1\nUsuario=SYSDBA\nSenha=x\n"
                                     "Schema=EASHOST\nEstoque=S\n[ModeloAtivo]\nModelo=2\n")
                          .arg(host));

    EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
    EXPECT_TRUE(m->Dados().KoDatabase2.Connected());
    EXPECT_EQ(m->Dados().KoDatabase2.Database, host);
    EXPECT_EQ(m->sSchema, "EASHOST");
    EXPECT_TRUE(m->bGravaEstoque);
    EsperaMonitorando(*m, 2, false);
}

TEST_F(Monitora, InicioEasComHostInacessivelAvisaEMonitoraMesmoAssim)
{
    const QString erp = CriaErp();
    auto m = Inicia(SecaoBanco1(erp)
                    + "[Banco3]\nBase=/nao/existe/host.fdb\nEstoque=s\n[ModeloAtivo]\nModelo=2\n");

    ASSERT_EQ(relator.Mensagens.size(), 1);
    EXPECT_FALSE(relator.Mensagens[0].isEmpty());
    EXPECT_FALSE(relator.Mensagens[0].startsWith("Erro na Conexão do Banco1!."));
    EXPECT_FALSE(m->bGravaEstoque);  // "S" exactly, case-sensitive
    EXPECT_FALSE(m->Dados().KoDatabase2.Connected());
    EsperaMonitorando(*m, 2, false);
}

TEST_F(Monitora, ModeloDesconhecidoOuVazioNaoConfiguraOSegundoBanco)
{
    const QString erp = CriaErp();
    for (const QString modelo : {"7", "", "x0"}) {
        relator.Limpa();
        auto m = Inicia(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=" + modelo + "\n");
        EXPECT_TRUE(relator.Mensagens.isEmpty()) << modelo.toStdString();
        EXPECT_TRUE(m->Dados().KoDatabase1.Connected());
        EXPECT_FALSE(m->Dados().KoDatabase2.Connected());
        EXPECT_EQ(m->Dados().KoDatabase2.DriverName(), "MSSQL");
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
    EXPECT_EQ(m->Dados().KoDatabase1.DriverName(), "FB");
    EXPECT_FALSE(m->Dados().KoDatabase1.Connected());
    EsperaMonitorando(*m, 0, false);
}

TEST_F(Monitora, VaporaSemBanco1MostraOErroEPulaORestoDoInicio)
{
    auto m = Inicia("[Banco1]\nBase=/nao/existe/erp.fdb\n[ModeloAtivo]\nModelo=1\n");
    ASSERT_EQ(relator.Mensagens.size(), 1);
    EXPECT_TRUE(relator.Mensagens[0].startsWith("Erro na Conexão do Banco1!.\r"));
    EXPECT_EQ(relator.Erros.size(), 1);  // opening the queue table: the error box
    EXPECT_EQ(m->IndiceTipo(), 0);
    EXPECT_FALSE(m->LimparVisivel());
    EXPECT_FALSE(m->TimerAtivo());
    EXPECT_TRUE(m->Monitorando());
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
    TMonitora m(relator, PastaComIni(GetParam().ini));
    m.ConfiguraBanco1();
    const TKoDatabase& banco = m.Dados().KoDatabase1;
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
    TMonitora m(relator, PastaComIni(QStringLiteral("[Banco1]\nProtocolo=Postgres\nBase=%1\nservidor=%2:%3\n"
                                                    "Usuario=%4\nSenha=\"%5\"\n")
                                         .arg(banco, AmbienteTeste::pgHost())
                                         .arg(AmbienteTeste::pgPorta())
                                         .arg(AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha())));
    m.ConfiguraBanco1();
    EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
    EXPECT_TRUE(m.Dados().KoDatabase1.Connected());
}

TEST_F(Monitora, TrocaDeTipoPausaEMonitorandoRetoma)
{
    auto m = Inicia(SecaoBanco1(CriaErp()));
    m->RgTipoClick(1);
    EXPECT_FALSE(m->Monitorando());
    EXPECT_FALSE(m->TimerAtivo());
    EXPECT_TRUE(m->LimparVisivel());
    EXPECT_FALSE(m->Dados().KoDatabase2.Connected());  // nothing is reconnected

    m->RgTipoClick(2);
    EXPECT_FALSE(m->LimparVisivel());
    m->CbMonitoraClick(true);
    EXPECT_TRUE(m->Monitorando());
    EXPECT_TRUE(m->TimerAtivo());
    m->CbMonitoraClick(false);
    EXPECT_FALSE(m->TimerAtivo());
}

TEST_F(Monitora, CicloRodaAsOperacoesDoTipoComOTimerDesligado)
{
    auto m = Inicia(SecaoBanco1(CriaErp()));
    QStringList chamadas;
    for (int i = 0; i < 3; ++i)
        m->RegistraOperacoes(
            i,
            [&, i] { chamadas << QStringLiteral("%1a timer=%2").arg(i).arg(m->TimerAtivo()); },
            [&, i] { chamadas << QStringLiteral("%1b timer=%2").arg(i).arg(m->TimerAtivo()); });

    EXPECT_TRUE(m->Timer1Timer());
    m->RgTipoClick(2);
    m->CbMonitoraClick(true);
    EXPECT_TRUE(m->Timer1Timer());
    m->RgTipoClick(1);
    EXPECT_TRUE(m->Timer1Timer());  // a cycle enables the timer again when it ends

    EXPECT_EQ(chamadas, QStringList({"0a timer=0", "0b timer=0", "2a timer=0", "2b timer=0",
                                     "1a timer=0", "1b timer=0"}));
    EXPECT_TRUE(m->TimerAtivo());
    EXPECT_TRUE(relator.Erros.isEmpty());
}

TEST_F(Monitora, TipoSemOperacoesTemCicloVazio)
{
    TMonitora m(relator, PastaComIni(""));
    EXPECT_TRUE(m.Timer1Timer());
    EXPECT_TRUE(m.TimerAtivo());
}

TEST_F(Monitora, ErroQueEscapaDoCicloVaiParaACaixaEDeixaOPollingParado)
{
    TMonitora m(relator, PastaComIni(""));
    bool segundaRodou = false;
    m.RegistraOperacoes(0, [] { throw EDatabaseError("Erro KoQuery.Open: tabela OB não existe"); },
                        [&] { segundaRodou = true; });
    m.CbMonitoraClick(true);

    EXPECT_FALSE(m.Timer1Timer());
    EXPECT_EQ(relator.Erros, QStringList({"Erro KoQuery.Open: tabela OB não existe"}));
    EXPECT_FALSE(segundaRodou);
    EXPECT_FALSE(m.TimerAtivo());
    EXPECT_TRUE(m.Monitorando());  // still checked, yet polling stays off

    m.CbMonitoraClick(false);
    m.CbMonitoraClick(true);
    EXPECT_TRUE(m.TimerAtivo());
}

TEST_F(Monitora, OutrosErrosTambemVaoParaACaixaEAbortoESilencioso)
{
    TMonitora m(relator, PastaComIni(""));
    m.RegistraOperacoes(0, [] { throw std::runtime_error("falha qualquer"); }, {});
    m.RegistraOperacoes(1, [] { throw EAbort(); }, {});
    EXPECT_FALSE(m.Timer1Timer());
    m.RgTipoClick(1);
    EXPECT_FALSE(m.Timer1Timer());
    EXPECT_EQ(relator.Erros, QStringList({"falha qualquer"}));
}

TEST_F(Monitora, LimparFilaRespondidoNaoNaoMudaNadaESimMarcaOsPendentes)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0", "", "1", "2", "0"});
    auto m = Inicia(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=1\n");

    relator.resposta = false;
    EXPECT_TRUE(m->BtnLimparClick());
    EXPECT_EQ(relator.Perguntas, QStringList({"Deseja realmente limpar a fila de tarefas pendentes?"}));
    EXPECT_EQ(relator.Titulos, QStringList({"Ko Monitor de Tinturarias"}));
    EXPECT_EQ(LeStatusFila(erp), QStringList({"0", "", "1", "2", "0"}));

    relator.resposta = true;
    EXPECT_TRUE(m->BtnLimparClick());
    EXPECT_EQ(LeStatusFila(erp), QStringList({"3", "3", "1", "2", "3"}));  // committed
    EXPECT_EQ(m->Dados().QryExec1.SQL.Text(),
              "UPDATE QX_INTEGRA SET\r\nSTATUS = 3\r\nWHERE (STATUS = 0 OR STATUS IS NULL)\r\n");
    EXPECT_TRUE(relator.Erros.isEmpty());
}

TEST_F(Monitora, LimparFilaSemBancoMostraOErro)
{
    auto m = Inicia("[Banco1]\nBase=/nao/existe/erp.fdb\n");
    EXPECT_FALSE(m->BtnLimparClick());
    EXPECT_EQ(relator.Erros.size(), 1);
}

TEST_F(Monitora, TrocaDeAbaSoReabreAFilaNoVapora)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0", "1"});
    auto m = Inicia(SecaoBanco1(erp));

    EXPECT_TRUE(m->PageControl1Change());
    EXPECT_FALSE(m->Dados().TbQxIntegra.Active());

    m->RgTipoClick(1);
    EXPECT_TRUE(m->PageControl1Change());
    EXPECT_TRUE(m->Dados().TbQxIntegra.Active());
    EXPECT_EQ(m->Dados().TbQxIntegra.RecordCount(), 1);

    InsereFila(erp, {"0", "0", "0"});  // ORDEM 1 to 3 again, all waiting
    m->PageControl1Change();
    EXPECT_EQ(m->Dados().TbQxIntegra.RecordCount(), 4);

    m->RgTipoClick(0);
    InsereFila(erp, {"0"});
    m->PageControl1Change();  // not Vapora: the grid keeps what it showed
    EXPECT_EQ(m->Dados().TbQxIntegra.RecordCount(), 4);
}

TEST_F(Monitora, FechamentoFechaAsDuasConexoes)
{
    const QString erp = CriaErp();
    const QString host = BancoTeste::criaFirebirdLocal(AmbienteTeste::nomeUnico("eas"), {"eas_host_firebird.sql"});
    auto m = Inicia(SecaoBanco1(erp) + "[Banco3]\nBase=" + host + "\n[ModeloAtivo]\nModelo=2\n");
    ASSERT_TRUE(m->Dados().KoDatabase2.Connected());
    EXPECT_TRUE(m->FormClose());
    EXPECT_FALSE(m->Dados().KoDatabase2.Connected());
    EXPECT_FALSE(m->Dados().KoDatabase1.Connected());
    EXPECT_FALSE(m->TimerAtivo());
}

} // namespace
