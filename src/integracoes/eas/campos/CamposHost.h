#pragma once

#include <QDate>
#include <QString>
#include <QTime>

// The DATOS text of the host exchange tables: fields each followed by "|".
// Inbound fields are read by position; numbers, dates and times come as
// digit strings.

// The n-th field (1-based) of a record, after trimming the record: the text
// between the (n-1)-th and the n-th "|". A record without "|" is one field,
// whatever n asks for. A field beyond the last separator (or n below 1) is
// the empty text.
QString CampoHost(const QString& registro, int n);

// Characters 1-4, 5-6 and 7-8 as year, month and day, each a decimal
// integer: 20240315 is 15 March 2024. EConvertError for a part that is not a
// number or for a date that does not exist.
QDate DataHost(const QString& campo);

// Characters 1-2 and 3-4 as hours and minutes: 0730 is 07:30:00.
// EConvertError as for DataHost.
QTime HoraHost(const QString& campo);

// The observation of an outbound record cut so that the record up to and
// including it holds at most 254 characters: `tamanhoAteAqui` is the length
// of the record before it. Nothing of it fits when that is 254 or more.
QString AjustaObs(const QString& obs, qsizetype tamanhoAteAqui);

// The most characters a record may hold up to and including OBS.
inline constexpr qsizetype TamanhoMaximoAteObs = 254;
