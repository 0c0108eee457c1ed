#pragma once

#include <QString>

// How long a shut-down (SIGTERM, or the window's close) waits for the work
// in progress (a call that hangs holds it) before the process ends without
// it.
constexpr int PrazoEncerramentoSegundos = 8;

// Ends the process at once with `status`, the work in progress left
// undone: the servers undo what was not committed, and a record is marked
// only after its own send committed, so at most the record in flight is
// sent again. `motivo` goes to standard error and to the daily log.
[[noreturn]] void EncerraSemEsperar(const QString& motivo, int status);
