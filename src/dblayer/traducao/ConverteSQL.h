#pragma once

#include "dblayer/traducao/ExpandeAsterisco.h"

#include <QString>

// The translation cache of a query: the source text of its last translation,
// the text that translation produced, and the driver it was made for.
struct TCacheTraducao {
    QString FSQLOriginal;
    QString FSQLAnterior;
    QString FDriverId;
};

// The whole step a query runs before every execution and cursor opening:
// cache check, pipeline, cache update. Returns the text to send.
// - The same source text again (exactly, case included) reuses the cached
//   translation.
// - The cached translation itself, presented again (a query executed twice
//   without its text being set anew), is sent as it is: translating a
//   translated text again would, among others, swap Oracle dates back.
// - A failed translation leaves the cache as it was, so it never hands out
//   the translation of another statement.
// Errors of the steps (EConvertError from HORA[, the dictionary lookup's
// own) propagate.
QString ConverteSQL(const QString& texto, const QString& driverId, TCacheTraducao& cache,
                    const ListaColunasFn& colunas);

// The pipeline alone, without the cache. The driver id picks the branches
// by containing "Ora" or "PG"; the bracket constructs and dates compare it
// exactly ("FB", "Ora", "PG"; anything else gets the common steps only).
QString TraduzSQL(const QString& texto, const QString& driverId, const ListaColunasFn& colunas);
