#include "dblayer/MapRules.h"

namespace {

bool Dentro(int valor, int minimo, int maximo)
{
    return (minimo < 0 || valor >= minimo) && (maximo < 0 || valor <= maximo);
}

TKoMapRule Regra(TKoTipoDado origem, TKoTipoDado destino,
                 int precMin = -1, int precMax = -1, int escMin = -1, int escMax = -1,
                 int tamMin = -1, int tamMax = -1)
{
    return TKoMapRule{origem, precMin, precMax, escMin, escMax, tamMin, tamMax, destino};
}

} // namespace

bool TKoMapRule::Aplica(TKoTipoDado tipo, int precisao, int escala, int tamanho) const
{
    return tipo == SourceDataType && Dentro(precisao, PrecMin, PrecMax)
        && Dentro(escala, ScaleMin, ScaleMax) && Dentro(tamanho, SizeMin, SizeMax);
}

QList<TKoMapRule> MapRulesDoDriver(const QString& driverId)
{
    using T = TKoTipoDado;
    if (driverId == QLatin1String("FB"))
        return {Regra(T::dtBCD, T::dtDouble, 2, 21, 2, 15),
                Regra(T::dtFmtBCD, T::dtDouble, 2, 21, 2, 15),
                Regra(T::dtDateTimeStamp, T::dtTime)};
    if (driverId == QLatin1String("Ora"))
        return {Regra(T::dtBCD, T::dtCurrency, 0, 18, 2, 4, 2, 8),
                Regra(T::dtFmtBCD, T::dtDouble, 0, 38, 0, 38, 2, 8),
                Regra(T::dtBCD, T::dtInt32, 0, 9, 0, 0, 0, 0),
                Regra(T::dtDateTime, T::dtDate),
                Regra(T::dtDateTimeStamp, T::dtTime),
                Regra(T::dtWideHMemo, T::dtHMemo)};
    if (driverId == QLatin1String("PG"))
        return {Regra(T::dtBCD, T::dtCurrency),
                Regra(T::dtFmtBCD, T::dtDouble),
                Regra(T::dtDateTime, T::dtDate),
                Regra(T::dtDateTimeStamp, T::dtTime),
                Regra(T::dtWideMemo, T::dtMemo),
                Regra(T::dtWideHMemo, T::dtHMemo),
                Regra(T::dtWideString, T::dtAnsiString)};
    return {};
}

TKoTipoDado AplicaMapRules(const QList<TKoMapRule>& regras, TKoTipoDado tipo,
                           int precisao, int escala, int tamanho)
{
    for (const TKoMapRule& regra : regras)
        if (regra.Aplica(tipo, precisao, escala, tamanho))
            return regra.TargetDataType;
    return tipo;
}
