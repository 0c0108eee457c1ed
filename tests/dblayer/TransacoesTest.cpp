// Transactions, time limits and deadlocks on the real servers, with a second
// client holding locks while the layer waits: what the retries of
// TryExecSQL are for.
#include "AmbienteTeste.h"
#include "ConexoesDeTeste.h"

#include "base/Erros.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/KoQuery.h"
#include "dblayer/LimitesExecucao.h"
#include "dblayer/Maquina.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <gtest/gtest.h>

#include <future>

namespace {

void Roda(QSqlDatabase& c, const QString& sql)
{
    QSqlQuery q(c);
    if (!q.exec(sql))
        throw std::runtime_error(("cliente concorrente: " + q.lastError().text()).toStdString());
}

TLimitesExecucao LimitesCurtos()
{
    TLimitesExecucao l;
    l.FirebirdMs = 800;
    l.OutrosMs = 800;
    l.EsperaEntreTentativasMs = 200;
    return l;
}

class Transacoes : public testing::TestWithParam<Servidor> {
protected:
    void SetUp() override
    {
        banco = CriaBancoDeTeste(GetParam());
        ExecutaFora(banco, "INSERT INTO T (ID, V) VALUES (1, 0)");
        ExecutaFora(banco, "INSERT INTO T (ID, V) VALUES (2, 0)");
        pasta = AmbienteTeste::pastaTemporaria() + "/" + AmbienteTeste::nomeUnico("exe");
        QDir().mkpath(pasta);
        DefinePastaDoExecutavel(pasta);
        db = AbreKoDatabase(banco);
        q.SetDatabase(db.get());
    }
    void TearDown() override { DefinePastaDoExecutavel({}); }

    void Sql(TKoQuery& consulta, const QString& texto)
    {
        consulta.Close();
        consulta.SQL.Clear();
        consulta.SQL.Add(texto);
    }

    QString Log() const
    {
        QFile f(pasta + "/Logs/" + NomeMaquina() + "-" + QDate::currentDate().toString("yyyyMMdd") + ".log");
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    }

    // The other client updates row 1 and keeps the lock for `ms`, then
    // commits; `trancou` is set once it holds the lock.
    void SeguraLinha1(ClienteConcorrente& outro, int ms, std::promise<void>& trancou)
    {
        outro.Executa([ms, &trancou](QSqlDatabase& c) {
            c.transaction();
            Roda(c, "UPDATE T SET V = 100 WHERE ID = 1");
            trancou.set_value();
            QThread::msleep(ms);
            c.commit();
        });
        trancou.get_future().wait();
    }

    // Short limits, so a cancel and the four attempts take seconds.
    TLimitesDeTeste limites{LimitesCurtos()};
    BancoDeTeste banco;
    QString pasta;
    std::unique_ptr<TKoDatabase> db;
    TKoQuery q;
};

TEST_P(Transacoes, LeituraVeODadoConfirmadoPorOutroSemEscreverNada)
{
    Sql(q, "SELECT COUNT(*) AS N FROM T");
    q.Open();
    EXPECT_EQ(q.FieldByName("N").AsInteger(), 2);
    ExecutaFora(banco, "INSERT INTO T (ID, V) VALUES (3, 0)");
    q.Close();
    q.Open();
    EXPECT_EQ(q.FieldByName("N").AsInteger(), 3);
}

TEST_P(Transacoes, CommitRetainingPublicaERollbackDesfaz)
{
    Sql(q, "UPDATE T SET V = 5 WHERE ID = 1");
    q.ExecSQL();
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 1"), 0);
    db->CommitRetaining();
    EXPECT_TRUE(db->InTransaction());
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 1"), 5);

    Sql(q, "UPDATE T SET V = 6 WHERE ID = 1");
    q.ExecSQL();
    db->RollbackRetaining();
    db->CommitRetaining();
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 1"), 5);

    // Closing rolls back what was not committed.
    Sql(q, "UPDATE T SET V = 7 WHERE ID = 1");
    q.ExecSQL();
    db->Close();
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 1"), 5);
}

TEST_P(Transacoes, TravaLiberadaDuranteAsTentativasPassaSemLinhaDeLog)
{
    ClienteConcorrente outro(banco);
    std::promise<void> trancou;
    SeguraLinha1(outro, 1500, trancou);

    Sql(q, "UPDATE T SET V = V + 1 WHERE ID = 1");
    q.TryExecSQL();
    db->CommitRetaining();
    outro.Aguarda();
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 1"), 101);
    EXPECT_TRUE(Log().isEmpty()) << Log().toStdString();
}

TEST_P(Transacoes, TravaNuncaLiberadaDesisteNaQuartaTentativa)
{
    ClienteConcorrente outro(banco);
    std::promise<void> trancou;
    SeguraLinha1(outro, 9000, trancou);

    Sql(q, "UPDATE T SET V = V + 1 WHERE ID = 1");
    try {
        q.TryExecSQL();
        FAIL() << "a trava não foi respeitada";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().toUpper().contains("TIMEOUT EXPIRED")) << e.Message().toStdString();
    }
    EXPECT_TRUE(Log().contains("|TryExecSQL (Tentativa: 4) (")) << Log().toStdString();
    // The connection is usable: row 2 is not locked.
    Sql(q, "UPDATE T SET V = 2 WHERE ID = 2");
    q.TryExecSQL();
    db->CommitRetaining();
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 2"), 2);
}

TEST_P(Transacoes, ImpasseRealVoltaComDeadlock)
{
    if (GetParam() != Servidor::Postgres && GetParam() != Servidor::FirebirdServidor)
        GTEST_SKIP() << "o impasse é exercitado nos dois servidores";
    q.TempoLimite = false;
    Sql(q, "UPDATE T SET V = 1 WHERE ID = 1");
    q.ExecSQL();  // this side holds row 1

    ClienteConcorrente outro(banco);
    std::promise<void> trancou;
    QString erroDoOutro;
    outro.Executa([&trancou, &erroDoOutro](QSqlDatabase& c) {
        c.transaction();
        Roda(c, "UPDATE T SET V = 2 WHERE ID = 2");
        trancou.set_value();
        QThread::msleep(100);
        QSqlQuery cruzado(c);
        if (!cruzado.exec("UPDATE T SET V = 2 WHERE ID = 1"))  // waits on this side
            erroDoOutro = cruzado.lastError().text();
        c.rollback();
    });
    trancou.get_future().wait();
    Sql(q, "UPDATE T SET V = 1 WHERE ID = 2");
    QString erroDesteLado;
    try {
        q.ExecSQL();
    } catch (const EDatabaseError& e) {
        erroDesteLado = e.Message();
    }
    db->RollbackRetaining();
    outro.Aguarda();
    // The server picks one side as the victim, and that side is told of a
    // deadlock; the other side's statement goes through.
    const bool impasseDesteLado = erroDesteLado.toUpper().contains("DEADLOCK");
    const bool impasseDoOutro = erroDoOutro.toUpper().contains("DEADLOCK");
    EXPECT_TRUE(impasseDesteLado != impasseDoOutro)
        << "deste lado: " << erroDesteLado.toStdString() << "\ndo outro: " << erroDoOutro.toStdString();
    EXPECT_TRUE(erroDesteLado.isEmpty() || impasseDesteLado) << erroDesteLado.toStdString();
}

// A query that runs a few statements in turn, as a pass does per record,
// keeps each one prepared: every execution binds the values it was given,
// and a connection opened again prepares them anew.
TEST_P(Transacoes, ComandosAlternadosNumaConsultaUsamSeusProprioValores)
{
    for (int rodada = 0; rodada < 2; ++rodada) {
        for (int i = 0; i < 20; ++i) {
            Sql(q, "UPDATE T SET V = :V WHERE ID = :ID");
            q.ParamByName("V").SetAsInteger(i);
            q.ParamByName("ID").SetAsInteger(1 + i % 2);
            q.TryExecSQL();
            Sql(q, "SELECT V FROM T WHERE ID = :ID");
            q.ParamByName("ID").SetAsInteger(1 + i % 2);
            q.Open();
            ASSERT_EQ(q.FieldByName("V").AsInteger(), i);
            Sql(q, "UPDATE T SET NOME = :NOME WHERE ID = :ID");
            q.ParamByName("NOME").SetAsString(QStringLiteral("n%1").arg(i));
            q.ParamByName("ID").SetAsInteger(1 + i % 2);
            q.ExecSQL();
        }
        db->CommitRetaining();
        db->Close();  // prepared statements belong to the attachment
        db->Open();
    }
    EXPECT_EQ(LeTextoFora(banco, "SELECT NOME FROM T WHERE ID = 2"), "n19");
}

INSTANTIATE_TEST_SUITE_P(Servidores, Transacoes,
                         testing::Values(Servidor::FirebirdServidor, Servidor::Postgres,
                                         Servidor::OdbcPostgres),
                         NomeDoParametro);

// The connection over the monitor's cycles: a transaction from the first
// statement of a cycle to its end, nothing held between two cycles.
class CicloDoMonitor : public Transacoes {};

// Opening starts nothing on the server; the first statement starts the
// transaction, FinalizaTransacao ends it.
TEST_P(CicloDoMonitor, TransacaoSoDoPrimeiroComandoAoFimDoCiclo)
{
    EXPECT_FALSE(db->InTransaction());
    Sql(q, "SELECT COUNT(*) AS N FROM T");
    q.Open();
    EXPECT_TRUE(db->InTransaction());
    EXPECT_FALSE(db->EscritaPendente());
    db->FinalizaTransacao();
    EXPECT_FALSE(db->InTransaction());
    db->FinalizaTransacao();  // nothing open: nothing to do
    EXPECT_FALSE(db->InTransaction());
}

// The monitor's cycle: writes committed retaining stay, a write the cycle
// did not commit is undone at its end, however much was committed before.
TEST_P(CicloDoMonitor, FimDoCicloDesfazOQueNaoFoiConfirmado)
{
    Sql(q, "UPDATE T SET V = 5 WHERE ID = 1");
    q.ExecSQL();
    EXPECT_TRUE(db->EscritaPendente());
    db->CommitRetaining();
    EXPECT_FALSE(db->EscritaPendente());
    Sql(q, "SELECT V FROM T WHERE ID = 2");
    q.Open();
    EXPECT_FALSE(db->EscritaPendente());
    Sql(q, "UPDATE T SET V = 6 WHERE ID = 2");
    q.TryExecSQL();
    EXPECT_TRUE(db->EscritaPendente());
    db->FinalizaTransacao();
    EXPECT_FALSE(db->EscritaPendente());
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 1"), 5);
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 2"), 0);

    // A later commit of the next cycle does not publish it either.
    Sql(q, "UPDATE T SET V = 7 WHERE ID = 1");
    q.ExecSQL();
    db->CommitRetaining();
    db->FinalizaTransacao();
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 1"), 7);
    EXPECT_EQ(LeInteiroFora(banco, "SELECT V FROM T WHERE ID = 2"), 0);
}

// What the server itself says about the connection between two cycles.
TEST_P(CicloDoMonitor, EntreCiclosOServidorNaoVeTransacaoDaConexao)
{
    switch (GetParam()) {
    case Servidor::FirebirdLocal:
    case Servidor::FirebirdServidor: {
        Sql(q, "SELECT CURRENT_CONNECTION AS ID FROM RDB$DATABASE");
        q.Open();
        const QString transacoes = "SELECT COUNT(*) FROM MON$TRANSACTIONS WHERE MON$ATTACHMENT_ID = "
            + q.FieldByName("ID").AsString();
        Sql(q, "UPDATE T SET V = 1 WHERE ID = 1");
        q.ExecSQL();
        EXPECT_EQ(LeInteiroFora(banco, transacoes), 1);
        db->CommitRetaining();
        db->FinalizaTransacao();
        db->ConfereConexao();
        EXPECT_EQ(LeInteiroFora(banco, transacoes), 0);
        break;
    }
    case Servidor::Postgres:
    case Servidor::OdbcPostgres: {
        Sql(q, "SELECT pg_backend_pid() AS PID");
        q.Open();
        const QString estado = "SELECT state FROM pg_stat_activity WHERE pid = " + q.FieldByName("PID").AsString();
        Sql(q, "UPDATE T SET V = 1 WHERE ID = 1");
        q.ExecSQL();
        EXPECT_EQ(LeTextoFora(banco, estado), "idle in transaction");
        db->CommitRetaining();
        db->FinalizaTransacao();
        db->ConfereConexao();
        EXPECT_EQ(LeTextoFora(banco, estado), "idle");
        break;
    }
    case Servidor::OdbcSqlite: {
        // The machine side writes to its own queue while the monitor waits
        // for the next cycle: the monitor's read lock must be gone.
        Sql(q, "SELECT COUNT(*) AS N FROM T");
        q.Open();
        EXPECT_THROW(ExecutaFora(banco, "INSERT INTO T (ID, V) VALUES (10, 0)"), std::runtime_error);
        db->FinalizaTransacao();
        db->ConfereConexao();
        ExecutaFora(banco, "INSERT INTO T (ID, V) VALUES (10, 0)");
        EXPECT_EQ(LeInteiroFora(banco, "SELECT COUNT(*) FROM T"), 3);
        break;
    }
    default:
        FAIL();
    }
    EXPECT_FALSE(db->InTransaction());
    EXPECT_FALSE(db->Perdida());
}

// Another client holds a lock on what the statement needs: it gives up at
// the limit, Open as well as ExecSQL.
TEST_P(CicloDoMonitor, TravaDeOutroClienteFazOpenEExecSQLDesistiremNoLimite)
{
    ClienteConcorrente outro(banco);
    std::promise<void> trancou;
    QString leitura = "SELECT V FROM T WHERE ID = 1";
    const Servidor s = GetParam();
    outro.Executa([s, &trancou](QSqlDatabase& c) {
        if (s == Servidor::OdbcSqlite) {
            Roda(c, "BEGIN EXCLUSIVE");
        } else {
            c.transaction();
            if (s == Servidor::FirebirdLocal || s == Servidor::FirebirdServidor)
                Roda(c, "UPDATE T SET V = 100 WHERE ID = 1");
            else
                Roda(c, "LOCK TABLE T IN ACCESS EXCLUSIVE MODE");
        }
        trancou.set_value();
        QThread::msleep(6000);
        if (s == Servidor::OdbcSqlite)
            Roda(c, "ROLLBACK");
        else
            c.rollback();
    });
    trancou.get_future().wait();
    // On Firebird a read waits only for a row it locks for itself.
    if (s == Servidor::FirebirdLocal || s == Servidor::FirebirdServidor)
        leitura += " WITH LOCK";

    Sql(q, leitura);
    try {
        q.Open();
        FAIL() << "a leitura não esperou pela trava";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("Erro KoQuery.Open: ")) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().toUpper().contains("TIMEOUT EXPIRED")) << e.Message().toStdString();
    }
    Sql(q, "UPDATE T SET V = 1 WHERE ID = 1");
    try {
        q.ExecSQL();
        FAIL() << "a escrita não esperou pela trava";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "ERRO PROVÁVEL DE DEADLOCK :\r\rUPDATE T SET V = 1 WHERE ID = 1\r\n");
    }
    EXPECT_FALSE(db->Perdida());
}

// SQLite behind ODBC is the demo's Bruma queue: there a transaction left
// open is a lock the machine side cannot get past.
INSTANTIATE_TEST_SUITE_P(Servidores, CicloDoMonitor,
                         testing::Values(Servidor::FirebirdLocal, Servidor::FirebirdServidor,
                                         Servidor::Postgres, Servidor::OdbcPostgres, Servidor::OdbcSqlite),
                         NomeDoParametro);

// PostgreSQL aborts a whole transaction on a failed statement: a savepoint
// before each attempt lets the retry succeed and keeps earlier work.
TEST(TransacoesPostgres, FalhaDeUmaTentativaNaoPerdeOTrabalhoAnterior)
{
    const BancoDeTeste banco = CriaBancoDeTeste(Servidor::Postgres);
    ExecutaFora(banco, "INSERT INTO T (ID, V) VALUES (1, 0)");
    auto db = AbreKoDatabase(banco);
    TKoQuery q;
    q.SetDatabase(db.get());
    q.SQL.Add("INSERT INTO T (ID, V) VALUES (2, 0)");
    q.TryExecSQL();
    q.SQL.Clear();
    q.SQL.Add("INSERT INTO T (ID, V) VALUES (1, 0)");
    EXPECT_THROW(q.TryExecSQL(), EDatabaseError);
    db->CommitRetaining();
    EXPECT_EQ(LeInteiroFora(banco, "SELECT COUNT(*) FROM T"), 2);

    // ExecSQL on PostgreSQL rolls back the transaction: both statements go.
    q.SQL.Clear();
    q.SQL.Add("INSERT INTO T (ID, V) VALUES (3, 0)");
    q.ExecSQL();
    q.SQL.Clear();
    q.SQL.Add("INSERT INTO T (ID, V) VALUES (1, 0)");
    EXPECT_THROW(q.ExecSQL(), EDatabaseError);
    db->CommitRetaining();
    EXPECT_EQ(LeInteiroFora(banco, "SELECT COUNT(*) FROM T"), 2);
}

TEST(TransacoesPostgres, TempoLimiteDoServidorViraTimeoutExpired)
{
    const BancoDeTeste banco = CriaBancoDeTeste(Servidor::Postgres);
    auto db = AbreKoDatabase(banco);
    TLimitesExecucao curtos;
    curtos.OutrosMs = 300;
    const TLimitesDeTeste limites(curtos);
    TKoQuery q;
    q.SetDatabase(db.get());
    q.SQL.Add("SELECT pg_sleep(5)");
    try {
        q.ExecSQL();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("ERRO PROVÁVEL DE DEADLOCK :\r\rSELECT pg_sleep(5)"))
            << e.Message().toStdString();
    }
    // Open has the same limit; without TempoLimite it has none.
    q.SQL.Clear();
    q.SQL.Add("SELECT pg_sleep(0.6) AS X");
    try {
        q.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("Erro KoQuery.Open: TIMEOUT EXPIRED: ")) << e.Message().toStdString();
    }
    q.TempoLimite = false;
    EXPECT_NO_THROW(q.Open());
}

} // namespace
