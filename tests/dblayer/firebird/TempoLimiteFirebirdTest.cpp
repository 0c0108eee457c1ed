// The time limit and the cancel of a running statement, including one that
// waits for a row lock; the connection stays usable afterwards.

#include "BancoFirebird.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <thread>

namespace {

const QString kTabela = QStringLiteral("CREATE TABLE ITENS (ID INTEGER NOT NULL PRIMARY KEY, V INTEGER);\n"
                                       "INSERT INTO ITENS VALUES (1, 0);");
// Billions of rows: runs far longer than any limit of these tests.
const QString kConsultaLonga = QStringLiteral(
    "SELECT COUNT(*) FROM RDB$TYPES A, RDB$TYPES B, RDB$TYPES C, RDB$TYPES D");

DriverFirebird* driverDe(const QSqlDatabase& db)
{
    return static_cast<DriverFirebird*>(db.driver());
}

// Runs the statement and reads its first row; the error when any step fails.
QString falhaDe(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (q.exec(sql) && q.next())
        return QString();
    return q.lastError().text();
}

void confirmaConexaoUtilizavel(QSqlDatabase& db)
{
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT V FROM ITENS WHERE ID = 1"))) << q.lastError().text().toStdString();
    ASSERT_TRUE(q.next());
    EXPECT_FALSE(driverDe(db)->ultimoExcedeuTempo());
}

class TempoLimiteFirebird : public TesteFirebird {};

TEST_P(TempoLimiteFirebird, ComandoLongoEhCanceladoNoLimite)
{
    QSqlDatabase db = conecta(criaBanco(kTabela));
    driverDe(db)->defineTempoLimite(1000);
    const QString erro = falhaDe(db, kConsultaLonga);
    EXPECT_FALSE(erro.isEmpty());
    EXPECT_TRUE(erro.contains(QStringLiteral("cancelled"))) << erro.toStdString();
    EXPECT_TRUE(driverDe(db)->ultimoExcedeuTempo());
    confirmaConexaoUtilizavel(db);
}

TEST_P(TempoLimiteFirebird, EsperaPorBloqueioEhCanceladaNoLimite)
{
    const BancoFirebird banco = criaBanco(kTabela);
    QSqlDatabase dono = conecta(banco);
    QSqlDatabase esperando = conecta(banco);
    ASSERT_TRUE(dono.transaction());
    ASSERT_TRUE(QSqlQuery(dono).exec(QStringLiteral("UPDATE ITENS SET V = 1 WHERE ID = 1")));

    ASSERT_TRUE(esperando.transaction());
    driverDe(esperando)->defineTempoLimite(1000);
    QSqlQuery atualiza(esperando);
    EXPECT_FALSE(atualiza.exec(QStringLiteral("UPDATE ITENS SET V = 2 WHERE ID = 1")));
    EXPECT_TRUE(driverDe(esperando)->ultimoExcedeuTempo()) << atualiza.lastError().text().toStdString();

    ASSERT_TRUE(dono.rollback());
    ASSERT_TRUE(atualiza.exec(QStringLiteral("UPDATE ITENS SET V = 2 WHERE ID = 1")))
        << atualiza.lastError().text().toStdString();
    ASSERT_TRUE(esperando.commit());
    confirmaConexaoUtilizavel(esperando);
}

TEST_P(TempoLimiteFirebird, CancelaOperacaoDeOutraThread)
{
    QSqlDatabase db = conecta(criaBanco(kTabela));
    DriverFirebird* driver = driverDe(db);
    std::thread cancelador([driver] {
        QThread::msleep(300);
        driver->cancelaOperacao();
    });
    const QString erro = falhaDe(db, kConsultaLonga);
    cancelador.join();
    EXPECT_TRUE(erro.contains(QStringLiteral("cancelled"))) << erro.toStdString();
    EXPECT_FALSE(driver->ultimoExcedeuTempo());
    confirmaConexaoUtilizavel(db);
}

TEST_P(TempoLimiteFirebird, ComandosRapidosNaoSaoAfetadosPeloLimite)
{
    QSqlDatabase db = conecta(criaBanco(kTabela));
    driverDe(db)->defineTempoLimite(1000);
    QSqlQuery q(db);
    ASSERT_TRUE(q.prepare(QStringLiteral("UPDATE ITENS SET V = ? WHERE ID = 1")));
    for (int i = 0; i < 500; ++i) {
        q.addBindValue(i);
        ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
    }
    driverDe(db)->defineTempoLimite(0);
    confirmaConexaoUtilizavel(db);
}

INSTANCIA_NAS_DUAS_FORMAS(TempoLimiteFirebird);

} // namespace
