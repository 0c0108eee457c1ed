#pragma once

#include <QString>

// The date and text-blob pseudo-functions, rewritten call by call. A call
// runs from the name to the first ")" after it, so its arguments must be
// plain columns, parameters or literals; a name with no ")" after it ends
// the step and stays.

// DIFERENCAENTREDATAS(A, B) (also written UDF_DAYSPAN, UDF_DAYSBETWEEN)
// -> CAST(A- B AS INTEGER); string literals are cast to DATE.
QString ConverteDiferencaEntreDatas(const QString& texto);

// UDF_WEEKDAY(X) -> CAST(TO_CHAR(X, 'D') AS INTEGER)-1.
QString ConverteWeekday(const QString& texto);

// KO_BLOB(X) (also written dbms_lob.substr) -> dbms_lob.substr(X) on Oracle,
// X elsewhere.
QString ConverteKoBlob(const QString& texto, const QString& driverId);
