#pragma once

#include <QString>

// Date literals of the source dialect are written month first, 'MM/DD/YYYY'
// or 'MM/DD/YYYY HH:NN:SS'. Oracle gets them day first (DD/MM/YYYY, day and
// month with two digits), PostgreSQL as YYYY-M-D; times as H:N:S without
// leading zeros. A literal that names no real date or time stays. While
// the step runs a rewritten Oracle date carries the marker "@/@" after its
// day, so that it is not taken for a month-first date again.
QString ConverteLiteraisData(const QString& texto, const QString& driverId);
