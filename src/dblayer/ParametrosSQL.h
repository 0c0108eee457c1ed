#pragma once

#include <QStringList>

// The names of the ":NAME" parameters of an SQL text, in order of first
// appearance, as the Qt SQL layer finds them: outside quotes, a colon not
// preceded by another colon and followed by a letter, digit or "_".
QStringList NomesParametros(const QString& texto);
