#pragma once

#include <QString>

// The last step of the translation: date literals and the date functions on
// every driver but Firebird, then KO_BLOB on all drivers.
QString ConverteDatas(const QString& texto, const QString& driverId);
