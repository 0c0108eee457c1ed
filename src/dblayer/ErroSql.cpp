#include "dblayer/ErroSql.h"

QString TextoDoErroSql(const QSqlError& erro, const QString& seVazio)
{
    QString texto = erro.databaseText().trimmed();
    if (texto.isEmpty())
        texto = erro.text().trimmed();
    if (texto.isEmpty())
        return seVazio;
    texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texto.replace(u'\n', QLatin1String("\r\n"));
    return texto;
}
