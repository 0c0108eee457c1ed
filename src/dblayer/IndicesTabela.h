#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class TKoDatabase;

// The server behind a connection, as its catalogue is read: "Firebird",
// "PostgreSQL" or "SQLite", also behind an ODBC data source (whose driver
// says which); empty for another.
QString SistemaDoBanco(TKoDatabase& banco);

// Whether the table has an index whose first columns are `colunas`, in that
// order, read from the server's catalogue; none when the server is not one
// of the three above. Reads only.
std::optional<bool> TemIndice(TKoDatabase& banco, const QString& tabela, const QStringList& colunas);

// The rows of the table (a count, for the message of a missing index).
qint64 ContaLinhas(TKoDatabase& banco, const QString& tabela);
