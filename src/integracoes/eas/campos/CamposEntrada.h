#pragma once

#include <QChar>
#include <QString>

// What the inbound passes read from the fields of a kitchen event (each
// field as CampoHost gives it).

// The lot of events 80, 81 and 92 (field 1): the integer value of its last
// seven characters (of the whole field when shorter), 0 when they are not
// an integer. Written back in decimal without leading zeros.
qint64 NumeroFalHost(const QString& campo);

// The document number of a consumption (field 1): characters 4 to 10.
QString DocumentoHost(const QString& campo);

// The machine of event 95 (field 1): the three characters after the first
// "X", or the first three when there is no "X".
QString MaquinaHost(const QString& campo);

// The operator of event 81 (field 18): its last four characters.
QString FuncionarioHost(const QString& campo);

// The elapsed time of event 81 (field 20, minutes) as "hh:mm:ss": blank is
// 00:00:00, a text that is not an integer counts as 0 minutes; hours are not
// capped at two digits (6000 is 100:00:00).
QString TempoHost(const QString& campo);

// A consumption quantity (field 7 or 11): a number written with the given
// decimal separator, carrying eight implied decimals (150000000 is 1.5).
// EConvertError when the field is not a number.
double QuantidadeHost(const QString& campo, QChar separadorDecimal);

// True when the consumption class (field 14) is one of 1, 3, 5, 6, 7: the
// row belongs to the type 82 pass, any other class to the type 89 pass.
bool EhClasse82(const QString& campo);
