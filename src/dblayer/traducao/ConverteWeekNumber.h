#pragma once

#include <QString>

// ISO week number WEEK_NUMBER[expression]: EXTRACT(WEEK FROM ...) on
// Firebird, TO_CHAR(...,'IW') elsewhere.
QString ConverteWeekNumber(const QString& texto, const QString& driverId);
