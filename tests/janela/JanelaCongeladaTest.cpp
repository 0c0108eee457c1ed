// The window against a Firebird server frozen with SIGSTOP (its
// connections stay open and nothing answers), on server instances of this
// executable alone: a close during a cycle says at once that it waits and,
// past its grace, closes anyway; the status bar shows the connection as
// waiting; "Verificar configuração" gives each server a bound and always
// ends; an opening that reaches its time limit says so; `quelix --estado`
// names the call the cycle waits for while it waits.

#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "BancoTeste.h"
#include "InstanciasPrivadas.h"
#include "IntegracaoTeste.h"

#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "dblayer/LimitesExecucao.h"
#include "integracao/AbreConexao.h"
#include "janela/FmMonitora.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QApplication>);

// Ports below the ephemeral range, apart from the other tests' own.
TInstanciasPrivadas& Instancias()
{
    static TInstanciasPrivadas instancias(QStringLiteral("/var/tmp/quelix-janela-congelada"), 25482, 23094);
    return instancias;
}

std::optional<std::string> gErroAoIniciar;
bool gIniciadas = false;

class TParaInstancias : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (gIniciadas)
            Instancias().Para();
    }
};
const auto* const Parada = ::testing::AddGlobalTestEnvironment(new TParaInstancias);

::testing::AssertionResult InstanciasProntas()
{
    if (!gIniciadas && !gErroAoIniciar) {
        try {
            Instancias().Inicia();
            Instancias().Exporta();
            gIniciadas = true;
        } catch (const std::exception& e) {
            gErroAoIniciar = e.what();
        }
    }
    if (gErroAoIniciar)
        return ::testing::AssertionFailure() << "as instâncias de teste (Firebird 127.0.0.1:23094, PostgreSQL "
                                                "127.0.0.1:25482, em /var/tmp/quelix-janela-congelada) não "
                                                "iniciaram: "
                                             << *gErroAoIniciar;
    return ::testing::AssertionSuccess();
}

// Thaws the server whatever the test does.
class TCongelado {
public:
    TCongelado() { Instancias().Congela(QStringLiteral("firebird")); }
    ~TCongelado() { Descongela(); }
    void Descongela()
    {
        if (FbCongelado)
            Instancias().Descongela(QStringLiteral("firebird"));
        FbCongelado = false;
    }

private:
    bool FbCongelado = true;
};

QString SecaoErpNoServidor(const QString& erp)
{
    return QStringLiteral("[Banco1]\nProtocolo=firebird\nBase=%1\nUsuario=%2\nSenha=%3\n")
        .arg(erp, AmbienteTeste::fbUsuario(), AmbienteTeste::fbSenha());
}

class JanelaCongelada : public ::testing::Test {
protected:
    TRelatorComTitulos caixas;
    std::array<TDefinicaoTeste, 1> tipos{Tipo(0, QStringLiteral("Bruma"))};

    std::unique_ptr<TFmMonitora> Cria(const QString& ini)
    {
        const QString pasta = PastaComIni(ini);
        TFabricasIntegracao fabricas;
        for (const TDefinicaoTeste& tipo : tipos)
            fabricas << FabricaTeste(tipo);
        return std::make_unique<TFmMonitora>(
            [fabricas, pasta](TRelator& relator) { return std::make_unique<TMonitora>(relator, fabricas, pasta); },
            &caixas);
    }

    static QStringList LinhasDoLog(TFmMonitora& j) { return j.Memo1->toPlainText().split('\n'); }
};

// A close during a cycle held by the frozen server: the notice at once,
// the connection shown as waiting in the words of the log line, and past
// the grace the window closes anyway with its line; the work left undone
// is the server's to undo.
TEST_F(JanelaCongelada, FecharDuranteCicloPresoFechaAssimMesmoAposOPrazo)
{
    ASSERT_TRUE(InstanciasProntas());
    const QString erp = BancoTeste::criaFirebirdServidor(QStringLiteral("congelada"), {QStringLiteral("erp_firebird.sql")});
    TLimitesExecucao limites;
    limites.FirebirdMs = 1000;  // the statement's limit, past which the call is said to wait
    const TLimitesDeTeste curtos(limites);

    std::optional<TCongelado> congelado;
    tipos[0].primeira = [&congelado](TContextoIntegracao& c) {
        QMetaObject::invokeMethod(qApp, [&congelado] { congelado.emplace(); }, Qt::BlockingQueuedConnection);
        TKoQuery consulta;
        consulta.SetDatabase(&c.KoDatabase1);
        consulta.SQL.Add(QStringLiteral("SELECT COUNT(*) FROM FAL_001"));
        try {
            consulta.Open();  // on the frozen server
        } catch (const std::exception&) {
            // the server went on and the connection, or the call, ended
        }
    };
    auto j = Cria(SecaoErpNoServidor(erp) + "[ModeloAtivo]\nModelo=0\n");
    ASSERT_TRUE(j->Monitora().KoDatabase1().Connected()) << caixas.Mensagens.join('\n').toStdString();
    j->PrazoFecharMs = 3000;
    QStringList fechouSemEsperar;
    QString avisoAoFechar;
    QString conexoesDuranteAEspera;
    j->FechaSemEsperar = [&](const QString& linha) {
        fechouSemEsperar << linha;
        congelado->Descongela();  // the test process goes on: the cycle may end now
    };
    j->show();
    QTimer::singleShot(0, j.get(), [&] {
        // Once the call has passed its limit, the bar names it; then close.
        QTest::qWaitFor([&] { return j->LbConexoes->text().contains(QStringLiteral("sem resposta")); }, 30000);
        conexoesDuranteAEspera = j->LbConexoes->text();
        j->close();
        avisoAoFechar = j->LbAviso->isVisible() ? j->LbAviso->text() : QString();
    });
    j->Timer1Timer();
    QApplication::processEvents();

    EXPECT_TRUE(QRegularExpression(QStringLiteral("^ERP: sem resposta do servidor: .+ espera há \\d+ s \\(limite de 1 s\\)$"))
                    .match(conexoesDuranteAEspera).hasMatch())
        << conexoesDuranteAEspera.toStdString();
    EXPECT_EQ(avisoAoFechar, QStringLiteral("A janela fecha quando o ciclo em andamento terminar; se não terminar em "
                                            "3 s, fecha assim mesmo."));
    ASSERT_EQ(fechouSemEsperar.size(), 1);
    EXPECT_TRUE(fechouSemEsperar[0].startsWith(
        QStringLiteral("A janela foi fechada sem esperar o ciclo em andamento, que não terminou em 3 s (chamadas em "
                       "curso: ")))
        << fechouSemEsperar[0].toStdString();
    EXPECT_TRUE(fechouSemEsperar[0].contains(QStringLiteral(" em KoDatabase1 há "))) << fechouSemEsperar[0].toStdString();
    EXPECT_TRUE(LinhasDoLog(*j).contains(fechouSemEsperar[0]));
}

// A call that waits past its limit is kept in the journal while it waits:
// `quelix --estado`, another process reading it, says the monitor is not
// healthy and names the call, and the record the cycle handled before the
// call is committed meanwhile (no group of the journal stays open across
// the call); once the call ended, --estado no longer names it.
TEST_F(JanelaCongelada, EstadoNomeiaAChamadaQueEsperaAlemDoLimite)
{
    ASSERT_TRUE(InstanciasProntas());
    const QString erp = BancoTeste::criaFirebirdServidor(QStringLiteral("estado"), {QStringLiteral("erp_firebird.sql")});
    TLimitesExecucao limites;
    limites.FirebirdMs = 1000;
    const TLimitesDeTeste curtos(limites);

    std::optional<TCongelado> congelado;
    tipos[0].primeira = [&congelado](TContextoIntegracao& c) {
        c.Relator.AdicionaLinha(QStringLiteral("FAL 30 enviada"));
        c.Relator.RegistraRegistro({TDirecaoRegistro::Saida, "lote", "30", TDesfechoRegistro::Enviado, {}});
        QMetaObject::invokeMethod(qApp, [&congelado] { congelado.emplace(); }, Qt::BlockingQueuedConnection);
        TKoQuery consulta;
        consulta.SetDatabase(&c.KoDatabase1);
        consulta.SQL.Add(QStringLiteral("SELECT COUNT(*) FROM FAL_001"));
        try {
            consulta.Open();  // on the frozen server
        } catch (const std::exception&) {
            // the server went on and the connection, or the call, ended
        }
    };
    auto j = Cria(SecaoErpNoServidor(erp) + "[ModeloAtivo]\nModelo=0\n");
    ASSERT_TRUE(j->Monitora().KoDatabase1().Connected()) << caixas.Mensagens.join('\n').toStdString();
    const QString quelix = QStringLiteral(QUELIX_EXECUTAVEL);
    const QStringList naPasta{QStringLiteral("--pasta"), j->Monitora().Configuracao().Pasta()};
    TSaida estado;
    TSaida historico;
    QTimer::singleShot(0, j.get(), [&] {
        // The watchdog says the call once it is past its limit, at its next
        // look (every second); the journal keeps it right after.
        QElapsedTimer espera;
        espera.start();
        do {
            QTest::qWait(200);
            estado = Executa(quelix, QStringList{QStringLiteral("--estado")} + naPasta);
        } while (!estado.saida.contains(QStringLiteral("sem resposta")) && espera.elapsed() < 30000);
        historico = Executa(quelix, QStringList{QStringLiteral("--historico"), QStringLiteral("--chave"),
                                                QStringLiteral("30")} + naPasta);
        congelado->Descongela();
    });
    j->Timer1Timer();

    EXPECT_EQ(estado.status, 1) << estado.saida.toStdString() << estado.erros.toStdString();
    EXPECT_TRUE(estado.saida.contains(QString::fromUtf8("Último ciclo (Bruma): em andamento desde ")))
        << estado.saida.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\nFalha: sem resposta do servidor: .+ em KoDatabase1 há \\d+ s "
                                                  "\\(limite de 1 s\\)\n$"))
                    .match(estado.saida).hasMatch())
        << estado.saida.toStdString();
    EXPECT_EQ(historico.status, 0) << historico.erros.toStdString();
    EXPECT_TRUE(historico.saida.contains(QStringLiteral("  Bruma  enviado  lote  30  enviado\n    FAL 30 enviada")))
        << historico.saida.toStdString();

    // The watchdog finds the call ended at its next look.
    TSaida depois;
    QElapsedTimer espera;
    espera.start();
    do {
        QTest::qWait(200);
        depois = Executa(quelix, QStringList{QStringLiteral("--estado")} + naPasta);
    } while (depois.saida.contains(QStringLiteral("sem resposta")) && espera.elapsed() < 30000);
    EXPECT_FALSE(depois.saida.contains(QStringLiteral("sem resposta"))) << depois.saida.toStdString();
    EXPECT_TRUE(depois.saida.contains(QString::fromUtf8("Último ciclo (Bruma): "))) << depois.saida.toStdString();
}

// "Verificar configuração" with the ERP's server frozen: the connection's
// check gives up within its bound with its own FALHA line, the other checks
// go on, and the check ends with its closing line, the button enabled.
TEST_F(JanelaCongelada, VerificarConfiguracaoTerminaComOServidorCongelado)
{
    ASSERT_TRUE(InstanciasProntas());
    const QString erp = BancoTeste::criaFirebirdServidor(QStringLiteral("verifica"), {QStringLiteral("erp_firebird.sql")});
    TLimitesExecucao limites;
    limites.ConfereConexaoMs = 1000;
    limites.FolgaSemRespostaMs = 1000;
    const TLimitesDeTeste curtos(limites);
    auto j = Cria(SecaoErpNoServidor(erp) + "[ModeloAtivo]\nModelo=0\n");
    j->DefineCatalogoComandos({{"Bruma", "ERP", "SELECT NUMERO FROM FAL_001"}});
    ASSERT_TRUE(j->Monitora().KoDatabase1().Connected());
    j->Memo1->clear();
    QString trabalhoDuranteAVerificacao;
    QTimer relogio;
    QObject::connect(&relogio, &QTimer::timeout, [&] {
        if (trabalhoDuranteAVerificacao.isEmpty())
            trabalhoDuranteAVerificacao = j->LbProximoCiclo->text();
    });
    {
        const TCongelado congelado;
        relogio.start(50);
        j->BtnVerificar->click();
        relogio.stop();
    }
    const QStringList linhas = LinhasDoLog(*j);
    EXPECT_TRUE(linhas.contains(QStringLiteral("FALHA: conexão KoDatabase1: o servidor não responde em 2 s; os "
                                               "comandos e índices desta conexão não foram verificados")))
        << linhas.join('\n').toStdString();
    EXPECT_FALSE(linhas.filter(QRegularExpression("^ok: pasta de logs ")).isEmpty()) << linhas.join('\n').toStdString();
    EXPECT_EQ(linhas.back(), QStringLiteral("Verificação concluída: veja as linhas FALHA acima."));
    EXPECT_TRUE(linhas.filter(QStringLiteral("o ciclo continua")).isEmpty()) << linhas.join('\n').toStdString();
    EXPECT_TRUE(trabalhoDuranteAVerificacao.startsWith(QStringLiteral("Verificando a configuração há ")))
        << trabalhoDuranteAVerificacao.toStdString();
    EXPECT_TRUE(j->BtnVerificar->isEnabled());
}

// An opening that gives up at the connection's time limit is said as one,
// not in the client library's words for some other cause.
TEST_F(JanelaCongelada, AberturaQueEsgotaOLimiteEhDitaComoLimite)
{
    ASSERT_TRUE(InstanciasProntas());
    const QString erp = BancoTeste::criaFirebirdServidor(QStringLiteral("abertura"), {QStringLiteral("erp_firebird.sql")});
    TLimitesExecucao limites;
    limites.OutrosMs = 2000;
    const TLimitesDeTeste curtos(limites);
    TKoDatabase banco;
    banco.SetDriverName(QStringLiteral("FB"));
    banco.SetDatabaseName(erp);
    banco.User = AmbienteTeste::fbUsuario();
    banco.Password = AmbienteTeste::fbSenha();
    std::optional<QString> erro;
    {
        const TCongelado congelado;
        erro = TentaAbrir(banco);
    }
    ASSERT_TRUE(erro.has_value());
    EXPECT_TRUE(erro->startsWith(QStringLiteral("o servidor não respondeu em 2 s (limite da abertura da conexão): ")))
        << erro->toStdString();
    EXPECT_FALSE(erro->contains(u'\n'));
}

} // namespace
