#pragma once

#include "dblayer/KoCampo.h"
#include "dblayer/KoDatabase.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// One row a test read, each field as the query layer read it: its name, and
// its value as AsString, Value and IsNull give it.
using TLinhaLida = QList<TKoField>;

// The rows of `sql` on a connection that is already open (the monitor's
// own, too), the parameters bound by name (":NOME" -> value). The test's
// statement, not the system's: it stays out of the statement catalogue.
// Leaves the connection's transaction as the query left it.
QList<TLinhaLida> LeLinhas(TKoDatabase& banco, const QString& sql, const QVariantMap& parametros = {});
// The first field of each row as text (AsString, so NULL reads as "").
QStringList LeColuna(TKoDatabase& banco, const QString& sql, const QVariantMap& parametros = {});

// A connection of the test's own to a test database, opened when it is made
// and closed when it goes: what it reads is what the code under test has
// committed, never its work in progress, and a server restarted since the
// last reading does not matter. Opening throws as the connection layer
// does.
class TOutraConexao {
public:
    enum class TServidor { Firebird, Postgres };

    // Firebird: an embedded file's path, or "host/port:path" on the Firebird
    // test server (with its user). Postgres: a database of the PostgreSQL
    // test server.
    TOutraConexao(TServidor servidor, const QString& base);
    ~TOutraConexao();
    TOutraConexao(const TOutraConexao&) = delete;
    TOutraConexao& operator=(const TOutraConexao&) = delete;

    TKoDatabase& Banco() { return FBanco; }

    QList<TLinhaLida> Linhas(const QString& sql, const QVariantMap& parametros = {});
    QStringList Coluna(const QString& sql, const QVariantMap& parametros = {});
    // Runs one statement and commits it.
    void Executa(const QString& sql, const QVariantMap& parametros = {});

private:
    TKoDatabase FBanco;
};
