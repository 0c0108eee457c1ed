#include "dblayer/ConexaoQt.h"

#include "base/Erros.h"
#include "dblayer/firebird/DriverFirebird.h"

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

} // namespace

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

QSqlDatabase Cria(const QString& nome, const QString& driverId, const QStringList& params)
{
    const QString database = Valor(params, QStringLiteral("Database"));
    const QString driver = DriverQt(driverId, database);
    QSqlDatabase conexao = driver == QLatin1String("FB")
        ? QSqlDatabase::addDatabase(new DriverFirebird, nome)
        : QSqlDatabase::addDatabase(driver, nome);

    const QString fonte = FonteOdbc(database);
    conexao.setDatabaseName(fonte.isEmpty() ? database : fonte);
    if (fonte.isEmpty())
        conexao.setHostName(Valor(params, QStringLiteral("Server")));
    conexao.setUserName(Valor(params, QStringLiteral("User_name")));
    conexao.setPassword(Valor(params, QStringLiteral("Password")));
    if (TemChave(params, QStringLiteral("Port")))
        conexao.setPort(Valor(params, QStringLiteral("Port")).toInt());
    if (driver == QLatin1String("FB"))
        conexao.setConnectOptions(OpcoesDoDriver(params));
    return conexao;
}

} // namespace ConexaoQt
