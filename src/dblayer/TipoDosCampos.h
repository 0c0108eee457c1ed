#pragma once

#include "dblayer/MapRules.h"

#include <QSqlField>
#include <QVariant>

// The type a result column gets: what the driver reports, then the
// connection's mapping rules.
TKoTipoDado TipoDoCampo(const QSqlField& campo, const QString& driverId,
                        const QList<TKoMapRule>& regras);

// A value read from the driver, converted to the column's mapped type.
QVariant ValorNoTipo(const QVariant& valor, TKoTipoDado tipo);
