#pragma once

#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"

// The data components of the Bruma pass: the machine-queue database
// (KoDatabase2, from [Banco2]) and the queries on each side.
struct TComponentesBruma {
    explicit TComponentesBruma(TKoDatabase& erp);

    TKoDatabase& KoDatabase1;  // the ERP, the monitor's
    TKoDatabase KoDatabase2;   // the machine queue, through ODBC

    TKoQuery KoQuery1;  // on KoDatabase1
    TKoQuery QryExec1;
    TKoQuery KoQuery2;  // on KoDatabase2
    TKoQuery QryExec2;
};
