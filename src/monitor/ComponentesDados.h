#pragma once

#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "dblayer/KoTable.h"
#include "dblayer/KoTransaction.h"

// The data components the monitor owns for the life of the program, set up
// as the window has them: the ERP connection and the machine-side connection
// with their transactions, the queries on each, and the queue table.
struct TComponentesDados {
    TComponentesDados();

    TKoDatabase KoDatabase1;
    TKoDatabase KoDatabase2;
    TKoTransaction KoTransaction1;
    TKoTransaction KoTransaction2;

    TKoQuery KoQuery1;   // on KoDatabase1
    TKoQuery QryExec1;
    TKoQuery QryAux1;
    TKoQuery KoQuery2;   // on KoDatabase2
    TKoQuery QryExec2;

    TKoTable TbQxIntegra;  // QX_INTEGRA on KoDatabase1
};
