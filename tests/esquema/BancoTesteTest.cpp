// The fixtures every other test builds on: each kind of test database is
// created from its scripts, takes sample rows and answers a real
// connection; a failing statement is reported with the server's message.

#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// The one row count a query returns, or the connection's error as text.
QString conta(QSqlDatabase db, const QString& tabela)
{
    if (!db.open())
        return "não abriu: " + db.lastError().text();
    QSqlQuery query(db);
    if (!query.exec("SELECT COUNT(*) FROM " + tabela) || !query.next())
        return "falhou: " + query.lastError().text();
    return query.value(0).toString();
}

TEST(BancoTeste, FirebirdNoServidorGeraNrecno)
{
    const QString banco = BancoTeste::criaFirebirdServidor("host", {"eas_host_firebird.sql"});
    BancoTeste::executaSqlFirebird(banco, "INSERT INTO FTOHOST (IDTIPO, DATOS, LEIDO) VALUES ('80', 'A|', 'F');"
                                          "INSERT INTO FTOHOST (IDTIPO, DATOS, LEIDO) VALUES ('81', 'B|', 'F')");
    // "host/port:path" as the fixture returns it, through the project's own driver.
    const qsizetype doisPontos = banco.indexOf(':');
    QSqlDatabase db = QSqlDatabase::addDatabase(new DriverFirebird, "fixture_fb_servidor");
    db.setHostName(banco.left(doisPontos));
    db.setDatabaseName(banco.mid(doisPontos + 1));
    db.setUserName(AmbienteTeste::fbUsuario());
    db.setPassword(AmbienteTeste::fbSenha());
    EXPECT_EQ(conta(db, "FTOHOST WHERE NRECNO = 2 AND IDTIPO = '81'"), "1");
}

TEST(BancoTeste, PostgresPorOdbcMantemDsnsAnteriores)
{
    const QString banco = BancoTeste::criaPostgres("erp", {"erp_postgres.sql"});
    BancoTeste::executaSqlPostgres(banco, "INSERT INTO qx_integra (ordem, status) VALUES (1, 0), (2, NULL);");
    const QString dsn = BancoTeste::criaDsnOdbc("quelix_fixture", banco);

    QSqlDatabase novo = QSqlDatabase::addDatabase("QODBC", "fixture_odbc_novo");
    novo.setDatabaseName(dsn);
    EXPECT_EQ(conta(novo, "QX_INTEGRA"), "2");

    QSqlDatabase anterior = QSqlDatabase::addDatabase("QODBC", "fixture_odbc_anterior");
    anterior.setDatabaseName(AmbienteTeste::odbcDsn());
    EXPECT_FALSE(conta(anterior, "pg_database").startsWith("não abriu")) << "o DSN do ambiente sumiu";
}

TEST(BancoTeste, ErroDoServidorChegaNaExcecao)
{
    const QString banco = BancoTeste::criaFirebirdLocal("erro", {"bruma_firebird.sql"});
    try {
        BancoTeste::executaSqlFirebird(banco, "SELECT NADA FROM OB");
        FAIL() << "o comando inválido não lançou";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("NADA"), std::string::npos) << e.what();
    }
}

} // namespace
