#include "integracao/ProtocoloParaDriver.h"

#include "base/TextoAscii.h"

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
