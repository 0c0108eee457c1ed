#pragma once

#include "base/Apara.h"
#include "base/TextoAscii.h"

#include <QString>

// Small text helpers for the statements the Bruma pass builds by hand.


// The lot number as the machine queue keys it: padded on the right with
// blanks to 8 characters (longer numbers stay whole).
QString NumeroOB(const QString& numeroLote);

// The current local date and time as the machine queue expects its date
// columns: the system's short numeric date, a blank, the time as hh:mm:ss.
QString DataHoraLocal();
