#include "ConexoesDeTeste.h"

#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QAtomicInteger>

#include <stdexcept>

namespace {

const char* kTabelaFirebird =
    "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V INTEGER, NOME VARCHAR(40));";
const char* kTabelaPostgres =
    "CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, V INTEGER, NOME VARCHAR(40));";

QString NomeConexaoBruta()
{
    static QAtomicInteger<int> n = 0;
    return QStringLiteral("bruta_%1").arg(++n);
}

// A bare Qt connection to the test database, for the other client.
QSqlDatabase ConexaoBruta(const BancoDeTeste& banco, const QString& nome)
{
    QSqlDatabase c;
    switch (banco.servidor) {
    case Servidor::FirebirdLocal:
    case Servidor::FirebirdServidor: {
        c = QSqlDatabase::addDatabase(new DriverFirebird, nome);
        const qsizetype p = banco.databaseName.indexOf(u':');
        if (banco.servidor == Servidor::FirebirdServidor) {
            c.setHostName(banco.databaseName.left(p));
            c.setDatabaseName(banco.databaseName.mid(p + 1));
        } else {
            c.setDatabaseName(banco.databaseName);
        }
        break;
    }
    case Servidor::OdbcSqlite:
        // A short busy limit: a client that meets the layer's lock gives up
        // in a moment instead of the driver's 100 s.
        c = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), nome);
        c.setDatabaseName(QStringLiteral("DRIVER={SQLite3};Database=%1;Timeout=300").arg(banco.bancoBruto));
        break;
    case Servidor::Postgres:
    case Servidor::OdbcPostgres:
        c = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), nome);
        c.setHostName(AmbienteTeste::pgHost());
        c.setPort(AmbienteTeste::pgPorta());
        c.setDatabaseName(banco.bancoBruto);
        break;
    }
    c.setUserName(banco.usuario);
    c.setPassword(banco.senha);
    if (!c.open())
        throw std::runtime_error(("conexão de teste: " + c.lastError().text()).toStdString());
    return c;
}

} // namespace

QString NomeDoServidor(Servidor s)
{
    switch (s) {
    case Servidor::FirebirdLocal: return QStringLiteral("FirebirdLocal");
    case Servidor::FirebirdServidor: return QStringLiteral("FirebirdServidor");
    case Servidor::Postgres: return QStringLiteral("Postgres");
    case Servidor::OdbcPostgres: return QStringLiteral("OdbcPostgres");
    case Servidor::OdbcSqlite: return QStringLiteral("OdbcSqlite");
    }
    return {};
}

std::string NomeDoParametro(const testing::TestParamInfo<Servidor>& info)
{
    return NomeDoServidor(info.param).toStdString();
}

BancoDeTeste CriaBancoDeTeste(Servidor s)
{
    BancoDeTeste b{s, {}, {}, {}, {}, {}};
    switch (s) {
    case Servidor::FirebirdLocal:
        b.bancoBruto = BancoTeste::criaFirebirdLocal(QStringLiteral("camada"), {});
        BancoTeste::executaSqlFirebird(b.bancoBruto, QString::fromLatin1(kTabelaFirebird));
        b.driverId = QStringLiteral("FB");
        b.databaseName = b.bancoBruto;
        b.usuario = QStringLiteral("SYSDBA");
        break;
    case Servidor::FirebirdServidor:
        b.bancoBruto = BancoTeste::criaFirebirdServidor(QStringLiteral("camada"), {});
        BancoTeste::executaSqlFirebird(b.bancoBruto, QString::fromLatin1(kTabelaFirebird));
        b.driverId = QStringLiteral("FB");
        b.databaseName = b.bancoBruto;
        b.usuario = AmbienteTeste::fbUsuario();
        b.senha = AmbienteTeste::fbSenha();
        break;
    case Servidor::Postgres:
        b.bancoBruto = BancoTeste::criaPostgres(QStringLiteral("camada"), {});
        BancoTeste::executaSqlPostgres(b.bancoBruto, QString::fromLatin1(kTabelaPostgres));
        b.driverId = QStringLiteral("PG");
        b.databaseName = AmbienteTeste::pgHost() + u':' + b.bancoBruto;
        b.usuario = AmbienteTeste::pgUsuario();
        b.senha = AmbienteTeste::pgSenha();
        break;
    case Servidor::OdbcPostgres: {
        b.bancoBruto = BancoTeste::criaPostgres(QStringLiteral("camada_odbc"), {});
        BancoTeste::executaSqlPostgres(b.bancoBruto, QString::fromLatin1(kTabelaPostgres));
        const QString dsn = BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico(QStringLiteral("dsn")), b.bancoBruto);
        b.driverId = QStringLiteral("FB");
        b.databaseName = QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=") + dsn;
        b.usuario = AmbienteTeste::pgUsuario();
        b.senha = AmbienteTeste::pgSenha();
        break;
    }
    case Servidor::OdbcSqlite: {
        b.bancoBruto = QDir(AmbienteTeste::pastaTemporaria())
                           .filePath(AmbienteTeste::nomeUnico(QStringLiteral("camada")) + ".sqlite");
        ExecutaFora(b, QString::fromLatin1(kTabelaPostgres).chopped(1));
        const QString dsn =
            BancoTeste::criaDsnOdbcSqlite(AmbienteTeste::nomeUnico(QStringLiteral("dsn")), b.bancoBruto);
        b.driverId = QStringLiteral("FB");
        b.databaseName = QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=") + dsn;
        break;
    }
    }
    return b;
}

std::unique_ptr<TKoDatabase> AbreKoDatabase(const BancoDeTeste& banco)
{
    auto db = std::make_unique<TKoDatabase>();
    db->SetDriverName(banco.driverId);
    db->SetDatabaseName(banco.databaseName);
    if (banco.servidor == Servidor::Postgres) {
        db->Database = banco.bancoBruto;
        db->Port = AmbienteTeste::pgPorta();
    }
    db->User = banco.usuario;
    db->Password = banco.senha;
    db->Open();
    return db;
}

ClienteConcorrente::ClienteConcorrente(const BancoDeTeste& banco) : FBanco(banco) {}

ClienteConcorrente::~ClienteConcorrente() { Aguarda(); }

void ClienteConcorrente::Executa(std::function<void(QSqlDatabase&)> passos)
{
    Aguarda();
    FThread = std::thread([banco = FBanco, passos = std::move(passos)] {
        const QString nome = NomeConexaoBruta();
        {
            QSqlDatabase c = ConexaoBruta(banco, nome);
            passos(c);
            c.close();
        }
        QSqlDatabase::removeDatabase(nome);
    });
}

void ClienteConcorrente::Aguarda()
{
    if (FThread.joinable())
        FThread.join();
}

void ExecutaFora(const BancoDeTeste& banco, const QString& sql)
{
    const QString nome = NomeConexaoBruta();
    {
        QSqlDatabase c = ConexaoBruta(banco, nome);
        QSqlQuery q(c);
        if (!q.exec(sql))
            throw std::runtime_error(("ExecutaFora: " + q.lastError().text()).toStdString());
    }
    QSqlDatabase::removeDatabase(nome);
}

namespace {

QVariant LeFora(const BancoDeTeste& banco, const QString& sql)
{
    const QString nome = NomeConexaoBruta();
    QVariant valor;
    {
        QSqlDatabase c = ConexaoBruta(banco, nome);
        QSqlQuery q(c);
        if (!q.exec(sql) || !q.next())
            throw std::runtime_error(("LeFora: " + q.lastError().text()).toStdString());
        valor = q.value(0);
    }
    QSqlDatabase::removeDatabase(nome);
    return valor;
}

} // namespace

qint64 LeInteiroFora(const BancoDeTeste& banco, const QString& sql)
{
    return LeFora(banco, sql).toLongLong();
}

QString LeTextoFora(const BancoDeTeste& banco, const QString& sql)
{
    return LeFora(banco, sql).toString();
}
