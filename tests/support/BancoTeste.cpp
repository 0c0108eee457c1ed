#include "BancoTeste.h"

#include "AmbienteTeste.h"

#include "dblayer/firebird/DriverFirebird.h"

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace BancoTeste {

namespace {

// The ODBC drivers as the odbc-postgresql and libsqliteodbc packages
// register them in odbcinst.ini.
const char* const kPsqlodbc = "PostgreSQL Unicode";
const char* const kSqliteOdbc = "SQLite3";

QString caminhoScript(const QString& script)
{
    return QDir(QStringLiteral(QUELIX_DIR_SQL)).filePath(script);
}

QString literalSql(const QString& texto)
{
    QString dobrado = texto;
    return '\'' + dobrado.replace('\'', "''") + '\'';
}

// True when a piece of a script between two ";" holds only comments.
bool comentarioApenas(const QString& trecho)
{
    for (const QString& linha : trecho.split('\n'))
        if (!linha.trimmed().isEmpty() && !linha.trimmed().startsWith("--"))
            return false;
    return true;
}

QString leScript(const QString& script)
{
    QFile arquivo(caminhoScript(script));
    if (!arquivo.open(QIODevice::ReadOnly))
        throw std::runtime_error("script de esquema não encontrado: " + arquivo.fileName().toStdString());
    return QString::fromUtf8(arquivo.readAll());
}

// Runs a command line tool feeding it `entrada`; fails on a non-zero exit
// or, for isql-fb, on any reported statement failure.
void executa(const QString& programa, const QStringList& argumentos, const QString& entrada,
             const QProcessEnvironment& ambiente = QProcessEnvironment::systemEnvironment())
{
    QProcess processo;
    processo.setProcessEnvironment(ambiente);
    processo.start(programa, argumentos);
    if (!processo.waitForStarted(30000))
        throw std::runtime_error("não foi possível executar " + programa.toStdString() + ": "
                                 + processo.errorString().toStdString());
    processo.write(entrada.toUtf8());
    processo.closeWriteChannel();
    processo.waitForFinished(300000);
    const QString saida = QString::fromUtf8(processo.readAllStandardOutput())
                        + QString::fromUtf8(processo.readAllStandardError());
    const bool falhou = processo.exitStatus() != QProcess::NormalExit || processo.exitCode() != 0
                     || saida.contains(QLatin1String("Statement failed"));
    if (falhou)
        throw std::runtime_error(programa.toStdString() + " falhou (código "
                                 + std::to_string(processo.exitCode()) + "): " + saida.toStdString());
}

// --- Firebird ---------------------------------------------------------------

bool eNoServidor(const QString& banco)
{
    return !banco.startsWith('/');
}

QStringList argumentosIsql(const QString& banco)
{
    QStringList argumentos{"-q", "-b"};
    if (eNoServidor(banco))
        argumentos << "-user" << AmbienteTeste::fbUsuario() << "-password" << AmbienteTeste::fbSenha();
    return argumentos;
}

QString comScripts(QString sql, const QStringList& scripts)
{
    for (const QString& script : scripts)
        sql += leScript(script) + '\n';
    return sql + "COMMIT;\n";
}

// Server database files outlive the test run unless removed.
struct ArquivosNoServidor {
    std::vector<std::string> caminhos;
    ~ArquivosNoServidor()
    {
        for (const auto& caminho : caminhos)
            std::remove(caminho.c_str());
    }
};

ArquivosNoServidor& arquivosNoServidor()
{
    static ArquivosNoServidor arquivos;
    return arquivos;
}

QString criaFirebird(const QString& conexao, const QString& credenciais, const QStringList& scripts)
{
    const QString criacao = "CREATE DATABASE " + literalSql(conexao) + credenciais
                          + " PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8;\n";
    executa("isql-fb", {"-q", "-b"}, comScripts(criacao, scripts));
    return conexao;
}

// --- PostgreSQL -------------------------------------------------------------

QProcessEnvironment ambientePostgres()
{
    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert("PGPASSWORD", AmbienteTeste::pgSenha());
    return ambiente;
}

QStringList argumentosPsql(const QString& banco)
{
    return {"-X", "-q", "-v", "ON_ERROR_STOP=1", "-h", AmbienteTeste::pgHost(),
            "-p", QString::number(AmbienteTeste::pgPorta()), "-U", AmbienteTeste::pgUsuario(), "-d", banco};
}

// Drops the databases this run created, at exit, forcing off connections
// the tests left open.
struct BancosPostgres {
    std::string comandoPsql;
    std::vector<std::string> nomes;
    ~BancosPostgres()
    {
        for (const auto& nome : nomes) {
            const std::string comando = comandoPsql + " -c 'DROP DATABASE IF EXISTS " + nome
                                      + " WITH (FORCE)' >/dev/null 2>&1";
            [[maybe_unused]] const int resultado = std::system(comando.c_str());
        }
    }
};

BancosPostgres& bancosPostgres()
{
    static BancosPostgres bancos;
    if (bancos.comandoPsql.empty()) {
        bancos.comandoPsql = QStringLiteral("PGPASSWORD='%1' psql -X -q -h %2 -p %3 -U %4 -d %5")
                                 .arg(AmbienteTeste::pgSenha(), AmbienteTeste::pgHost())
                                 .arg(AmbienteTeste::pgPorta())
                                 .arg(AmbienteTeste::pgUsuario(), AmbienteTeste::pgBanco())
                                 .toStdString();
    }
    return bancos;
}

// --- ODBC -------------------------------------------------------------------

// The sections of an odbc.ini file, by data source name, text included.
QMap<QString, QString> leSecoesOdbc(const QString& caminho)
{
    QMap<QString, QString> secoes;
    QFile arquivo(caminho);
    if (caminho.isEmpty() || !arquivo.open(QIODevice::ReadOnly | QIODevice::Text))
        return secoes;
    static const QRegularExpression cabecalho(QStringLiteral("^\\s*\\[([^\\]]+)\\]"));
    QString atual;
    for (const QString& linha : QString::fromUtf8(arquivo.readAll()).split('\n')) {
        const auto encontrado = cabecalho.match(linha);
        if (encontrado.hasMatch())
            atual = encontrado.captured(1);
        if (!atual.isEmpty())
            secoes[atual] += linha + '\n';
    }
    return secoes;
}

QString secaoOdbc(const QString& dsn, const QString& bancoPostgres)
{
    return QStringLiteral("[%1]\nDescription = Banco de teste do Quelix\nDriver = %2\nServername = %3\n"
                          "Port = %4\nDatabase = %5\nUsername = %6\nPassword = %7\n\n")
        .arg(dsn, QLatin1String(kPsqlodbc), AmbienteTeste::pgHost())
        .arg(AmbienteTeste::pgPorta())
        .arg(bancoPostgres, AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha());
}

QString secaoOdbcSqlite(const QString& dsn, const QString& arquivo)
{
    return QStringLiteral("[%1]\nDescription = Banco de teste do Quelix (SQLite)\nDriver = %2\nDatabase = %3\n\n")
        .arg(dsn, QLatin1String(kSqliteOdbc), arquivo);
}

// Adds (or replaces) one data source in the run's private odbc.ini, keeping
// those written before, and points ODBCINI at it.
QString gravaDsnOdbc(const QString& dsn, const QString& secao)
{
    const QString caminho = QDir(AmbienteTeste::pastaTemporaria()).filePath("odbc.ini");
    QMap<QString, QString> secoes = leSecoesOdbc(caminho);
    const QString anterior = QString::fromLocal8Bit(qgetenv("ODBCINI"));
    if (secoes.isEmpty() && anterior != caminho)
        secoes = leSecoesOdbc(anterior);
    secoes[dsn] = secao;

    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        throw std::runtime_error("não foi possível gravar " + caminho.toStdString());
    QTextStream saida(&arquivo);
    for (const QString& s : std::as_const(secoes))
        saida << s;
    saida.flush();
    arquivo.close();
    qputenv("ODBCINI", QFile::encodeName(caminho));
    return dsn;
}

} // namespace

QSqlDatabase abreFirebirdDireto(const QString& conexao, const QString& caminho)
{
    QSqlDatabase banco = QSqlDatabase::addDatabase(new DriverFirebird, conexao);
    banco.setDatabaseName(caminho);
    banco.setUserName(QStringLiteral("SYSDBA"));
    if (!banco.open())
        throw std::runtime_error(banco.lastError().text().toStdString());
    static_cast<DriverFirebird*>(banco.driver())->beginTransaction();
    return banco;
}

QString criaFirebirdLocal(const QString& nome, const QStringList& scripts)
{
    const QString caminho = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico(nome) + ".fdb");
    return criaFirebird(caminho, QString(), scripts);
}

QString criaFirebirdServidor(const QString& nome, const QStringList& scripts)
{
    const QString caminho = QDir(AmbienteTeste::fbPastaServidor()).filePath(AmbienteTeste::nomeUnico(nome) + ".fdb");
    const QString credenciais = " USER " + literalSql(AmbienteTeste::fbUsuario())
                              + " PASSWORD " + literalSql(AmbienteTeste::fbSenha());
    arquivosNoServidor().caminhos.push_back(caminho.toStdString());
    return criaFirebird(AmbienteTeste::fbHost() + ':' + caminho, credenciais, scripts);
}

namespace {

QString novoBancoPostgres(const QString& nome)
{
    const QString banco = AmbienteTeste::nomeUnico(nome).toLower();
    executa("psql", argumentosPsql(AmbienteTeste::pgBanco()), "CREATE DATABASE " + banco + ";\n",
            ambientePostgres());
    bancosPostgres().nomes.push_back(banco.toStdString());
    return banco;
}

} // namespace

QString criaPostgres(const QString& nome, const QStringList& scripts)
{
    const QString banco = novoBancoPostgres(nome);
    QStringList argumentos = argumentosPsql(banco);
    for (const QString& script : scripts)
        argumentos << "-f" << caminhoScript(script);
    executa("psql", argumentos, QString(), ambientePostgres());
    return banco;
}

QString criaPostgresNoEsquema(const QString& nome, const QString& esquema, const QStringList& scripts)
{
    const QString banco = novoBancoPostgres(nome);
    QString entrada = "CREATE SCHEMA " + esquema + ";\nSET search_path TO " + esquema + ";\n";
    for (const QString& script : scripts)
        entrada += "\\i " + literalSql(caminhoScript(script)) + "\n";
    executa("psql", argumentosPsql(banco), entrada, ambientePostgres());
    return banco;
}

QString criaDsnOdbc(const QString& dsn, const QString& bancoPostgres)
{
    return gravaDsnOdbc(dsn, secaoOdbc(dsn, bancoPostgres));
}

QString criaDsnOdbcSqlite(const QString& dsn, const QString& arquivo)
{
    return gravaDsnOdbc(dsn, secaoOdbcSqlite(dsn, arquivo));
}

QString criaSqliteOdbc(const QString& dsn, const QStringList& scripts)
{
    const QString arquivo = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico(dsn) + ".sqlite");
    const QString conexao = AmbienteTeste::nomeUnico("sqlite");
    {
        QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conexao);
        banco.setDatabaseName(arquivo);
        if (!banco.open())
            throw std::runtime_error("SQLite: " + banco.lastError().text().toStdString());
        for (const QString& script : scripts)
            for (const QString& comando : leScript(script).split(';'))
                if (!comando.trimmed().isEmpty() && !comentarioApenas(comando)) {
                    QSqlQuery q(banco);
                    if (!q.exec(comando))
                        throw std::runtime_error("SQLite: " + q.lastError().text().toStdString() + " em "
                                                 + comando.toStdString());
                }
        banco.close();
    }
    QSqlDatabase::removeDatabase(conexao);
    criaDsnOdbcSqlite(dsn, arquivo);
    return arquivo;
}

void executaSqlFirebird(const QString& banco, const QString& sql)
{
    QString comandos = sql.trimmed();
    if (!comandos.endsWith(';'))
        comandos += ';';
    executa("isql-fb", argumentosIsql(banco) << banco, comandos + "\nCOMMIT;\n");
}

void executaSqlPostgres(const QString& banco, const QString& sql)
{
    executa("psql", argumentosPsql(banco), sql + "\n", ambientePostgres());
}

} // namespace BancoTeste
