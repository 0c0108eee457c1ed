#pragma once

#include <QSqlDatabase>
#include <QStringList>

// How a connection's driver id and Key=Value parameters become a Qt SQL
// connection: which Qt driver serves the id, and where each parameter goes.
namespace ConexaoQt {

// The data source name when the database text is an ODBC provider string
// ("Provider=MSDASQL.1;...;Data Source=NAME"); empty otherwise.
QString FonteOdbc(const QString& database);

// The Qt SQL driver for a driver id and database text ("QODBC" for an ODBC
// data source whatever the id). Raises EDatabaseError for an unknown id or a
// driver this machine does not have.
QString DriverQt(const QString& driverId, const QString& database);

// The ODBC driver that serves "MSSQL" when the connection names none.
QString DriverOdbcPadrao();

// The ODBC connection string for SQL Server: driver, server, port (1433 when
// the parameters have none), database, user and password, each value in
// braces where ODBC needs them.
QString TextoConexaoMssql(const QStringList& params, const QString& driverOdbc);

// A new Qt connection under the name, configured from the parameters.
// `driverOdbc` names the ODBC driver for "MSSQL" (empty: the default).
QSqlDatabase Cria(const QString& nome, const QString& driverId, const QStringList& params,
                  const QString& driverOdbc = QString());

} // namespace ConexaoQt
