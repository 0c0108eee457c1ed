#pragma once

#include "dblayer/Apara.h"

#include <QString>

// Small text helpers for the statements the Bruma pass builds by hand.

// An SQL string literal: the text in single quotes, each inner quote doubled.
QString LiteralSql(const QString& texto);

// The lot number as the machine queue keys it: padded on the right with
// blanks to 8 characters (longer numbers stay whole).
QString NumeroOB(const QString& numeroLote);

// The current local date and time as the machine queue expects its date
// columns: the system's short numeric date, a blank, the time as hh:mm:ss.
QString DataHoraLocal();
