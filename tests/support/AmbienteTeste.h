#pragma once

#include <QString>

// Where the test servers are. The test command starts them and exports
// their addresses (scripts/servidores-teste.sh); a test that needs one and
// does not find it fails with a message that says how to start them.
namespace AmbienteTeste {

// The value of an environment variable the test command exports; fails the
// current test (fatally) when it is missing.
QString exige(const char* variavel);

QString pgHost();
int pgPorta();
QString pgUsuario();
QString pgSenha();
QString pgBanco();        // the maintenance database of the test server

QString fbHost();          // the Firebird server on loopback, as "host/port"
QString fbMaquina();       // its host alone
int fbPorta();             // its port alone
QString fbPastaServidor(); // a folder the Firebird server can create files in
QString fbUsuario();
QString fbSenha();

QString odbcDsn();         // data source over the PostgreSQL test database

// A new empty folder for this test run, removed at exit.
QString pastaTemporaria();

// A name unique within this test run, for databases and files.
QString nomeUnico(const QString& prefixo);

} // namespace AmbienteTeste
