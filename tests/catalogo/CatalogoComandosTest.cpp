// Every statement the integration tests saw the system send (recorded at the
// query component, see GravadorComandos.cpp) is prepared, translated as the
// query component translates it, on every server the project runs: the
// embedded Firebird, the Firebird server and PostgreSQL, over databases made
// from the schema scripts of sql/. Preparing makes the server resolve every
// table and column without running anything.

#include "AmbienteTeste.h"
#include "BancoTeste.h"

#include "dblayer/firebird/DriverFirebird.h"
#include "dblayer/traducao/ConverteSQL.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

struct TComando {
    QString Banco;  // "ERP", "Bruma", "EAS"
    QString Texto;
    QString Origem; // the test that recorded it first
    QString Modelo; // the model whose passes sent it
};

struct TServidor {
    QString Nome;
    QString Dialeto;  // the driver id the query component translates for
};

const QList<TServidor> kServidores = {
    {QStringLiteral("Firebird embutido"), QStringLiteral("FB")},
    {QStringLiteral("Firebird servidor"), QStringLiteral("FB")},
    {QStringLiteral("PostgreSQL"), QStringLiteral("PG")},
};

// Statements a server refuses today, by a piece of their text, with the
// reason. The test fails when one of them starts to be prepared, so that the
// list only shrinks.
struct TRecusaConhecida {
    QString Servidor;  // empty: every server
    QString Trecho;
    QString Motivo;
};
const QList<TRecusaConhecida> kRecusasConhecidas = {
    {QString(), QStringLiteral("FAL.STATUS_EAS99"),
     QStringLiteral("a fase que o teste do EAS aponta para um processo sem coluna de estado")},
    {QStringLiteral("PostgreSQL"), QStringLiteral("(SELECT FIRST 1 UNIDADE FROM MAT_TIN_001"),
     QStringLiteral("SELECT FIRST n numa subconsulta: a tradução só reescreve FIRST[...]")},
    {QStringLiteral("PostgreSQL"), QStringLiteral("DATEADD(10 HOUR TO CURRENT_TIMESTAMP)"),
     QStringLiteral("DATEADD(n HOUR TO ...) e SELECT FIRST n, só do Firebird")},
    {QStringLiteral("PostgreSQL"), QStringLiteral("(SELECT FIRST 1 ROT.DESCRICAO"),
     QStringLiteral("SELECT FIRST n numa subconsulta: a tradução só reescreve FIRST[...]")},
};

// The EAS tests on PostgreSQL keep the host tables in this schema and the
// system writes their names qualified by it; Firebird has no schemas, and
// there the same statement is written without it.
const QString kEsquemaEas = QStringLiteral("eas");

QString Script(const QString& banco, const QString& servidor)
{
    const QString base = banco == QLatin1String("ERP")     ? QStringLiteral("erp")
                       : banco == QLatin1String("Bruma")   ? QStringLiteral("bruma")
                                                           : QStringLiteral("eas_host");
    return base + (servidor == QLatin1String("PostgreSQL") ? QStringLiteral("_postgres.sql")
                                                          : QStringLiteral("_firebird.sql"));
}

QList<TComando> LeCatalogo()
{
    QList<TComando> comandos;
    QSet<QString> vistos;
    for (const QString& caminho : QStringLiteral(QUELIX_CATALOGOS).split(u'|', Qt::SkipEmptyParts)) {
        QFile arquivo(caminho);
        if (!arquivo.open(QIODevice::ReadOnly))
            throw std::runtime_error("catálogo ausente: " + caminho.toStdString()
                                     + " (o teste que o grava não rodou?)");
        const QString origem = QFileInfo(caminho).completeBaseName();
        while (!arquivo.atEnd()) {
            const QJsonObject linha = QJsonDocument::fromJson(arquivo.readLine()).object();
            const TComando comando{linha.value("banco").toString(), linha.value("texto").toString(), origem,
                                   linha.value("modelo").toString()};
            if (comando.Banco.isEmpty() || comando.Texto.isEmpty())
                throw std::runtime_error("linha ilegível em " + caminho.toStdString());
            if (!vistos.contains(comando.Modelo + u'\n' + comando.Banco + u'\n' + comando.Texto)) {
                vistos.insert(comando.Modelo + u'\n' + comando.Banco + u'\n' + comando.Texto);
                comandos << comando;
            }
        }
    }
    return comandos;
}

QSqlDatabase Conecta(const QString& banco, const QString& servidor)
{
    const QString nome = banco + u'_' + servidor;
    const QString script = Script(banco, servidor);
    QSqlDatabase conexao;
    if (servidor == QLatin1String("PostgreSQL")) {
        conexao = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), nome);
        conexao.setHostName(AmbienteTeste::pgHost());
        conexao.setPort(AmbienteTeste::pgPorta());
        conexao.setUserName(AmbienteTeste::pgUsuario());
        conexao.setPassword(AmbienteTeste::pgSenha());
        const QString base = QStringLiteral("catalogo_") + banco.toLower();
        conexao.setDatabaseName(banco == QLatin1String("EAS") ? BancoTeste::criaPostgresNoEsquema(base, kEsquemaEas, {script})
                                                             : BancoTeste::criaPostgres(base, {script}));
    } else {
        const bool local = servidor == QLatin1String("Firebird embutido");
        conexao = QSqlDatabase::addDatabase(new DriverFirebird, nome);
        conexao.setDatabaseName(local ? BancoTeste::criaFirebirdLocal(QStringLiteral("catalogo_") + banco, {script})
                                      : BancoTeste::criaFirebirdServidor(QStringLiteral("catalogo_") + banco, {script}));
        conexao.setUserName(local ? QStringLiteral("SYSDBA") : AmbienteTeste::fbUsuario());
        conexao.setPassword(local ? QString() : AmbienteTeste::fbSenha());
    }
    if (!conexao.open())
        throw std::runtime_error("não abriu " + nome.toStdString() + ": " + conexao.lastError().text().toStdString());
    if (banco == QLatin1String("EAS") && servidor == QLatin1String("PostgreSQL"))
        QSqlQuery(conexao).exec(QStringLiteral("SET search_path TO %1, public").arg(kEsquemaEas));
    return conexao;
}

// The server's message when it cannot prepare the text, empty when it can.
QString Prepara(QSqlDatabase& conexao, const QString& texto)
{
    conexao.transaction();
    QString erro;
    {
        QSqlQuery consulta(conexao);
        if (!consulta.prepare(texto))
            erro = consulta.lastError().text().simplified();
    }
    conexao.rollback();
    return erro;
}

QString RecusaConhecida(const QString& servidor, const QString& texto)
{
    for (const TRecusaConhecida& recusa : kRecusasConhecidas)
        if ((recusa.Servidor.isEmpty() || recusa.Servidor == servidor) && texto.contains(recusa.Trecho))
            return recusa.Motivo;
    return QString();
}

bool RecusadoEmTodos(const QString& texto)
{
    return std::any_of(kRecusasConhecidas.begin(), kRecusasConhecidas.end(), [&texto](const TRecusaConhecida& recusa) {
        return recusa.Servidor.isEmpty() && texto.contains(recusa.Trecho);
    });
}

TEST(CatalogoComandos, CadaComandoEnviadoSePreparaEmCadaServidor)
{
    const QList<TComando> comandos = LeCatalogo();
    QMap<QString, int> porBanco;
    for (const TComando& comando : comandos)
        ++porBanco[comando.Banco];
    for (const QString banco : {"ERP", "Bruma", "EAS"})
        ASSERT_GT(porBanco.value(banco), 0) << "nenhum comando gravado para " << qPrintable(banco);

    const ListaColunasFn semDicionario = [](const QString&) { return QStringList(); };
    int preparados = 0;
    QSet<QString> distintos;
    for (const TComando& comando : comandos)
        distintos.insert(comando.Banco + u'\n' + comando.Texto);
    for (const TServidor& servidor : kServidores) {
        QMap<QString, QSqlDatabase> conexoes;
        for (const QString banco : {"ERP", "Bruma", "EAS"})
            conexoes.insert(banco, Conecta(banco, servidor.Nome));
        QSet<QString> feitos;
        for (const TComando& comando : comandos) {
            if (feitos.contains(comando.Banco + u'\n' + comando.Texto))
                continue;
            feitos.insert(comando.Banco + u'\n' + comando.Texto);
            QString texto = comando.Texto;
            if (servidor.Dialeto == QLatin1String("FB"))
                texto.remove(kEsquemaEas + u'.');
            const QString traduzido = TraduzSQL(texto, servidor.Dialeto, semDicionario);
            const QString erro = Prepara(conexoes[comando.Banco], traduzido);
            const QString conhecida = RecusaConhecida(servidor.Nome, comando.Texto);
            if (conhecida.isEmpty()) {
                EXPECT_TRUE(erro.isEmpty()) << qPrintable(erro) << "\n" << qPrintable(servidor.Nome) << ", " << qPrintable(comando.Banco)
                                           << " (gravado por " << qPrintable(comando.Origem) << "):\n"
                                           << qPrintable(traduzido);
            } else {
                EXPECT_FALSE(erro.isEmpty()) << "agora se prepara (" << qPrintable(conhecida)
                                           << "); retire-o da lista:\n" << qPrintable(traduzido);
            }
            preparados += erro.isEmpty();
        }
        for (QSqlDatabase& conexao : conexoes)
            conexao.close();
    }
    std::printf("%lld comandos distintos; %d preparações em %lld servidores\n",
                static_cast<long long>(distintos.size()), preparados, static_cast<long long>(kServidores.size()));
}

// The catalogue quelix --verifica prepares on a site's databases, built into
// the executable: the recorded statements by model, with the EAS host tables
// unqualified (each site's schema qualifies them), and without those no
// server prepares (they name what only the tests' data holds). One line
// each, sorted, so that a change reads as a diff.
QByteArray CatalogoParaVerificacao(const QList<TComando>& comandos)
{
    QStringList linhas;
    for (const TComando& comando : comandos) {
        if (RecusadoEmTodos(comando.Texto))
            continue;
        QString texto = comando.Texto;
        texto.remove(kEsquemaEas + u'.');
        const QJsonObject linha{{"modelo", comando.Modelo}, {"banco", comando.Banco}, {"texto", texto}};
        linhas << QString::fromUtf8(QJsonDocument(linha).toJson(QJsonDocument::Compact));
    }
    linhas.sort();
    linhas.removeDuplicates();
    return (linhas.join(u'\n') + u'\n').toUtf8();
}

TEST(CatalogoComandos, CatalogoDoExecutavelEhOQueOsTestesGravaram)
{
    const QByteArray gravado = CatalogoParaVerificacao(LeCatalogo());
    QFile fixo(QStringLiteral(QUELIX_CATALOGO_FIXO));
    ASSERT_TRUE(fixo.open(QIODevice::ReadOnly)) << QUELIX_CATALOGO_FIXO;
    if (fixo.readAll() == gravado)
        return;
    const QString novo = QStringLiteral(QUELIX_DIR_CATALOGO "/ComandosEnviados.jsonl");
    QFile saida(novo);
    ASSERT_TRUE(saida.open(QIODevice::WriteOnly | QIODevice::Truncate) && saida.write(gravado) == gravado.size());
    FAIL() << "Os comandos que os testes gravaram mudaram; o quelix --verifica prepara o catálogo do "
              "executável. Confira a diferença e atualize-o:\n  diff " QUELIX_CATALOGO_FIXO " "
           << qPrintable(novo) << "\n  cp " << qPrintable(novo) << " " QUELIX_CATALOGO_FIXO;
}

} // namespace
