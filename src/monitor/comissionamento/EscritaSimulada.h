#pragma once

#include <QString>

struct TComandoEnviado;

// The line a simulated cycle shows for a statement that writes: its
// connection, its text as it goes to the server and each value bound to it
// (the row or record as it goes to its database).
QString EscritaSimulada(const TComandoEnviado& comando);
