#include "dblayer/LimitesExecucao.h"

TLimitesExecucao& LimitesExecucao()
{
    static TLimitesExecucao limites;
    return limites;
}

int LimiteDoDriver(const QString& driverId)
{
    const TLimitesExecucao& limites = LimitesExecucao();
    return driverId == QLatin1String("FB") ? limites.FirebirdMs : limites.OutrosMs;
}
