#include "dblayer/LimitesExecucao.h"

TLimitesExecucao& LimitesExecucao()
{
    static TLimitesExecucao limites;
    return limites;
}
