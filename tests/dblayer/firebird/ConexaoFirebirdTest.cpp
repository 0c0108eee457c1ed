// Opening errors, and the metadata a table model needs.

#include "BancoFirebird.h"
#include "dblayer/firebird/DriverFirebird.h"

#include "AmbienteTeste.h"

#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>

namespace {

class ConexaoFirebird : public TesteFirebird {};

TEST_P(ConexaoFirebird, ArquivoInexistenteDaErroLimpo)
{
    BancoFirebird banco = criaBanco();
    banco.arquivo += QStringLiteral(".nao-existe");
    const QString nome = AmbienteTeste::nomeUnico(QStringLiteral("inexistente"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(new DriverFirebird, nome);
        db.setDatabaseName(banco.arquivo);
        db.setHostName(banco.host);
        db.setUserName(AmbienteTeste::fbUsuario());
        db.setPassword(AmbienteTeste::fbSenha());
        EXPECT_FALSE(db.open());
        EXPECT_EQ(db.lastError().type(), QSqlError::ConnectionError);
        EXPECT_TRUE(db.lastError().text().contains(banco.arquivo)) << db.lastError().text().toStdString();
        EXPECT_FALSE(db.isOpen());
        EXPECT_FALSE(QSqlQuery(db).exec(QStringLiteral("SELECT 1 FROM RDB$DATABASE")));
    }
    QSqlDatabase::removeDatabase(nome);
}

TEST_P(ConexaoFirebird, TabelaEditavelPorQSqlTableModel)
{
    QSqlDatabase db = conecta(criaBanco(QStringLiteral(
        "CREATE TABLE QX_FILA (ORDEM INTEGER NOT NULL PRIMARY KEY, TIPO VARCHAR(10), STATUS SMALLINT);\n"
        "INSERT INTO QX_FILA VALUES (1, 'artigo', 0);\nINSERT INTO QX_FILA VALUES (2, 'cor', 1);")));
    EXPECT_TRUE(db.tables().contains(QStringLiteral("QX_FILA")));
    EXPECT_EQ(db.primaryIndex(QStringLiteral("qx_fila")).fieldName(0), QStringLiteral("ORDEM"));

    QSqlTableModel modelo(nullptr, db);
    modelo.setTable(QStringLiteral("QX_FILA"));
    modelo.setEditStrategy(QSqlTableModel::OnManualSubmit);
    modelo.setFilter(QStringLiteral("STATUS = 0"));
    ASSERT_TRUE(modelo.select()) << modelo.lastError().text().toStdString();
    ASSERT_EQ(modelo.rowCount(), 1);
    EXPECT_EQ(modelo.data(modelo.index(0, 1)).toString(), QStringLiteral("artigo"));

    ASSERT_TRUE(modelo.setData(modelo.index(0, 1), QStringLiteral("produto")));
    QSqlRecord nova = modelo.record();
    nova.setValue(QStringLiteral("ORDEM"), 3);
    nova.setValue(QStringLiteral("TIPO"), QStringLiteral("fio"));
    nova.setValue(QStringLiteral("STATUS"), 0);
    ASSERT_TRUE(modelo.insertRecord(-1, nova));
    ASSERT_TRUE(modelo.submitAll()) << modelo.lastError().text().toStdString();

    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT LIST(TIPO, ',') FROM (SELECT TIPO FROM QX_FILA ORDER BY ORDEM)")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("produto,cor,fio"));
}

INSTANCIA_NAS_DUAS_FORMAS(ConexaoFirebird);

TEST(ConexaoFirebirdServidor, SenhaErradaDaErroLimpo)
{
    const BancoFirebird banco = BancoFirebird::cria(FormaAcesso::Servidor);
    const QString nome = AmbienteTeste::nomeUnico(QStringLiteral("senha"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(new DriverFirebird, nome);
        db.setDatabaseName(banco.arquivo);
        db.setHostName(AmbienteTeste::fbMaquina());
        db.setPort(AmbienteTeste::fbPorta());
        db.setUserName(AmbienteTeste::fbUsuario());
        db.setPassword(QStringLiteral("errada"));
        EXPECT_FALSE(db.open());
        EXPECT_TRUE(db.lastError().text().startsWith(QStringLiteral("Your user name and password are not defined")))
            << db.lastError().text().toStdString();
        EXPECT_FALSE(db.lastError().nativeErrorCode().isEmpty());
    }
    QSqlDatabase::removeDatabase(nome);
}

} // namespace
