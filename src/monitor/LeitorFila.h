#pragma once

#include "dblayer/KoDatabase.h"
#include "dblayer/KoTable.h"
#include "monitor/ModeloFila.h"

struct TVisaoFila;

// The queue tab's reading, on a thread of its own that owns the tab's
// connection: made, used and freed there, so a connection that hangs (a
// lost link, a server that does not answer, a lock another client holds)
// holds that thread and never the window's, nor the cycle's.
class TLeitorFila {
public:
    TLeitorFila();
    ~TLeitorFila();
    TLeitorFila(const TLeitorFila&) = delete;
    TLeitorFila& operator=(const TLeitorFila&) = delete;

    // Reads the queue's pending rows: the table closed, its liveness checked
    // and, when closed or lost, the connection opened again as a copy of
    // `erp`; the table opened with the view's filter, its rows copied out,
    // and no transaction left open. EDatabaseError when it cannot be read.
    //
    // Only the settings of `erp` are read, which start-up alone writes (and
    // no reading runs during start-up); the ERP's own link is not touched.
    TLinhasFila Le(const TVisaoFila& visao, TKoDatabase& erp);

    // Shut-down: the table, then the connection.
    void Fecha();

    TKoDatabase KoDatabaseFila;
    TKoTable TbFila;  // the queue table as the grid shows it
};
