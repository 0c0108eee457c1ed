#pragma once

#include <QString>

// The driver id of a connection for the protocol name of QX.ini: "Ora" when
// it contains ORACLE, "MSSQL" when it contains MSSQL, "PG" for exactly
// POSTGRES, "FB" for anything else (the empty text included). Names are
// compared in capitals, ASCII letters only.
QString ProtocoloParaDriver(const QString& protocolo);
