#pragma once

#include "monitor/Encerramento.h"

#include <QObject>
#include <QString>

#include <memory>

// SIGINT and SIGTERM. The database client library installs a handler of its
// own for them that shuts its attachments down under the program (and then
// spins in the engine); so the program blocks them in every thread and takes
// them itself, on a thread that only waits for them.

// Blocks both signals in the calling thread and so in every thread made
// after it. Called first thing in main, before any thread exists.
void BloqueiaSinaisDeParada();

// From now on a signal makes `aoParar` run in the event loop of the calling
// thread. Lives as long as the returned object. Should the process still be
// running 8 s after the first signal (a call that hangs holds the cycle), it
// ends then, with a line on standard error and status 128 + signal.
std::unique_ptr<QObject> AvisaParadaNoLaco(std::function<void()> aoParar);

// From now on a signal ends the process at once with status 128 + signal,
// as it would without the client library's handler.
void EncerraNaParada();
