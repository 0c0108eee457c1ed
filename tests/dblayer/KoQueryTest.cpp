// The query component on real databases: what a statement is, how results
// read, how failures are reported and logged.
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

#include <gtest/gtest.h>

#include <functional>

namespace {

QString LogDeHoje(const QString& pasta)
{
    QFile f(pasta + "/Logs/" + NomeMaquina() + "-" + QDate::currentDate().toString("yyyyMMdd") + ".log");
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}

class KoQueryFirebird : public testing::Test {
protected:
    static void SetUpTestSuite() { banco = new BancoDeTeste(CriaBancoDeTeste(Servidor::FirebirdLocal)); }
    static void TearDownTestSuite() { delete banco; }

    void SetUp() override
    {
        pasta = AmbienteTeste::pastaTemporaria() + "/" + AmbienteTeste::nomeUnico("exe");
        QDir().mkpath(pasta);
        DefinePastaDoExecutavel(pasta);
        db = AbreKoDatabase(*banco);
        q.SetDatabase(db.get());
        q.SQL.Clear();
        q.SQL.Add("DELETE FROM T");
        q.ExecSQL();
        db->CommitRetaining();
    }
    void TearDown() override { DefinePastaDoExecutavel({}); }

    void Executa(const QString& sql)
    {
        q.Close();
        q.SQL.Clear();
        q.SQL.Add(sql);
        q.ExecSQL();
    }

    static BancoDeTeste* banco;
    QString pasta;
    std::unique_ptr<TKoDatabase> db;
    TKoQuery q;
};
BancoDeTeste* KoQueryFirebird::banco = nullptr;

TEST(EhConsulta, SoOsSeisPrimeirosCaracteres)
{
    EXPECT_FALSE(TKoQuery::EhConsulta("update T set V = 1"));
    EXPECT_FALSE(TKoQuery::EhConsulta("INSERT INTO T VALUES (1)"));
    EXPECT_FALSE(TKoQuery::EhConsulta("Delete from T"));
    EXPECT_TRUE(TKoQuery::EhConsulta("  UPDATE T SET V = 1"));
    EXPECT_TRUE(TKoQuery::EhConsulta("\r\nDELETE FROM T"));
    EXPECT_TRUE(TKoQuery::EhConsulta("SELECT 1 FROM RDB$DATABASE"));
    EXPECT_TRUE(TKoQuery::EhConsulta("EXECUTE PROCEDURE P"));
    EXPECT_TRUE(TKoQuery::EhConsulta(""));
}

TEST_F(KoQueryFirebird, TextoDaLinhaEParametros)
{
    q.SQL.Clear();
    q.SQL.Add("INSERT INTO T (ID, V, NOME)");
    q.SQL.Add("VALUES (:ID, :V, :NOME)");
    EXPECT_EQ(q.SQL.Text(), "INSERT INTO T (ID, V, NOME)\r\nVALUES (:ID, :V, :NOME)\r\n");
    for (int i = 1; i <= 3; ++i) {
        q.ParamByName("ID").SetAsInteger(i);
        q.ParamByName("V").SetAsInteger(i * 10);
        q.ParamByName("nome").SetAsString(QString("d'Ávila %1").arg(i));
        q.TryExecSQL();
    }
    db->CommitRetaining();

    q.SQL.Clear();
    q.SQL.Add("SELECT ID, V, NOME FROM T ORDER BY ID");
    q.Open();
    EXPECT_EQ(q.RecordCount(), 3);
    EXPECT_EQ(q.RecNo(), 1);
    int n = 0;
    for (q.First(); !q.Eof(); q.Next())
        ++n;
    EXPECT_EQ(n, 3);
    q.First();
    EXPECT_EQ(q.FieldByName("nome").AsString(), QString::fromUtf8("d'Ávila 1"));
    EXPECT_EQ(q.FieldByName("V").AsInteger(), 10);
    EXPECT_THROW(q.FieldByName("NAO_EXISTE"), EDatabaseError);
}

// An opening limited to one row fetches that row only, and leaves the
// connection ready for the next statement (the cursor is closed).
TEST_F(KoQueryFirebird, AberturaLimitadaBuscaSoAsPrimeirasLinhas)
{
    for (int i = 1; i <= 3; ++i)
        Executa(QStringLiteral("INSERT INTO T (ID, V) VALUES (%1, %2)").arg(i).arg(i * 10));
    q.DefineLinhas({QStringLiteral("SELECT ID FROM T ORDER BY ID")});
    q.Open(1);
    EXPECT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("ID").AsInteger(), 1);
    Executa(QStringLiteral("UPDATE T SET V = 0"));
    db->CommitRetaining();
    q.DefineLinhas({QStringLiteral("SELECT ID FROM T WHERE V = 0")});
    q.Open();
    EXPECT_EQ(q.RecordCount(), 3);
}

TEST_F(KoQueryFirebird, TextoDasColunas)
{
    struct Caso {
        const char* expressao;
        const char* texto;
    };
    const Caso casos[] = {
        {"CAST(22 AS INTEGER)", "22"},
        {"CAST(-7 AS BIGINT)", "-7"},
        {"CAST(12.5 AS NUMERIC(15,3))", "12.5"},
        {"CAST(3 AS NUMERIC(15,3))", "3"},
        {"CAST(0.1 AS DOUBLE PRECISION)", "0.1"},
        {"CAST(123456789012.123 AS NUMERIC(18,3))", "123456789012.123"},
        {"CAST(2.5 AS NUMERIC(9,1))", "2.5"},
        {"CAST(NULL AS INTEGER)", ""},
        {"CAST(NULL AS VARCHAR(5))", ""},
        {"CAST('ab  ' AS VARCHAR(5))", "ab  "},
    };
    for (const Caso& c : casos) {
        q.Close();
        q.SQL.Clear();
        q.SQL.Add(QString("SELECT %1 AS X FROM RDB$DATABASE").arg(c.expressao));
        q.Open();
        EXPECT_EQ(q.FieldByName("X").AsString(), QString::fromUtf8(c.texto)) << c.expressao;
    }
    q.Close();
    q.SQL.Clear();
    q.SQL.Add("SELECT CAST('2026-03-04' AS DATE) AS D, CAST('12.25' AS NUMERIC(15,2)) AS N "
              "FROM RDB$DATABASE");
    q.Open();
    EXPECT_EQ(q.FieldByName("D").AsDate(), QDate(2026, 3, 4));
    EXPECT_DOUBLE_EQ(q.FieldByName("N").AsFloat(), 12.25);
}

TEST_F(KoQueryFirebird, FalhasRelatadasERegistradas)
{
    Executa("INSERT INTO T (ID, V) VALUES (1, 1)");

    // A query that fails comes back wrapped, with no log line of its own.
    q.Close();
    q.SQL.Clear();
    q.SQL.Add("SELECT NAO_EXISTE FROM T");
    try {
        q.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("Erro KoQuery.Open: ")) << e.Message().toStdString();
    }
    EXPECT_TRUE(LogDeHoje(pasta).isEmpty());

    // A constraint violation is not retried: one attempt, one log line.
    q.SQL.Clear();
    q.SQL.Add("INSERT INTO T (ID, V) VALUES (1, 2)");
    try {
        q.TryExecSQL();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("PRIMARY")) << e.Message().toStdString();
    }
    const QString log = LogDeHoje(pasta);
    EXPECT_TRUE(log.contains("|TryExecSQL (Tentativa: 1) (")) << log.toStdString();
    EXPECT_TRUE(log.contains("): INSERT INTO T (ID, V) VALUES (1, 2)|\r\n")) << log.toStdString();

    // ExecSQL logs its own line; an update inside Open is executed and
    // arrives wrapped once more.
    q.SQL.Clear();
    q.SQL.Add("INSERT INTO T (ID, V) VALUES (1, 3)");
    try {
        q.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("Erro KoQuery.Open: ")) << e.Message().toStdString();
    }
    EXPECT_TRUE(LogDeHoje(pasta).contains("|ExecSQL ("));
}

TEST_F(KoQueryFirebird, ErroNaBuscaDasLinhasNaoPassaPorResultadoParcial)
{
    Executa("INSERT INTO T (ID, V) VALUES (1, 1)");
    Executa("INSERT INTO T (ID, V) VALUES (2, 2)");
    Executa("INSERT INTO T (ID, V) VALUES (3, 3)");
    q.Close();
    q.SQL.Clear();
    q.SQL.Add("SELECT ID, 10 / (ID - 2) AS X FROM T");
    try {
        q.Open();
        FAIL() << "abriu com " << q.RecordCount() << " linhas";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("Erro KoQuery.Open: ")) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains("divide")) << e.Message().toStdString();
    }
    EXPECT_FALSE(q.Active());
}

TEST_F(KoQueryFirebird, TempoLimiteCortaComandoLongoERedigeAMensagem)
{
    const QString bloco = "EXECUTE BLOCK AS DECLARE I BIGINT = 0; BEGIN WHILE (I < 5000000000) DO I = I + 1; END";
    {
        TLimitesExecucao curtos;
        curtos.FirebirdMs = 700;
        const TLimitesDeTeste limites(curtos);
        q.SQL.Clear();
        q.SQL.Add(bloco);
        try {
            q.ExecSQL();
            FAIL() << "o comando não foi cortado";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), "ERRO PROVÁVEL DE DEADLOCK :\r\r" + bloco + "\r\n");
        }
    }
    EXPECT_TRUE(LogDeHoje(pasta).contains("TIMEOUT EXPIRED"));

    // The connection goes on working after the cancel.
    Executa("INSERT INTO T (ID, V) VALUES (9, 9)");
    db->CommitRetaining();
    EXPECT_EQ(LeInteiroFora(*banco, "SELECT COUNT(*) FROM T WHERE ID = 9"), 1);
}

// A daily log that cannot be written does not hide the statement's error:
// the statement's message comes first (the retries and the callers read
// it), the log's failure after it.
TEST_F(KoQueryFirebird, LogQueNaoGravaVemDepoisDoErroDoComando)
{
    Executa("INSERT INTO T (ID, V) VALUES (1, 1)");
    // A folder where today's file should be: the line cannot be written.
    QDir().mkpath(pasta + "/Logs/" + NomeMaquina() + "-" + QDate::currentDate().toString("yyyyMMdd") + ".log");
    struct Caso {
        const char* nome;
        std::function<void()> executa;
        const char* inicio;
    };
    const Caso casos[] = {
        {"ExecSQL", [this] { q.ExecSQL(); }, "violation of PRIMARY or UNIQUE KEY"},
        {"TryExecSQL", [this] { q.TryExecSQL(); }, "violation of PRIMARY or UNIQUE KEY"},
        {"Open", [this] { q.Open(); }, "Erro KoQuery.Open: violation of PRIMARY or UNIQUE KEY"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        q.SQL.Clear();
        q.SQL.Add("INSERT INTO T (ID, V) VALUES (1, 2)");
        try {
            c.executa();
            FAIL();
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().startsWith(c.inicio)) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains("\r\nNão foi possível abrir o arquivo de log ")) << e.Message().toStdString();
        }
    }
    // A time-out keeps its rewording in front.
    TLimitesExecucao curtos;
    curtos.FirebirdMs = 300;
    const TLimitesDeTeste limites(curtos);
    q.SQL.Clear();
    q.SQL.Add("EXECUTE BLOCK AS DECLARE I BIGINT = 0; BEGIN WHILE (I < 5000000000) DO I = I + 1; END");
    try {
        q.ExecSQL();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("ERRO PROVÁVEL DE DEADLOCK :\r\rEXECUTE BLOCK")) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains("\r\nNão foi possível abrir o arquivo de log ")) << e.Message().toStdString();
    }
}

TEST_F(KoQueryFirebird, RegistroDeComandosQuandoLigado)
{
    db->SetGravaLog(true);
    db->DadosGravaLog()->NmMaquina = "ESTACAO";
    q.SQL.Clear();
    q.SQL.Add("SELECT COUNT(*) AS N FROM T");
    q.Open();
    q.Close();
    q.Open();  // the cache path logs too
    QFile f(pasta + "/Logs/ESTACAO-" + QDate::currentDate().toString("yyyyMMdd") + ".log");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(f.readAll()).count("|SELECT COUNT(*) AS N FROM T|"), 2);
}

} // namespace
