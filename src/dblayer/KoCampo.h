#pragma once

#include "dblayer/MapRules.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

// One column of the current row of an open query. The value is held as the
// connection's mapping rules made it: text, whole number, floating point,
// currency (4 decimals), exact decimal text, date, time or date-time.
class TKoField {
public:
    TKoField(const QString& nome, TKoTipoDado tipo) : FFieldName(nome), FDataType(tipo) {}

    const QString& FieldName() const { return FFieldName; }

    bool IsNull() const { return FValor.isNull(); }
    const QVariant& Value() const { return FValor; }
    void DefineValor(const QVariant& valor) { FValor = valor; }

    // The text of a column: whole numbers in decimal, other numbers with the
    // fewest digits up to 15 significant ones and the locale's decimal
    // separator, dates and times in the locale's formats, NULL as empty.
    QString AsString() const;
    qint64 AsInteger() const;   // raises EConvertError for a text that is not a number
    double AsFloat() const;     // likewise
    QDateTime AsDateTime() const;
    QDate AsDate() const;

private:
    QString FFieldName;
    TKoTipoDado FDataType;
    QVariant FValor;
};

// A named parameter of a query's SQL text (":NOME").
class TKoParam {
public:
    void SetAsString(const QString& v) { FValor = v; }
    void SetAsInteger(qint64 v) { FValor = v; }
    void SetAsFloat(double v) { FValor = v; }
    void SetAsDate(const QDate& v) { FValor = v; }
    void SetAsTime(const QTime& v) { FValor = v; }
    void SetAsDateTime(const QDateTime& v) { FValor = v; }
    void SetValue(const QVariant& v) { FValor = v; }
    void Clear() { FValor = QVariant(); }

    QDate AsDate() const;
    QString AsString() const { return FValor.toString(); }
    const QVariant& Value() const { return FValor; }

private:
    QVariant FValor;
};
