#pragma once

// Questions about tables asked to the system tables.

#include <QSql>
#include <QSqlIndex>
#include <QStringList>

class QSqlQuery;

namespace CatalogoFirebird {

// Names of the tables, views and system tables, as the flags ask.
QStringList tabelas(QSqlQuery& consulta, QSql::TableType tipo);

// The primary key of a table as stored (upper case unless created quoted),
// its fields taken from the table's record.
QSqlIndex chavePrimaria(QSqlQuery& consulta, const QString& tabelaArmazenada, const QSqlRecord& registro);

} // namespace CatalogoFirebird
