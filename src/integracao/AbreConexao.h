#pragma once

#include <QString>

#include <optional>

class TConfiguracao;
class TKoDatabase;

// Whether a PostgreSQL connection's section is read for `servidor` always
// ([Banco1]: its Base is the database name alone), or only when the key is
// there ([Banco3]: a site that names no `servidor` writes Base as
// host:database, split as for the other drivers).
enum class TServidorPostgres { SempreLido, SoSePresente };

// Configures a connection from its section of QX.ini, as start-up does:
// closed if open, the driver id from Protocolo, then `databaseName` (the
// section's Base as the caller makes it into the database text), Senha and
// Usuario. A PostgreSQL connection that is not an ODBC data source also
// takes its host and port from the section's `servidor` (see
// TServidorPostgres).
void ConfiguraDaSecao(TKoDatabase& banco, const TConfiguracao& ini, const QString& secao,
                      const QString& databaseName,
                      TServidorPostgres servidor = TServidorPostgres::SempreLido);

// PostgreSQL: host and port from `servidor` ("host" or "host:port"; port
// 5432 when missing or not a number), and the whole `base` as the database
// name, even when it holds a ":".
void ConfiguraServidorPostgres(TKoDatabase& banco, const QString& servidor, const QString& base);

// Opens the connection as start-up does: a failure is not raised but comes
// back as the error's message, for the caller to show and go on.
std::optional<QString> TentaAbrir(TKoDatabase& banco);

// The log line said just before the modal message of a connection that did
// not open at start-up: the message keeps the driver's words alone, and the
// line names the connection, its section and the data source there.
QString LinhaConexaoNaoAberta(const TKoDatabase& banco, const TConfiguracao& ini, const QString& secao,
                              const QString& erro);
