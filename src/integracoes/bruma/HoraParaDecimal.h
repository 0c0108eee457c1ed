#pragma once

#include <QString>

class TRelator;

// A programme duration "hh:mm:ss" in decimal hours, rounded to 4 places.
// A part that is not a number is reported with a modal message and counts
// as 0; missing characters count as absent, so "" gives 0 silently.
double HoraParaDecimal(const QString& tempo, TRelator& relator);

// Whole minutes of a duration given in decimal hours as HoraParaDecimal
// returns them.
qint64 MinutosProgramados(double horas);
