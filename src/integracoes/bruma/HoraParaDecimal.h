#pragma once

#include <QString>
#include <QStringList>

// A programme duration "hh:mm:ss" in decimal hours, rounded to 4 places,
// and what was wrong with it: a part that is not a number counts as 0 and
// gives its warning, in the order of the parts ("Hora cadastrada de forma
// incorreta.", ...); missing characters count as absent, so "" gives 0
// without any warning. The caller shows the warnings.
struct THoraDecimal {
    double Horas = 0;
    QStringList Avisos;
};
THoraDecimal HoraParaDecimal(const QString& tempo);

// Whole minutes of a duration given in decimal hours as HoraParaDecimal
// returns them.
qint64 MinutosProgramados(double horas);
