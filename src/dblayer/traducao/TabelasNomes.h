#pragma once

#include <QString>

// Name mappings, each row one replace (every occurrence, any case), applied in order.

// Legacy function names that every server now has built in (all drivers,
// applied when the text mentions UDF_).
QString AplicaTabelaA(const QString& texto);

// Firebird built-ins that Oracle spells otherwise.
QString AplicaTabelaB(const QString& texto);

// The legacy functions that Oracle and PostgreSQL both need rewritten;
// 'oracle' picks the spellings of NVL and substr.
QString ConverteUdfRestantes(const QString& texto, bool oracle);
