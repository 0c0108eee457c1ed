#pragma once

#include <QString>

// SUBSTRING(X FROM a FOR n) -> SUBSTR(X,a,n), every call (Oracle and
// PostgreSQL). A call that is not in the FROM ... FOR form only has its name
// changed to SUBSTR, which both servers know with comma-separated arguments.
QString ConverteSubstring(const QString& texto);
