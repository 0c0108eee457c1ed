#include "integracoes/bruma/ComponentesBruma.h"

TComponentesBruma::TComponentesBruma(TKoDatabase& erp) : KoDatabase1(erp)
{
    KoDatabase2.setObjectName(QStringLiteral("KoDatabase2"));
    // Unconfigured until start-up reads [Banco2].
    KoDatabase2.SetDriverName(QStringLiteral("MSSQL"));
    KoQuery1.SetDatabase(&KoDatabase1);
    QryExec1.SetDatabase(&KoDatabase1);
    KoQuery2.SetDatabase(&KoDatabase2);
    QryExec2.SetDatabase(&KoDatabase2);
}
