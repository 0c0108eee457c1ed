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
        // Short limits, so a cancel and the four attempts take seconds.
        LimitesExecucao().FirebirdMs = 800;
        LimitesExecucao().OutrosMs = 800;
        LimitesExecucao().EsperaEntreTentativasMs = 200;
        db = AbreKoDatabase(banco);
        q.SetDatabase(db.get());
    }
    void TearDown() override
    {
        LimitesExecucao() = TLimitesExecucao();
        DefinePastaDoExecutavel({});
    }

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
    outro.Executa([&trancou](QSqlDatabase& c) {
        c.transaction();
        Roda(c, "UPDATE T SET V = 2 WHERE ID = 2");
        trancou.set_value();
        QThread::msleep(100);
        QSqlQuery cruzado(c);
        cruzado.exec("UPDATE T SET V = 2 WHERE ID = 1");  // waits on this side
        c.rollback();
    });
    trancou.get_future().wait();
    Sql(q, "UPDATE T SET V = 1 WHERE ID = 2");
    bool impasse = false;
    try {
        q.ExecSQL();
    } catch (const EDatabaseError& e) {
        impasse = e.Message().toUpper().contains("DEADLOCK");
        EXPECT_TRUE(impasse) << e.Message().toStdString();
    }
    db->RollbackRetaining();
    outro.Aguarda();
    // The server picks one side as the victim; when it is the other client,
    // this side's statement went through.
    SUCCEED() << (impasse ? "impasse deste lado" : "impasse do outro lado");
}

INSTANTIATE_TEST_SUITE_P(Servidores, Transacoes,
                         testing::Values(Servidor::FirebirdServidor, Servidor::Postgres,
                                         Servidor::OdbcPostgres),
                         [](const testing::TestParamInfo<Servidor>& i) {
                             return NomeDoServidor(i.param).toStdString();
                         });

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
    LimitesExecucao().OutrosMs = 300;
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
    // Open runs without a limit.
    LimitesExecucao().OutrosMs = 100;
    q.SQL.Clear();
    q.SQL.Add("SELECT pg_sleep(0.3) AS X");
    EXPECT_NO_THROW(q.Open());
    LimitesExecucao() = TLimitesExecucao();
}

} // namespace
