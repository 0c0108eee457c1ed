#include "monitor/ProtocoloParaDriver.h"

namespace {

QString MaiusculasAscii(const QString& texto)
{
    QString resultado = texto;
    for (QChar& c : resultado)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    return resultado;
}

} // namespace

QString ProtocoloParaDriver(const QString& protocolo)
{
    const QString u = MaiusculasAscii(protocolo);
    if (u.contains(QLatin1String("ORACLE")))
        return QStringLiteral("Ora");
    if (u.contains(QLatin1String("MSSQL")))
        return QStringLiteral("MSSQL");
    if (u == QLatin1String("POSTGRES"))
        return QStringLiteral("PG");
    return QStringLiteral("FB");
}
