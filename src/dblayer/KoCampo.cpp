#include "dblayer/KoCampo.h"

#include "base/Erros.h"
#include "dblayer/Localidade.h"

namespace {

// An exact decimal text ("12.500") with the fewest digits ("12,5" with a
// comma as the decimal separator).
QString DecimalExato(QString texto)
{
    if (texto.contains(u'.')) {
        while (texto.endsWith(u'0'))
            texto.chop(1);
        if (texto.endsWith(u'.'))
            texto.chop(1);
    }
    if (texto == QLatin1String("-0"))
        texto = QStringLiteral("0");
    texto.replace(u'.', Localidade::SeparadorDecimal());
    return texto;
}

EConvertError NaoEhNumero(const QString& texto)
{
    return EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(texto));
}

} // namespace

QString TKoField::AsString() const
{
    if (FValor.isNull())
        return {};
    switch (FValor.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return Localidade::Numero(FValor.toDouble());
    case QMetaType::QDate:
        return Localidade::Data(FValor.toDate());
    case QMetaType::QTime:
        return Localidade::Hora(FValor.toTime());
    case QMetaType::QDateTime:
        return Localidade::DataHora(FValor.toDateTime());
    case QMetaType::Bool:
        return FValor.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        break;
    }
    if (FDataType == TKoTipoDado::dtBCD || FDataType == TKoTipoDado::dtFmtBCD)
        return DecimalExato(FValor.toString());
    return FValor.toString();
}

qint64 TKoField::AsInteger() const
{
    if (FValor.isNull())
        return 0;
    switch (FValor.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return qRound64(FValor.toDouble());
    case QMetaType::QString: {
        const QString texto = FValor.toString().trimmed();
        bool ok = false;
        const qint64 v = texto.toLongLong(&ok);
        if (ok)
            return v;
        const double d = texto.toDouble(&ok);
        if (ok && (FDataType == TKoTipoDado::dtBCD || FDataType == TKoTipoDado::dtFmtBCD))
            return qRound64(d);
        throw NaoEhNumero(FValor.toString());
    }
    default:
        return FValor.toLongLong();
    }
}

double TKoField::AsFloat() const
{
    if (FValor.isNull())
        return 0;
    if (FValor.typeId() == QMetaType::QString) {
        bool ok = false;
        QString texto = FValor.toString().trimmed();
        double v = texto.toDouble(&ok);
        if (!ok)
            v = texto.replace(Localidade::SeparadorDecimal(), u'.').toDouble(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(FValor.toString()));
        return v;
    }
    return FValor.toDouble();
}

QDateTime TKoField::AsDateTime() const
{
    if (FValor.isNull())
        return {};
    switch (FValor.typeId()) {
    case QMetaType::QDate:
        return QDateTime(FValor.toDate(), QTime(0, 0));
    case QMetaType::QTime:
        // A time alone stands on the zero date, as it always has.
        return QDateTime(QDate(1899, 12, 30), FValor.toTime());
    default:
        return FValor.toDateTime();
    }
}

QDate TKoField::AsDate() const { return AsDateTime().date(); }

QDate TKoParam::AsDate() const
{
    if (FValor.typeId() == QMetaType::QDateTime)
        return FValor.toDateTime().date();
    return FValor.toDate();
}
