#pragma once

#include <QString>

// The lot number as the machine queue keys it: padded on the right with
// blanks to 8 characters (longer numbers stay whole).
QString NumeroOB(const QString& numeroLote);
