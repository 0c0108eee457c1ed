#pragma once

// Reading the status vector the Firebird client library fills on every call.
// Internal to the driver: includes the client library's header.

#include <ibase.h>

#include <QSqlError>
#include <QString>

namespace StatusFirebird {

// True when the call that filled the vector failed.
inline bool falhou(const ISC_STATUS* status)
{
    return status[0] == 1 && status[1] > 0;
}

// Every line fb_interpret gives for the vector, joined by "\n". The lines
// carry the server's arguments (names, key values) in the attachment's
// character set, UTF8; a line that is not valid UTF-8 is read as Latin-1.
QString texto(const ISC_STATUS* status);

// True when the vector says the link to the server is gone: a network
// error, a lost connection, the database or the attachment shut down.
bool conexaoPerdida(const ISC_STATUS* status);

// The first error code of the vector (the gds code), 0 when there is none.
ISC_LONG codigo(const ISC_STATUS* status);

// A QSqlError carrying the server's text and its gds code; of the type
// ConnectionError when the link to the server is gone.
QSqlError erro(const ISC_STATUS* status, QSqlError::ErrorType tipo);

// A QSqlError of the driver's own, with no server behind it.
QSqlError erroDoDriver(const QString& texto, QSqlError::ErrorType tipo);

} // namespace StatusFirebird
