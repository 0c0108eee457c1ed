#include "BancoFirebird.h"

#include "AmbienteTeste.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <QProcess>
#include <QSqlError>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

void executaIsql(const QString& script)
{
    QProcess isql;
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-b"), QStringLiteral("-ch"),
                                           QStringLiteral("UTF8")});
    isql.write(script.toUtf8());
    isql.closeWriteChannel();
    if (!isql.waitForFinished(60000) || isql.exitCode() != 0)
        throw std::runtime_error("isql-fb falhou: " + isql.readAllStandardError().toStdString()
                                 + isql.readAllStandardOutput().toStdString());
}

} // namespace

const char* nomeDaForma(FormaAcesso forma)
{
    return forma == FormaAcesso::Embarcado ? "Embarcado" : "Servidor";
}

BancoFirebird BancoFirebird::cria(FormaAcesso forma, const QString& ddl)
{
    BancoFirebird banco{forma, QString(), QString()};
    const QString nome = AmbienteTeste::nomeUnico(QStringLiteral("fb")) + QStringLiteral(".fdb");
    QString alvo;
    if (forma == FormaAcesso::Embarcado) {
        banco.arquivo = AmbienteTeste::pastaTemporaria() + QLatin1Char('/') + nome;
        alvo = banco.arquivo;
    } else {
        banco.arquivo = AmbienteTeste::fbPastaServidor() + QLatin1Char('/') + nome;
        banco.host = AmbienteTeste::fbHost();
        alvo = banco.host + QLatin1Char(':') + banco.arquivo;
    }
    executaIsql(QStringLiteral("CREATE DATABASE '%1' USER '%2' PASSWORD '%3' PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8;\n%4\nCOMMIT;\n")
                    .arg(alvo, AmbienteTeste::fbUsuario(), AmbienteTeste::fbSenha(), ddl));
    return banco;
}

QSqlDatabase BancoFirebird::conecta(const QString& nomeConexao) const
{
    QSqlDatabase db = QSqlDatabase::addDatabase(new DriverFirebird, nomeConexao);
    db.setDatabaseName(arquivo);
    db.setHostName(host);
    db.setUserName(AmbienteTeste::fbUsuario());
    db.setPassword(host.isEmpty() ? QString() : AmbienteTeste::fbSenha());
    db.setConnectOptions(host.isEmpty() ? QStringLiteral("PageSize=4096")
                                        : QStringLiteral("Protocol=TCPIP;PageSize=4096"));
    if (!db.open())
        ADD_FAILURE() << "não abriu " << arquivo.toStdString() << ": " << db.lastError().text().toStdString();
    return db;
}

QSqlDatabase TesteFirebird::conecta(const BancoFirebird& banco)
{
    const QString nome = AmbienteTeste::nomeUnico(QStringLiteral("conexao"));
    m_conexoes << nome;
    return banco.conecta(nome);
}

void TesteFirebird::TearDown()
{
    for (const QString& nome : std::as_const(m_conexoes)) {
        QSqlDatabase::database(nome, false).close();
        QSqlDatabase::removeDatabase(nome);
    }
    m_conexoes.clear();
}
