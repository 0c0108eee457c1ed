// Read committed transactions: what a long transaction sees, commit and
// rollback retaining, and the retry after an update conflict.

#include "BancoFirebird.h"
#include "dblayer/firebird/DriverFirebird.h"

#include "AmbienteTeste.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <future>
#include <thread>

namespace {

const QString kTabela = QStringLiteral("CREATE TABLE ITENS (ID INTEGER NOT NULL PRIMARY KEY, V INTEGER);");

DriverFirebird* driverDe(const QSqlDatabase& db)
{
    return static_cast<DriverFirebird*>(db.driver());
}

int conta(QSqlDatabase& db, const QString& sql = QStringLiteral("SELECT COUNT(*) FROM ITENS"))
{
    QSqlQuery q(db);
    if (!q.exec(sql) || !q.next()) {
        ADD_FAILURE() << q.lastError().text().toStdString();
        return -1;
    }
    return q.value(0).toInt();
}

bool executa(QSqlDatabase& db, const QString& sql, QString* erro = nullptr)
{
    QSqlQuery q(db);
    const bool ok = q.exec(sql);
    if (erro)
        *erro = q.lastError().text();
    return ok;
}

class TransacoesFirebird : public TesteFirebird {};

TEST_P(TransacoesFirebird, TransacaoLongaVeODadoQueOutraConexaoConfirma)
{
    const BancoFirebird banco = criaBanco(kTabela);
    QSqlDatabase longa = conecta(banco);
    QSqlDatabase outra = conecta(banco);

    ASSERT_TRUE(longa.transaction());
    EXPECT_TRUE(driverDe(longa)->emTransacao());
    EXPECT_EQ(conta(longa), 0);
    ASSERT_TRUE(executa(outra, QStringLiteral("INSERT INTO ITENS VALUES (1, 1)"))); // autocommit
    EXPECT_EQ(conta(longa), 1);
    ASSERT_TRUE(longa.commit());
    EXPECT_FALSE(driverDe(longa)->emTransacao());
}

TEST_P(TransacoesFirebird, CommitRetainingPublicaEMantemATransacao)
{
    const BancoFirebird banco = criaBanco(kTabela);
    QSqlDatabase escreve = conecta(banco);
    QSqlDatabase le = conecta(banco);

    ASSERT_TRUE(escreve.transaction());
    ASSERT_TRUE(executa(escreve, QStringLiteral("INSERT INTO ITENS VALUES (1, 1)")));
    EXPECT_EQ(conta(le), 0);
    ASSERT_TRUE(driverDe(escreve)->commitRetaining());
    EXPECT_TRUE(driverDe(escreve)->emTransacao());
    EXPECT_EQ(conta(le), 1);

    ASSERT_TRUE(executa(escreve, QStringLiteral("INSERT INTO ITENS VALUES (2, 2)")));
    ASSERT_TRUE(driverDe(escreve)->rollbackRetaining());
    EXPECT_TRUE(driverDe(escreve)->emTransacao());
    EXPECT_EQ(conta(escreve), 1);
    ASSERT_TRUE(executa(escreve, QStringLiteral("INSERT INTO ITENS VALUES (3, 3)")));
    ASSERT_TRUE(escreve.rollback());
    EXPECT_EQ(conta(le), 1);
}

// Waits, on a connection of its own, until a statement of another attachment
// is running (blocked on a lock).
bool esperaComandoBloqueado(const BancoFirebird& banco)
{
    const QString nome = AmbienteTeste::nomeUnico(QStringLiteral("monitor"));
    bool achou = false;
    {
        QSqlDatabase monitor = banco.conecta(nome);
        for (int tentativa = 0; tentativa < 400 && !achou; ++tentativa) {
            achou = conta(monitor, QStringLiteral("SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$STATE = 1 "
                                                  "AND MON$ATTACHMENT_ID <> CURRENT_CONNECTION "
                                                  "AND MON$SQL_TEXT STARTING WITH 'UPDATE'")) > 0;
            if (!achou)
                QThread::msleep(50);
        }
        monitor.close();
    }
    QSqlDatabase::removeDatabase(nome);
    return achou;
}

TEST_P(TransacoesFirebird, ConflitoDeAtualizacaoDaDeadlockERepeticaoNaMesmaTransacaoFunciona)
{
    const BancoFirebird banco = criaBanco(kTabela + QStringLiteral("\nINSERT INTO ITENS VALUES (1, 0);"));
    QSqlDatabase segunda = conecta(banco);

    // The holder updates the row, waits until the second connection is
    // blocked on it, then commits.
    std::promise<void> linhaPresa;
    std::thread dono([&] {
        const QString nome = AmbienteTeste::nomeUnico(QStringLiteral("dono"));
        {
            QSqlDatabase primeira = banco.conecta(nome);
            primeira.transaction();
            executa(primeira, QStringLiteral("UPDATE ITENS SET V = 1 WHERE ID = 1"));
            linhaPresa.set_value();
            EXPECT_TRUE(esperaComandoBloqueado(banco));
            EXPECT_TRUE(primeira.commit());
            primeira.close();
        }
        QSqlDatabase::removeDatabase(nome);
    });
    linhaPresa.get_future().wait();

    ASSERT_TRUE(segunda.transaction());
    QSqlQuery atualiza(segunda);
    ASSERT_TRUE(atualiza.prepare(QStringLiteral("UPDATE ITENS SET V = V + 10 WHERE ID = ?")));
    atualiza.addBindValue(1);
    const bool primeiraTentativa = atualiza.exec();
    dono.join();
    ASSERT_FALSE(primeiraTentativa);
    const QString erro = atualiza.lastError().text();
    EXPECT_TRUE(erro.startsWith(QStringLiteral("deadlock\nupdate conflicts with concurrent update")))
        << erro.toStdString();

    ASSERT_TRUE(atualiza.exec()) << atualiza.lastError().text().toStdString();
    EXPECT_EQ(atualiza.numRowsAffected(), 1);
    ASSERT_TRUE(segunda.commit());
    EXPECT_EQ(conta(segunda, QStringLiteral("SELECT V FROM ITENS WHERE ID = 1")), 11);
}

TEST_P(TransacoesFirebird, ComandoForaDeTransacaoEhConfirmadoNaHora)
{
    const BancoFirebird banco = criaBanco(kTabela);
    QSqlDatabase escreve = conecta(banco);
    QSqlDatabase le = conecta(banco);
    QSqlQuery cursor(escreve);
    ASSERT_TRUE(cursor.exec(QStringLiteral("SELECT RDB$RELATION_ID FROM RDB$RELATIONS")));
    ASSERT_TRUE(cursor.next()); // a cursor is still open on the writer
    ASSERT_TRUE(executa(escreve, QStringLiteral("INSERT INTO ITENS VALUES (1, 1)")));
    EXPECT_EQ(conta(le), 1);
    EXPECT_FALSE(escreve.commit()); // no transaction was begun
    EXPECT_TRUE(cursor.next());
}

INSTANCIA_NAS_DUAS_FORMAS(TransacoesFirebird);

} // namespace
