// Server restarts under an open connection, on instances of this test alone
// (a Firebird server and a PostgreSQL server of their own, never the shared
// test servers): the Firebird server is killed and started again,
// PostgreSQL is stopped at once and started again. Afterwards the liveness
// check, or the first statement, finds the connection lost, and Close then
// Open bring it back.
#include "InstanciasPrivadas.h"
#include "base/Erros.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// Ports below the system's range of ephemeral ports (32768 and up), which a
// client socket of another test could hold when the server binds again.
const QString kEstado = QStringLiteral("/var/tmp/quelix-dblayer-privado");
const QString kPortaPg = QStringLiteral("25442");
const QString kPortaFb = QStringLiteral("23060");

TInstanciasPrivadas& Instancias()
{
    static TInstanciasPrivadas instancias(kEstado, kPortaPg.toInt(), kPortaFb.toInt());
    return instancias;
}

void Roda(const QString& programa, const QStringList& argumentos, const QString& entrada = {})
{
    QProcess p;
    p.start(programa, argumentos);
    p.write(entrada.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        throw std::runtime_error((programa + " falhou: " + QString::fromUtf8(p.readAllStandardOutput())
                                  + QString::fromUtf8(p.readAllStandardError()))
                                     .toStdString());
}

bool Responde(const QString& porta)
{
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), porta.toUShort());
    return s.waitForConnected(500);
}

enum class Acesso { Firebird, Postgres, OdbcPostgres };

class ServidorReiniciado : public testing::TestWithParam<Acesso> {
protected:
    static void SetUpTestSuite()
    {
        ambiente = new QMap<QString, QString>(Instancias().Inicia());
        qputenv("ODBCINI", ambiente->value("ODBCINI").toLocal8Bit());
        // A database file the private Firebird server creates for this run.
        bancoFb = new QString(ambiente->value("QX_FB_DIR") + "/reinicio_"
                              + QString::number(QCoreApplication::applicationPid()) + ".fdb");
        QFile::remove(*bancoFb);
        Roda("isql-fb", {"-q"},
             QStringLiteral("CREATE DATABASE '127.0.0.1/%1:%2' USER 'SYSDBA' PASSWORD '%3';\n")
                 .arg(kPortaFb, *bancoFb, ambiente->value("QX_FB_PASSWORD")));
    }
    static void TearDownTestSuite()
    {
        if (bancoFb)
            QFile::remove(*bancoFb);
        Instancias().Para();
        delete ambiente;
        delete bancoFb;
        ambiente = nullptr;
        bancoFb = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(ambiente, nullptr) << "as instâncias privadas não iniciaram";
        switch (GetParam()) {
        case Acesso::Firebird:
            db.SetDriverName("FB");
            db.SetDatabaseName("127.0.0.1:" + *bancoFb);
            db.Port = kPortaFb.toInt();
            db.User = "SYSDBA";
            db.Password = ambiente->value("QX_FB_PASSWORD");
            leitura = "SELECT COUNT(*) AS N FROM RDB$DATABASE";
            leituraComParametro = "SELECT COUNT(*) AS N FROM RDB$RELATIONS WHERE RDB$RELATION_NAME <> :NOME";
            break;
        case Acesso::Postgres:
            db.SetDriverName("PG");
            db.SetDatabaseName("127.0.0.1:quelix");
            db.Port = kPortaPg.toInt();
            db.User = ambiente->value("QX_PG_USER");
            db.Password = ambiente->value("QX_PG_PASSWORD");
            leitura = "SELECT COUNT(*) AS N FROM pg_database";
            leituraComParametro = "SELECT COUNT(*) AS N FROM pg_database WHERE datname <> :NOME";
            break;
        case Acesso::OdbcPostgres:
            db.SetDriverName("FB");
            db.SetDatabaseName("Provider=MSDASQL.1;Persist Security Info=False;Data Source="
                               + ambiente->value("QX_ODBC_DSN"));
            db.User = ambiente->value("QX_PG_USER");
            db.Password = ambiente->value("QX_PG_PASSWORD");
            leitura = "SELECT COUNT(*) AS N FROM pg_database";
            leituraComParametro = "SELECT COUNT(*) AS N FROM pg_database WHERE datname <> :NOME";
            break;
        }
        db.Open();
        q.SetDatabase(&db);
    }

    void Le()
    {
        q.Close();
        q.SQL.Clear();
        q.SQL.Add(leitura);
        q.Open();
        EXPECT_GT(q.FieldByName("N").AsInteger(), 0);
        db.FinalizaTransacao();
    }

    void ReiniciaServidor()
    {
        if (GetParam() == Acesso::Firebird) {
            QFile pid(kEstado + "/fb/firebird.pid");
            ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
            ASSERT_EQ(::kill(pid.readAll().trimmed().toInt(), SIGKILL), 0);
            for (int i = 0; i < 100 && Responde(kPortaFb); ++i)
                QThread::msleep(50);
        } else {
            Roda("runuser", {"-u", "postgres", "--", "/usr/lib/postgresql/15/bin/pg_ctl", "-D",
                             kEstado + "/pg/dados", "-m", "immediate", "-w", "stop"});
        }
        Instancias().Inicia();
    }

    static QMap<QString, QString>* ambiente;
    static QString* bancoFb;
    TKoDatabase db;
    TKoQuery q;
    QString leitura;
    QString leituraComParametro;
};
QMap<QString, QString>* ServidorReiniciado::ambiente = nullptr;
QString* ServidorReiniciado::bancoFb = nullptr;

TEST_P(ServidorReiniciado, ConfereConexaoAchaAConexaoPerdidaEReabrirVolta)
{
    Le();
    db.ConfereConexao();
    EXPECT_FALSE(db.Perdida());

    ReiniciaServidor();
    db.ConfereConexao();
    EXPECT_TRUE(db.Perdida());
    EXPECT_TRUE(db.Connected());
    db.Close();
    db.Open();
    EXPECT_FALSE(db.Perdida());
    Le();
}

TEST_P(ServidorReiniciado, PrimeiroComandoDepoisDoReinicioFalhaEReabrirVolta)
{
    Le();
    ReiniciaServidor();
    q.Close();
    q.SQL.Clear();
    q.SQL.Add(leitura);
    try {
        q.Open();
        FAIL() << "a leitura passou numa conexão cujo servidor foi reiniciado";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("Erro KoQuery.Open: ")) << e.Message().toStdString();
        EXPECT_GT(e.Message().size(), QString("Erro KoQuery.Open: ").size());
    }
    EXPECT_TRUE(db.Perdida());
    db.Close();
    db.Open();
    Le();
}

// As in the middle of a pass: a prepared statement with a parameter, in the
// transaction the statements before it opened. The first failure after the
// server went away already marks the connection lost, so the pass stops
// there instead of failing the next record too.
TEST_P(ServidorReiniciado, ComandoPreparadoNumaTransacaoAbertaMarcaAConexaoPerdidaNaPrimeiraFalha)
{
    const auto le = [this] {
        q.Close();
        q.SQL.Clear();
        q.SQL.Add(leituraComParametro);
        q.ParamByName("NOME").SetAsString("OB");
        q.Open();
    };
    le();
    ASSERT_TRUE(db.InTransaction());
    ReiniciaServidor();
    EXPECT_THROW(le(), EDatabaseError);
    EXPECT_TRUE(db.Perdida());
    db.Close();
    db.Open();
    le();
}

INSTANTIATE_TEST_SUITE_P(Servidores, ServidorReiniciado,
                         testing::Values(Acesso::Firebird, Acesso::Postgres, Acesso::OdbcPostgres),
                         [](const testing::TestParamInfo<Acesso>& i) {
                             switch (i.param) {
                             case Acesso::Firebird: return std::string("Firebird");
                             case Acesso::Postgres: return std::string("Postgres");
                             case Acesso::OdbcPostgres: return std::string("OdbcPostgres");
                             }
                             return std::string();
                         });

} // namespace
