#pragma once

#include <QString>

// Rewrites of single calls of the ERP's legacy function library for Oracle
// and PostgreSQL. Each rewrites the first call of its name only.

// UDF_MINUTESBETWEEN(A, B) -> (extract(MINUTE FROM A -  B )).
QString ConverteMinutesBetween(const QString& texto);

// UDF_NVL(X) -> abertura + X + ",0)", abertura being "NVL(" or "COALESCE(".
QString ConverteNvl(const QString& texto, const QString& abertura);

// nome(X) -> (TO_CHAR((X),'formato')).
QString ConverteToChar(const QString& texto, const QString& nome, const QString& formato);
