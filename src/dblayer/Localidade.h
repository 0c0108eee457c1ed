#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// The system's regional formats, as the values the system writes as text
// use them: decimal separator, numeric date format and full time format.
namespace Localidade {

QChar SeparadorDecimal();
QChar SeparadorData();   // of the numeric date format; "/" when it has none
QChar SeparadorHora();   // of the time format; ":" when it has none
QString Data(const QDate& data);        // the numeric (short) date format
QString Hora(const QTime& hora);        // hours, minutes and seconds
QString DataHora(const QDateTime& momento);  // date, a blank, time (date only at midnight)

// A floating-point number with the fewest digits, up to 15 significant ones.
QString Numero(double valor);

} // namespace Localidade
