#pragma once

#include <QList>
#include <QString>

// Data types as the connection reports result columns.
enum class TKoTipoDado {
    dtUnknown,
    dtBoolean,
    dtInt16,
    dtInt32,
    dtInt64,
    dtDouble,
    dtCurrency,
    dtBCD,
    dtFmtBCD,
    dtDate,
    dtTime,
    dtDateTime,
    dtDateTimeStamp,
    dtAnsiString,
    dtWideString,
    dtMemo,
    dtWideMemo,
    dtHMemo,
    dtWideHMemo,
    dtBlob,
};

// Converts a column that the driver reports with the source type into the
// target type, when its precision, scale and size fall within the ranges
// (-1 leaves a bound open).
struct TKoMapRule {
    TKoTipoDado SourceDataType;
    int PrecMin = -1, PrecMax = -1;
    int ScaleMin = -1, ScaleMax = -1;
    int SizeMin = -1, SizeMax = -1;
    TKoTipoDado TargetDataType;

    bool Aplica(TKoTipoDado tipo, int precisao, int escala, int tamanho) const;
};

// The fixed rule set the connection installs for a driver id; empty for
// the ids without rules of their own.
QList<TKoMapRule> MapRulesDoDriver(const QString& driverId);

// The type a column ends up with after the rules.
TKoTipoDado AplicaMapRules(const QList<TKoMapRule>& regras, TKoTipoDado tipo,
                           int precisao, int escala, int tamanho);
