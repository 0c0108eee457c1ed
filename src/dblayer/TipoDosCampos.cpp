#include "dblayer/TipoDosCampos.h"

#include <QDateTime>

#include <cmath>

namespace {

constexpr int kOidNumericPostgres = 1700;
constexpr int kPrecisaoMaximaBCD = 18;

struct TipoReportado {
    TKoTipoDado tipo;
    int precisao = -1;
    int escala = -1;
    int tamanho = -1;
};

// A NUMERIC or DECIMAL column: the driver reports it as a double with its
// decimals (Firebird, ODBC), or by its type id (PostgreSQL, whose numeric
// may have no declared precision at all).
bool EhDecimal(const QSqlField& campo, const QString& driverId)
{
    if (campo.metaType().id() != QMetaType::Double)
        return false;
    if (driverId == QLatin1String("PG"))
        return campo.typeID() == kOidNumericPostgres;
    return campo.precision() > 0;
}

TipoReportado Reportado(const QSqlField& campo, const QString& driverId)
{
    if (EhDecimal(campo, driverId)) {
        const int digitos = int(campo.length());
        const int decimais = qMax(0, campo.precision());
        const bool pequeno = digitos > 0 && digitos <= kPrecisaoMaximaBCD;
        // The size of a decimal field is its number of decimals, as the
        // mapping rules read it (Oracle's money rule: 2 to 8).
        return {pequeno ? TKoTipoDado::dtBCD : TKoTipoDado::dtFmtBCD, digitos, decimais, decimais};
    }
    switch (campo.metaType().id()) {
    case QMetaType::Bool:
        return {TKoTipoDado::dtBoolean};
    case QMetaType::Short:
    case QMetaType::UShort:
        return {TKoTipoDado::dtInt16};
    case QMetaType::Int:
    case QMetaType::UInt:
        return {TKoTipoDado::dtInt32};
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return {TKoTipoDado::dtInt64};
    case QMetaType::Double:
    case QMetaType::Float:
        return {TKoTipoDado::dtDouble};
    case QMetaType::QDate:
        return {TKoTipoDado::dtDate};
    case QMetaType::QTime:
        return {TKoTipoDado::dtTime};
    case QMetaType::QDateTime:
        // An Oracle DATE holds a date and a time without fractions of a
        // second: the mapping rules know it as a date-time, and a TIMESTAMP
        // (fractions of a second) as a time stamp. The drivers report both
        // as QDateTime; the fractional precision tells them apart.
        if (driverId == QLatin1String("Ora") && campo.precision() <= 0)
            return {TKoTipoDado::dtDateTime};
        return {TKoTipoDado::dtDateTimeStamp};
    case QMetaType::QByteArray:
        return {TKoTipoDado::dtBlob};
    case QMetaType::QString:
        return {TKoTipoDado::dtWideString, -1, -1, int(campo.length())};
    default:
        return {TKoTipoDado::dtUnknown};
    }
}

double ParaDouble(const QVariant& valor)
{
    return valor.typeId() == QMetaType::QString ? valor.toString().toDouble() : valor.toDouble();
}

} // namespace

TKoTipoDado TipoDoCampo(const QSqlField& campo, const QString& driverId,
                        const QList<TKoMapRule>& regras)
{
    const TipoReportado r = Reportado(campo, driverId);
    return AplicaMapRules(regras, r.tipo, r.precisao, r.escala, r.tamanho);
}

QVariant ValorNoTipo(const QVariant& valor, TKoTipoDado tipo)
{
    if (valor.isNull())
        return QVariant();
    switch (tipo) {
    case TKoTipoDado::dtDouble:
        return ParaDouble(valor);
    case TKoTipoDado::dtCurrency:
        // Fixed point with four decimals.
        return std::round(ParaDouble(valor) * 10000.0) / 10000.0;
    case TKoTipoDado::dtInt16:
    case TKoTipoDado::dtInt32:
    case TKoTipoDado::dtInt64:
        return valor.typeId() == QMetaType::QString ? QVariant(qint64(std::llround(ParaDouble(valor))))
                                                    : QVariant(valor.toLongLong());
    case TKoTipoDado::dtBCD:
    case TKoTipoDado::dtFmtBCD:
        return valor.toString();  // the exact decimal text
    case TKoTipoDado::dtDate:
        return valor.typeId() == QMetaType::QDateTime ? QVariant(valor.toDateTime().date()) : valor;
    case TKoTipoDado::dtTime:
        return valor.typeId() == QMetaType::QDateTime ? QVariant(valor.toDateTime().time()) : valor;
    default:
        return valor;
    }
}
