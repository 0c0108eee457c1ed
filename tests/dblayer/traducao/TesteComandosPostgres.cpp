// Every statement the system sends, translated for "PG", run on the
// PostgreSQL test server against the ERP, Bruma and EAS host schemas. The test keeps
// a record of which statements the server rejects: it fails only when that
// list changes, so that a change in the translation or the schema shows up.

#include <gtest/gtest.h>

#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "ComandosSistema.h"

#include "base/ListaLinhas.h"
#include "dblayer/traducao/ConverteSQL.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

namespace {

// The statements the server rejects today, in catalogue order: the
// Firebird-only SELECT FIRST n (the translation rewrites only FIRST[...])
// and DATEADD(n HOUR TO ...).
const QStringList kRecusadosEsperados = {
    QStringLiteral("EnviaEstoque/consulta"),  // SELECT FIRST 1 in a subquery
    QStringLiteral("EnviaFals/consulta-fal"), // DATEADD(10 HOUR TO CURRENT_TIMESTAMP), SELECT FIRST 1
    QStringLiteral("EnviaItensFal/consulta"), // SELECT FIRST 1 in a subquery
};

const QHash<QString, QString> kScripts = {
    {QStringLiteral("ERP"), QStringLiteral("erp_postgres.sql")},
    {QStringLiteral("Bruma"), QStringLiteral("bruma_postgres.sql")},
    {QStringLiteral("EAS"), QStringLiteral("eas_host_postgres.sql")},
};

QSqlDatabase Conecta(const QString& nomeConexao, const QString& banco)
{
    QSqlDatabase conexao = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), nomeConexao);
    conexao.setHostName(AmbienteTeste::pgHost());
    conexao.setPort(AmbienteTeste::pgPorta());
    conexao.setUserName(AmbienteTeste::pgUsuario());
    conexao.setPassword(AmbienteTeste::pgSenha());
    conexao.setDatabaseName(banco);
    return conexao;
}

// Runs the text in a transaction that is rolled back, so that no statement
// sees another's changes. Returns the server's message, empty on success.
QString Executa(QSqlDatabase& conexao, const QString& texto, const QVariantMap& parametros)
{
    conexao.transaction();
    QSqlQuery consulta(conexao);
    bool executou = false;
    if (parametros.isEmpty()) {
        executou = consulta.exec(texto);
    } else if (consulta.prepare(texto)) {
        for (auto it = parametros.cbegin(); it != parametros.cend(); ++it)
            consulta.bindValue(u':' + it.key(), it.value());
        executou = consulta.exec();
    }
    const QString erro = executou ? QString() : consulta.lastError().databaseText().simplified();
    consulta.finish();
    conexao.rollback();
    return erro;
}

TEST(ComandosNoPostgres, TraduzidosParaPGRodamOuSaoRecusadosComoRegistrado)
{
    ASSERT_FALSE(ComandosSistema().isEmpty());
    QHash<QString, QSqlDatabase> conexoes;
    for (auto it = kScripts.cbegin(); it != kScripts.cend(); ++it) {
        const QString banco = BancoTeste::criaPostgres(QStringLiteral("trad_") + it.key().toLower(), {it.value()});
        QSqlDatabase conexao = Conecta(QStringLiteral("trad_") + it.key(), banco);
        ASSERT_TRUE(conexao.open()) << conexao.lastError().text().toStdString();
        conexoes.insert(it.key(), conexao);
    }

    QStringList recusados;
    int rodaram = 0;
    int semEsquema = 0;
    const ListaColunasFn semDicionario = [](const QString&) { return QStringList(); };
    for (const ComandoSistema& comando : ComandosSistema()) {
        if (!conexoes.contains(comando.banco)) {
            ++semEsquema;
            continue;
        }
        TListaLinhas linhas;
        for (const QString& linha : comando.linhas)
            linhas.Add(linha);
        const QString traduzido = TraduzSQL(linhas.Text(), QStringLiteral("PG"), semDicionario);
        const QString erro = Executa(conexoes[comando.banco], traduzido, comando.parametros);
        if (erro.isEmpty()) {
            ++rodaram;
            continue;
        }
        recusados << comando.id;
        std::printf("RECUSADO %s\n  SQL: %s\n  Motivo: %s\n", qPrintable(comando.id),
                    qPrintable(QString(traduzido).replace(QStringLiteral("\r\n"), QStringLiteral(" "))),
                    qPrintable(erro));
    }
    std::printf("%d rodaram, %lld recusados, %d sem esquema PostgreSQL\n", rodaram,
                static_cast<long long>(recusados.size()), semEsquema);

    for (auto& conexao : conexoes)
        conexao.close();
    const QStringList nomes = conexoes.keys();
    conexoes.clear();
    for (const QString& nome : nomes)
        QSqlDatabase::removeDatabase(QStringLiteral("trad_") + nome);

    EXPECT_EQ(recusados.join(u'\n').toStdString(), kRecusadosEsperados.join(u'\n').toStdString());
}

} // namespace
