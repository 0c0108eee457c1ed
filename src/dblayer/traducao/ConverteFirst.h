#pragma once

#include <QString>

// Row limit FIRST[(inner select) alias, 'mode', n]: mode 'E' limits around
// the inner select, 'I' inside it. Firebird gets SELECT FIRST n, Oracle
// ROWNUM <= n, PostgreSQL LIMIT n; any other driver the inner select alone.
QString ConverteFirst(const QString& texto, const QString& driverId);
