#pragma once

#include <QDate>
#include <QStringList>

// Removes the daily logs in Logs/ beside the executable (named
// "<machine>-yyyyMMdd.log", as GravaLinhaLog writes them) dated more than
// `dias` days before `hoje`; other files are left alone. Returns how many
// went; each one that could not be removed is added to `falhas` with why.
int RemoveLogsAntigos(int dias, const QDate& hoje, QStringList& falhas);
