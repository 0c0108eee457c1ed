#pragma once

#include "monitor/LeitorFila.h"

#include <QString>

// The body of the console's "Fila" page, as an HTML fragment the page frame
// wraps: the pending rows of the queue as the "Tabela" tab shows them, and
// the rows that failed (STATUS 2) or were cleared (STATUS 3), each with its
// last journal record and a "Reenviar" form. Every text from the data is
// escaped. Each form posts to `acao` the fields "csrf" (`tokenCsrf`) and
// "ordem" (the row's key).
//
// At most MaximoPendentesPagina pending rows are listed, and the count of the
// rest is said: a queue that grew to thousands still makes a page a
// browser opens.
inline constexpr int MaximoPendentesPagina = 500;
QString PaginaFila(const TFilaConsole& fila, const QString& tokenCsrf, const QString& acao);
