#pragma once

#include <QString>

// String aggregate LIST[expression, 'separator', order expression]: LIST on
// Firebird, STRING_AGG on PostgreSQL, an ordered XMLAGG without repeated
// neighbours on Oracle (the only one that uses the order); on any other
// driver the construct disappears.
QString ConverteList(const QString& texto, const QString& driverId);
