// A connection whose server session is gone, on the shared test servers: the
// session is ended from outside (Firebird's monitoring tables, PostgreSQL's
// pg_terminate_backend), as a server restart would end it. The connection
// learns that it is lost from a failed statement, commit or liveness check,
// and Close then Open bring it back.
#include "ConexoesDeTeste.h"

#include "base/Erros.h"
#include "dblayer/KoQuery.h"

#include <QThread>

#include <gtest/gtest.h>

namespace {

class ConexaoPerdida : public testing::TestWithParam<Servidor> {
protected:
    void SetUp() override
    {
        banco = CriaBancoDeTeste(GetParam());
        db = AbreKoDatabase(banco);
        q.SetDatabase(db.get());
    }

    bool EhFirebird() const
    {
        return GetParam() == Servidor::FirebirdLocal || GetParam() == Servidor::FirebirdServidor;
    }

    void Sql(const QString& texto)
    {
        q.Close();
        q.SQL.Clear();
        q.SQL.Add(texto);
    }

    // Ends this connection's session on the server, leaving a transaction
    // of it open (the statement that reads the session's id starts it).
    void EncerraSessaoNoServidor()
    {
        Sql(EhFirebird() ? "SELECT CURRENT_CONNECTION AS ID FROM RDB$DATABASE" : "SELECT pg_backend_pid() AS ID");
        q.Open();
        const QString id = q.FieldByName("ID").AsString();
        if (EhFirebird()) {
            ExecutaFora(banco, "DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID = " + id);
        } else {
            ExecutaFora(banco, "SELECT pg_terminate_backend(" + id + ")");
            // The backend ends a moment after the call returns.
            for (int i = 0; i < 50 && LeInteiroFora(banco, "SELECT COUNT(*) FROM pg_stat_activity WHERE pid = " + id) > 0; ++i)
                QThread::msleep(20);
        }
        EXPECT_FALSE(db->Perdida());  // nothing has told the connection yet
    }

    void ReabreEConfirmaQueFunciona()
    {
        db->Close();
        db->Open();
        EXPECT_FALSE(db->Perdida());
        Sql("INSERT INTO T (ID, V) VALUES (1, 1)");
        q.ExecSQL();
        db->CommitRetaining();
        db->FinalizaTransacao();
        EXPECT_EQ(LeInteiroFora(banco, "SELECT COUNT(*) FROM T WHERE ID = 1"), 1);
        Sql("DELETE FROM T");
        q.ExecSQL();
        db->CommitRetaining();
        db->FinalizaTransacao();
    }

    BancoDeTeste banco;
    std::unique_ptr<TKoDatabase> db;
    TKoQuery q;
};

TEST_P(ConexaoPerdida, ConfereConexaoAchaASessaoEncerrada)
{
    db->FinalizaTransacao();
    db->ConfereConexao();
    EXPECT_FALSE(db->Perdida());
    EXPECT_FALSE(db->InTransaction());  // the check leaves nothing open

    EncerraSessaoNoServidor();
    db->ConfereConexao();
    EXPECT_TRUE(db->Perdida());
    EXPECT_TRUE(db->Connected());
    ReabreEConfirmaQueFunciona();
}

TEST_P(ConexaoPerdida, ComandoNaSessaoEncerradaFalhaComAMensagemDoServidor)
{
    EncerraSessaoNoServidor();
    Sql("UPDATE T SET V = 1");
    try {
        q.TryExecSQL();
        FAIL() << "o comando passou numa sessão encerrada";
    } catch (const EDatabaseError& e) {
        EXPECT_FALSE(e.Message().isEmpty());
    }
    EXPECT_TRUE(db->Perdida());
    ReabreEConfirmaQueFunciona();
}

TEST_P(ConexaoPerdida, FimDoCicloNaSessaoEncerradaDizQueNaoConfirmou)
{
    EncerraSessaoNoServidor();
    try {
        db->FinalizaTransacao();
        FAIL() << "a transação de uma sessão encerrada foi confirmada";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith(QString::fromUtf8("Não foi possível confirmar a transação: ")))
            << e.Message().toStdString();
        EXPECT_GT(e.Message().size(), QString::fromUtf8("Não foi possível confirmar a transação: ").size());
    }
    EXPECT_TRUE(db->Perdida());
    EXPECT_FALSE(db->InTransaction());
    ReabreEConfirmaQueFunciona();
}

INSTANTIATE_TEST_SUITE_P(Servidores, ConexaoPerdida,
                         testing::Values(Servidor::FirebirdLocal, Servidor::FirebirdServidor, Servidor::Postgres,
                                         Servidor::OdbcPostgres),
                         NomeDoParametro);

} // namespace
