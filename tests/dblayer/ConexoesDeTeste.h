#pragma once

#include "dblayer/KoDatabase.h"

#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <thread>

// The servers a database-layer test runs on, each with a fresh database
// holding the table T (ID primary key, V integer, NOME text). OdbcSqlite is
// an SQLite file behind the SQLite ODBC driver, as the Bruma queue of the
// demo.
enum class Servidor { FirebirdLocal, FirebirdServidor, Postgres, OdbcPostgres, OdbcSqlite };

QString NomeDoServidor(Servidor s);
// The server's name as the name of a parametrized test's instance.
std::string NomeDoParametro(const testing::TestParamInfo<Servidor>& info);

struct BancoDeTeste {
    Servidor servidor;
    QString driverId;     // "FB" or "PG" (ODBC keeps "FB", as the Bruma connection does)
    QString databaseName; // what the connection's DatabaseName gets
    QString usuario, senha;
    QString bancoBruto;   // as BancoTeste returned it (SQLite: the file), to run SQL from outside
};

BancoDeTeste CriaBancoDeTeste(Servidor s);

// A TKoDatabase configured and opened on the test database.
std::unique_ptr<TKoDatabase> AbreKoDatabase(const BancoDeTeste& banco);

// Another client of the same database on its own thread and its own bare Qt
// connection: it runs the steps it is given, in order, so a test can hold a
// lock while the layer waits on it.
class ClienteConcorrente {
public:
    explicit ClienteConcorrente(const BancoDeTeste& banco);
    ~ClienteConcorrente();

    // Runs on the client's thread; the connection is the client's own.
    void Executa(std::function<void(class QSqlDatabase&)> passos);
    void Aguarda();

private:
    BancoDeTeste FBanco;
    std::thread FThread;
};

// Runs SQL on the database outside the layer and commits (table set-up).
void ExecutaFora(const BancoDeTeste& banco, const QString& sql);
// An integer, a text read outside the layer.
qint64 LeInteiroFora(const BancoDeTeste& banco, const QString& sql);
QString LeTextoFora(const BancoDeTeste& banco, const QString& sql);
