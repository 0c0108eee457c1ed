// quelix --ciclo killed outright (SIGKILL) at each step of the kitchen's
// consumptions, on an ERP and a host on the PostgreSQL test server. To stop
// the process at one statement and no other, the test holds, from a session
// of its own, the one lock that statement needs and nothing before it does;
// once the server shows the monitor waiting on it, the monitor is killed.
// Then a new cycle runs, and stock, movements, marks and the monitor's
// table of applied events must come out exactly as if nothing had happened.
#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "BancoTeste.h"
#include "MonitorEmExecucao.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

// Two consumptions, of 1 of M001 and 2 of M002, each on its own document.
const char* const SqlErp = R"(
INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0001', '1');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, PRECO) VALUES ('M001', 'Corante', 'CO', 14);
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, PRECO) VALUES ('M002', 'Sal', 'AX', 1);
INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE) VALUES ('M001', '0', '000000', '0001', 100);
INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE) VALUES ('M002', '0', '000000', '0001', 50);
)";
const char* const SqlHost = R"(
INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('89', 'X', 'ABC0000001|||M001|||100000000|||||||9|', 'F');
INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('89', 'X', 'ABC0000002|||M002|||200000000|||||||9|', 'F');
)";

// A plain session on a test database, outside the monitor's layer.
class TSessao {
public:
    TSessao(const QString& nome, const QString& base) : FNome(nome)
    {
        QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), nome);
        banco.setHostName(AmbienteTeste::pgHost());
        banco.setPort(AmbienteTeste::pgPorta());
        banco.setUserName(AmbienteTeste::pgUsuario());
        banco.setPassword(AmbienteTeste::pgSenha());
        banco.setDatabaseName(base);
        if (!banco.open())
            throw std::runtime_error(banco.lastError().text().toStdString());
    }
    ~TSessao()
    {
        QSqlDatabase::database(FNome, false).close();
        QSqlDatabase::removeDatabase(FNome);
    }
    TSessao(const TSessao&) = delete;
    TSessao& operator=(const TSessao&) = delete;

    QSqlDatabase Banco() const { return QSqlDatabase::database(FNome, false); }
    void Executa(const QString& sql)
    {
        QSqlQuery comando(Banco());
        if (!comando.exec(sql))
            throw std::runtime_error(comando.lastError().text().toStdString() + "\n" + sql.toStdString());
    }
    QStringList Coluna(const QString& sql)
    {
        QSqlQuery consulta(Banco());
        if (!consulta.exec(sql))
            throw std::runtime_error(consulta.lastError().text().toStdString() + "\n" + sql.toStdString());
        QStringList valores;
        while (consulta.next())
            valores << consulta.value(0).toString();
        return valores;
    }
    int Pid() { return Coluna(QStringLiteral("SELECT pg_backend_pid()")).value(0).toInt(); }

private:
    QString FNome;
};

// Where the monitor is stopped: the lock the test holds, in which database,
// and how the databases stand at that moment.
struct TPasso {
    const char* Nome;
    bool NoHost;
    const char* Trava;
    QStringList Estoque;   // QTDE of M001 and M002
    QStringList Leidos;    // LEIDO of the two events
    int Movimentos;
};

void PrintTo(const TPasso& passo, std::ostream* saida) { *saida << passo.Nome; }

QString Texto(const char* texto) { return QString::fromUtf8(texto); }

class ConsumoInterrompido : public ::testing::TestWithParam<TPasso> {};

TEST_P(ConsumoInterrompido, MortoNoPassoNadaSePerdeNemDobra)
{
    const TPasso& passo = GetParam();
    const QString erp = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico(QStringLiteral("erp_kill")),
                                                 {QStringLiteral("erp_postgres.sql")});
    BancoTeste::executaSqlPostgres(erp, Texto(SqlErp));
    const QString host = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico(QStringLiteral("host_kill")),
                                                  {QStringLiteral("eas_host_postgres.sql")});
    BancoTeste::executaSqlPostgres(host, Texto(SqlHost));
    const QString servidor = AmbienteTeste::pgHost() + u':' + QString::number(AmbienteTeste::pgPorta());
    const QString acesso = QStringLiteral("Usuario=%1\nSenha=\"%2\"\n").arg(AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha());
    const QString programa = InstalaExecutavel(
        QStringLiteral(QUELIX_EXECUTAVEL),
        QStringLiteral("[Banco1]\nProtocolo=POSTGRES\nBase=%1\nservidor=%2\n").arg(erp, servidor) + acesso
            + QStringLiteral("[Banco3]\nProtocolo=POSTGRES\nBase=%1\nservidor=%2\nEstoque=S\n").arg(host, servidor) + acesso
            + QStringLiteral("[ModeloAtivo]\nModelo=2\n"));

    TSessao sessaoErp(QStringLiteral("trava_erp"), erp);
    TSessao sessaoHost(QStringLiteral("trava_host"), host);
    // Watches from outside any transaction: the server's activity view is
    // read afresh by each statement only there.
    TSessao vigia(QStringLiteral("vigia"), erp);
    TSessao& trava = passo.NoHost ? sessaoHost : sessaoErp;
    const QList<int> nossos{sessaoErp.Pid(), sessaoHost.Pid(), vigia.Pid()};
    trava.Executa(QStringLiteral("BEGIN"));
    trava.Executa(Texto(passo.Trava));
    {
        TMonitorEmExecucao monitor(programa, {QStringLiteral("--ciclo")});
        // Bounded: the monitor reaches the statement within its first
        // cycle, or the test fails here.
        const QString esperando = QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname = '%1' "
                                                 "AND wait_event_type = 'Lock' AND pid NOT IN (%2, %3, %4)")
                                      .arg(passo.NoHost ? host : erp)
                                      .arg(nossos[0])
                                      .arg(nossos[1])
                                      .arg(nossos[2]);
        QElapsedTimer relogio;
        relogio.start();
        while (vigia.Coluna(esperando).value(0) == QLatin1String("0") && relogio.elapsed() < 60000
               && monitor.Rodando())
            QThread::msleep(10);
        ASSERT_EQ(vigia.Coluna(esperando).value(0), "1")
            << "o monitor não parou na trava:\n" << monitor.Linhas().join(u'\n').toStdString()
            << monitor.Erros().toStdString();
        monitor.Mata();
        EXPECT_EQ(monitor.Fim(30000), -1);
    }
    // The killed process's sessions go before the lock is let go, so that
    // the statement it waited on never runs.
    for (const QString& base : {erp, host})
        vigia.Executa(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = '%1' "
                                     "AND pid NOT IN (%2, %3, %4)")
                          .arg(base)
                          .arg(nossos[0])
                          .arg(nossos[1])
                          .arg(nossos[2]));
    const QString restantes = QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE datname IN ('%1', '%2') "
                                             "AND pid NOT IN (%3, %4, %5)")
                                  .arg(erp, host)
                                  .arg(nossos[0])
                                  .arg(nossos[1])
                                  .arg(nossos[2]);
    QElapsedTimer relogio;
    relogio.start();
    while (vigia.Coluna(restantes).value(0) != QLatin1String("0") && relogio.elapsed() < 30000)
        QThread::msleep(10);
    ASSERT_EQ(vigia.Coluna(restantes).value(0), "0");
    trava.Executa(QStringLiteral("ROLLBACK"));

    const auto estoque = [&] {
        return sessaoErp.Coluna(QStringLiteral("SELECT CAST(QTDE AS INTEGER) FROM MAT_ITEN_001 ORDER BY CODIGO"));
    };
    const auto leidos = [&] { return sessaoHost.Coluna(QStringLiteral("SELECT LEIDO FROM FTOHOST ORDER BY NRECNO")); };
    const auto movimentos = [&] {
        return sessaoErp.Coluna(QStringLiteral("SELECT NUM_DOCTO || ' ' || CODIGO || ' ' || CAST(QTDE AS INTEGER) "
                                               "FROM MAT_MOV_001 ORDER BY NUM_DOCTO"));
    };
    // Where the kill came: what had been committed by then.
    EXPECT_EQ(estoque(), passo.Estoque);
    EXPECT_EQ(leidos(), passo.Leidos);
    EXPECT_EQ(movimentos().size(), passo.Movimentos);

    // The export after it fails two of its queries on a PostgreSQL ERP
    // (the cycle ends with status 3); the kitchen's run must fail nothing.
    TMonitorEmExecucao monitor(programa, {QStringLiteral("--ciclo")});
    EXPECT_GE(monitor.Fim(120000), 0) << monitor.Erros().toStdString();
    EXPECT_EQ(monitor.Conta(QStringLiteral("ERRO na ")) + monitor.Conta(QStringLiteral("EAS interrompido")), 0)
        << monitor.Linhas().join(u'\n').toStdString();

    EXPECT_EQ(estoque(), (QStringList{"99", "48"}));
    EXPECT_EQ(movimentos(), (QStringList{"0000001 M001 1", "0000002 M002 2"}));
    EXPECT_EQ(leidos(), (QStringList{"T", "T"}));
    EXPECT_EQ(sessaoErp.Coluna(QStringLiteral("SELECT COUNT(*) FROM QX_EAS_APLICADOS")).value(0), "2");
    // The event whose effects were committed before the kill, and only it,
    // is marked without being applied again.
    EXPECT_EQ(monitor.Conta(QStringLiteral("já aplicado no ERP: só é marcado como lido")),
              passo.Movimentos - passo.Leidos.count(QStringLiteral("T")))
        << monitor.Linhas().join(u'\n').toStdString();
}

const QStringList Intacto{"100", "50"};
const QStringList NadaLido{"F", "F"};

INSTANTIATE_TEST_SUITE_P(
    Passos, ConsumoInterrompido,
    ::testing::Values(
        TPasso{"LeituraDoFtohost", true, "LOCK TABLE FTOHOST IN ACCESS EXCLUSIVE MODE", Intacto, NadaLido, 0},
        TPasso{"BaixaDoEstoque", false,
               "SELECT 1 FROM MAT_ITEN_001 WHERE CODIGO = 'M001' AND DEPOSITO = '0001' FOR UPDATE", Intacto, NadaLido, 0},
        TPasso{"Movimento", false, "LOCK TABLE MAT_MOV_001 IN SHARE MODE", Intacto, NadaLido, 0},
        TPasso{"NumeroDoEvento", false, "LOCK TABLE QX_EAS_APLICADOS IN SHARE MODE", Intacto, NadaLido, 0},
        TPasso{"MarcaDeLido", true, "SELECT 1 FROM FTOHOST WHERE DATOS LIKE 'ABC0000001%' FOR UPDATE",
               {"99", "50"}, NadaLido, 1},
        TPasso{"ProximoConsumo", false,
               "SELECT 1 FROM MAT_ITEN_001 WHERE CODIGO = 'M002' AND DEPOSITO = '0001' FOR UPDATE", {"99", "50"},
               {"T", "F"}, 1}),
    [](const ::testing::TestParamInfo<TPasso>& info) { return std::string(info.param.Nome); });

} // namespace
