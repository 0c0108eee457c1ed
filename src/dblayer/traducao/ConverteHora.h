#pragma once

#include <QString>

// Time expression HORA[expression, flag]: the expression itself, except on
// Firebird with a false flag, where its first ten characters are dropped.
// A flag that is not a Boolean raises EConvertError.
QString ConverteHora(const QString& texto, const QString& driverId);

// A number (0 false, any other true) or True / False in any case; blanks
// around it are ignored. Anything else raises EConvertError.
bool TextoParaBooleano(const QString& texto);
