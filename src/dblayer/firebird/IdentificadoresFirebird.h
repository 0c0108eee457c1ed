#pragma once

// Identifiers and literals in Firebird SQL text.

#include <QString>

class QSqlField;

namespace IdentificadoresFirebird {

// The identifier as it can be written in SQL: a plain name (letters, digits,
// "_" and "$", starting with a letter, not a reserved word) goes as it is,
// since the server folds it to upper case; anything else is quoted, with
// inner quotes doubled. A name already quoted is kept.
QString escapa(const QString& identificador);

// The name as the system tables store it: a quoted name without its quotes,
// a plain one in upper case.
QString armazenado(const QString& identificador);

// Literal for the types whose text differs from the generic one (dates,
// times, booleans, bytes); empty for the others.
QString literalProprio(const QSqlField& campo);

} // namespace IdentificadoresFirebird
