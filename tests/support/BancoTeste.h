#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// Fresh real databases for the tests, created from the schema scripts of
// sql/ (named relative to that folder, e.g. "erp_firebird.sql"). Every
// function throws std::runtime_error with the tool's output on failure.
namespace BancoTeste {

// A new embedded Firebird database file in the test run's temporary folder,
// created with isql-fb and loaded with the scripts. Returns its path.
QString criaFirebirdLocal(const QString& nome, const QStringList& scripts);
// A bare Qt SQL connection `conexao` to an embedded Firebird file, with a
// transaction open: the floor the benchmarks measure the components against.
// Throws std::runtime_error when it does not open.
QSqlDatabase abreFirebirdDireto(const QString& conexao, const QString& caminho);

// A new database file in the Firebird server's folder, created through the
// server on loopback. Returns "host:path", removed at exit.
QString criaFirebirdServidor(const QString& nome, const QStringList& scripts);

// A new database on the PostgreSQL test server, loaded with psql. Returns
// the database name (lower case); the database is dropped at exit.
QString criaPostgres(const QString& nome, const QStringList& scripts);

// The same, with the scripts' tables in a new schema of that name (created
// first, then made the first of the search path while the scripts run).
QString criaPostgresNoEsquema(const QString& nome, const QString& esquema, const QStringList& scripts);

// Writes an ODBC data source of that name over a PostgreSQL test database
// into the run's private odbc.ini and points ODBCINI at it. Data sources
// written before (this run's and the test command's) stay in the file.
QString criaDsnOdbc(const QString& dsn, const QString& bancoPostgres);

// The same for an SQLite database file through the SQLite ODBC driver.
QString criaDsnOdbcSqlite(const QString& dsn, const QString& arquivo);

// A new SQLite database file in the run's temporary folder, loaded with the
// scripts, and an ODBC data source of that name over it (the SQLite ODBC
// driver, "SQLite3"), written as criaDsnOdbc does. Returns the file's path.
QString criaSqliteOdbc(const QString& dsn, const QStringList& scripts);

// Runs SQL statements (each ended by ";") on a database returned above and
// commits them; for loading sample rows.
void executaSqlFirebird(const QString& banco, const QString& sql);
void executaSqlPostgres(const QString& banco, const QString& sql);

} // namespace BancoTeste
