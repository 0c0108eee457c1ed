#include "dblayer/firebird/StatusFirebird.h"

#include <QStringList>

namespace StatusFirebird {

QString texto(const ISC_STATUS* status)
{
    QStringList linhas;
    const ISC_STATUS* cursor = status;
    char linha[1024];
    while (fb_interpret(linha, sizeof linha, &cursor) > 0)
        linhas << QString::fromUtf8(linha);
    return linhas.join(QLatin1Char('\n'));
}

ISC_LONG codigo(const ISC_STATUS* status)
{
    if (!falhou(status))
        return 0;
    return static_cast<ISC_LONG>(status[1]);
}

QSqlError erro(const ISC_STATUS* status, QSqlError::ErrorType tipo)
{
    // The server's text goes in databaseText and driverText stays empty, so
    // that QSqlError::text() is exactly the server's text.
    return QSqlError(QString(), texto(status), tipo, QString::number(codigo(status)));
}

QSqlError erroDoDriver(const QString& texto, QSqlError::ErrorType tipo)
{
    return QSqlError(texto, QString(), tipo);
}

} // namespace StatusFirebird
