#include "dblayer/ConexaoQt.h"

#include "base/Erros.h"
#include "dblayer/LimitesExecucao.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <sql.h>
#include <sqlext.h>

namespace ConexaoQt {

namespace {

QString Valor(const QStringList& params, const QString& chave)
{
    const QString prefixo = chave + u'=';
    for (const QString& p : params)
        if (p.startsWith(prefixo, Qt::CaseInsensitive))
            return p.mid(prefixo.size());
    return {};
}

bool TemChave(const QStringList& params, const QString& chave)
{
    const QString prefixo = chave + u'=';
    for (const QString& p : params)
        if (p.startsWith(prefixo, Qt::CaseInsensitive))
            return true;
    return false;
}

QString DriverDoId(const QString& driverId)
{
    if (driverId == QLatin1String("FB"))
        return QStringLiteral("FB");
    if (driverId == QLatin1String("PG"))
        return QStringLiteral("QPSQL");
    if (driverId == QLatin1String("MSSQL"))
        return QStringLiteral("QODBC");
    if (driverId == QLatin1String("SQLite"))
        return QStringLiteral("QSQLITE");
    if (driverId == QLatin1String("Ora"))
        return QStringLiteral("QOCI");
    throw EDatabaseError(QStringLiteral("Driver de banco desconhecido: \"%1\"").arg(driverId));
}

// Parameters that are not part of Qt's connection fields go to the driver
// as its connect options.
QString OpcoesDoDriver(const QStringList& params)
{
    static const QStringList campos = {QStringLiteral("Server"), QStringLiteral("Database"),
                                       QStringLiteral("User_name"), QStringLiteral("Password"),
                                       QStringLiteral("Port")};
    QStringList opcoes;
    for (const QString& p : params)
        if (!campos.contains(p.section(u'=', 0, 0), Qt::CaseInsensitive))
            opcoes << p;
    return opcoes.join(u';');
}

// A value of an ODBC connection string: in braces when it holds a character
// that would end or split the attribute, a closing brace doubled inside.
QString ValorOdbc(QString valor)
{
    static const QString especiais = QStringLiteral(";{}=[](),?*!@");
    bool precisa = valor != valor.trimmed();
    for (QChar c : especiais)
        precisa = precisa || valor.contains(c);
    if (!precisa)
        return valor;
    return u'{' + valor.replace(u'}', QLatin1String("}}")) + u'}';
}

int SegundosAcima(int milissegundos) { return (milissegundos + 999) / 1000; }

// The ODBC driver a data source is set up with (its "Driver" in odbc.ini);
// empty when the data source is not known.
QString DriverDaFonte(const QString& fonte)
{
    SQLHENV ambiente = nullptr;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &ambiente)))
        return {};
    SQLSetEnvAttr(ambiente, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    QString driver;
    SQLCHAR nome[SQL_MAX_DSN_LENGTH + 1];
    SQLCHAR descricao[256];
    SQLSMALLINT tamanhoNome = 0;
    SQLSMALLINT tamanhoDescricao = 0;
    SQLUSMALLINT direcao = SQL_FETCH_FIRST;
    while (SQL_SUCCEEDED(SQLDataSources(ambiente, direcao, nome, sizeof nome, &tamanhoNome, descricao,
                                        sizeof descricao, &tamanhoDescricao))) {
        direcao = SQL_FETCH_NEXT;
        if (QString::fromUtf8(reinterpret_cast<const char*>(nome)).compare(fonte, Qt::CaseInsensitive) == 0) {
            driver = QString::fromUtf8(reinterpret_cast<const char*>(descricao));
            break;
        }
    }
    SQLFreeHandle(SQL_HANDLE_ENV, ambiente);
    return driver;
}

// What Qt's ODBC driver gets for a data source. The SQLite driver waits on
// another process's lock in a loop of its own, by its Timeout (100 s unless
// set), which no query timeout reaches: the time limit goes there. It counts
// that wait once while preparing and once while running a statement, so it
// gets half the limit. (Qt passes a text naming the driver through as the
// connection string; the data source, named first, still supplies the rest.)
QString TextoDaFonte(const QString& fonte, const QString& driverId)
{
    const QString driver = DriverDaFonte(fonte);
    if (!driver.contains(QLatin1String("SQLite"), Qt::CaseInsensitive))
        return fonte;
    const TLimitesExecucao& limites = LimitesExecucao();
    const int limite = driverId == QLatin1String("FB") ? limites.FirebirdMs : limites.OutrosMs;
    return QStringLiteral("DSN=%1;DRIVER=%2;Timeout=%3")
        .arg(ValorOdbc(fonte), u'{' + QString(driver).replace(u'}', QLatin1String("}}")) + u'}')
        .arg(qMax(1, (limite + 1) / 2));
}

// Every wait of the connection itself bounded: the opening, and on
// PostgreSQL a server host that vanished (data it never acknowledges, a
// link kept idle), which is what the liveness check is there to find.
QString OpcoesDeEspera(const QString& driver)
{
    const TLimitesExecucao& limites = LimitesExecucao();
    if (driver == QLatin1String("QPSQL"))
        return QStringLiteral("connect_timeout=%1;keepalives=1;keepalives_idle=30;keepalives_interval=10;"
                              "keepalives_count=3;tcp_user_timeout=%2")
            .arg(SegundosAcima(limites.OutrosMs))
            .arg(limites.ConfereConexaoMs);
    if (driver == QLatin1String("QODBC"))
        return QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1").arg(SegundosAcima(limites.OutrosMs));
    return {};
}

} // namespace

QString DriverOdbcPadrao()
{
#ifdef Q_OS_WIN
    return QStringLiteral("SQL Server");
#else
    // FreeTDS as the tdsodbc package registers it in odbcinst.ini.
    return QStringLiteral("FreeTDS");
#endif
}

QString TextoConexaoMssql(const QStringList& params, const QString& driverOdbc)
{
    const QString driver = driverOdbc.trimmed().isEmpty() ? DriverOdbcPadrao() : driverOdbc.trimmed();
    const QString porta = TemChave(params, QStringLiteral("Port")) ? Valor(params, QStringLiteral("Port"))
                                                                   : QStringLiteral("1433");
    QStringList partes{QStringLiteral("DRIVER={") + QString(driver).replace(u'}', QLatin1String("}}")) + u'}',
                       QStringLiteral("SERVER=") + ValorOdbc(Valor(params, QStringLiteral("Server"))),
                       QStringLiteral("PORT=") + ValorOdbc(porta)};
    const QString banco = Valor(params, QStringLiteral("Database"));
    if (!banco.isEmpty())
        partes << QStringLiteral("DATABASE=") + ValorOdbc(banco);
    if (TemChave(params, QStringLiteral("User_name")))
        partes << QStringLiteral("UID=") + ValorOdbc(Valor(params, QStringLiteral("User_name")));
    if (TemChave(params, QStringLiteral("Password")))
        partes << QStringLiteral("PWD=") + ValorOdbc(Valor(params, QStringLiteral("Password")));
    return partes.join(u';') + u';';
}

QString FonteOdbc(const QString& database)
{
    if (!database.trimmed().startsWith(QLatin1String("Provider=MSDASQL"), Qt::CaseInsensitive))
        return {};
    const QString chave = QStringLiteral("Data Source=");
    const qsizetype p = database.indexOf(chave, 0, Qt::CaseInsensitive);
    if (p < 0)
        return {};
    return database.mid(p + chave.size()).section(u';', 0, 0).trimmed();
}

QString DriverQt(const QString& driverId, const QString& database)
{
    const QString driver = FonteOdbc(database).isEmpty() ? DriverDoId(driverId) : QStringLiteral("QODBC");
    if (driver != QLatin1String("FB") && !QSqlDatabase::isDriverAvailable(driver))
        throw EDatabaseError(QStringLiteral("O driver %1 do Qt SQL, necessário para o driver \"%2\", "
                                            "não está instalado nesta máquina")
                                 .arg(driver, driverId));
    return driver;
}

QSqlDatabase Cria(const QString& nome, const QString& driverId, const QStringList& params,
                  const QString& driverOdbc)
{
    const QString database = Valor(params, QStringLiteral("Database"));
    const QString driver = DriverQt(driverId, database);
    QSqlDatabase conexao = driver == QLatin1String("FB")
        ? QSqlDatabase::addDatabase(new DriverFirebird, nome)
        : QSqlDatabase::addDatabase(driver, nome);

    const QString fonte = FonteOdbc(database);
    if (fonte.isEmpty() && driverId == QLatin1String("MSSQL")) {
        // Qt's ODBC driver would take the database as a data source name and
        // ignore host and port: the whole connection goes in the string.
        conexao.setDatabaseName(TextoConexaoMssql(params, driverOdbc));
        conexao.setConnectOptions(OpcoesDeEspera(driver));
        return conexao;
    }
    conexao.setDatabaseName(fonte.isEmpty() ? database : TextoDaFonte(fonte, driverId));
    if (fonte.isEmpty())
        conexao.setHostName(Valor(params, QStringLiteral("Server")));
    conexao.setUserName(Valor(params, QStringLiteral("User_name")));
    conexao.setPassword(Valor(params, QStringLiteral("Password")));
    if (TemChave(params, QStringLiteral("Port")))
        conexao.setPort(Valor(params, QStringLiteral("Port")).toInt());
    conexao.setConnectOptions(driver == QLatin1String("FB") ? OpcoesDoDriver(params) : OpcoesDeEspera(driver));
    return conexao;
}

} // namespace ConexaoQt
