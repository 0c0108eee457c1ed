#pragma once

#include <QString>

class TKoDatabase;

// Asks the server to prepare a statement as the code writes it, translated
// as the query component translates it for the connection, without running
// it: the server resolves every table and column. Returns the server's
// message when it refuses, empty when it prepares. The preparation runs in
// a transaction of its own that is rolled back at once, so nothing is
// written and a refusal leaves no aborted transaction behind.
QString ErroAoPreparar(TKoDatabase& banco, const QString& texto);
