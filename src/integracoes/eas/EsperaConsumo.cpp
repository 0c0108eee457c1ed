#include "integracoes/eas/EsperaConsumo.h"

#include <QThread>

#include <atomic>

namespace {

std::atomic<int> FEsperaMs = 2000;

} // namespace

void EsperaAntesDosConsumos()
{
    const int ms = FEsperaMs;
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

TEsperaConsumoCurta::TEsperaConsumoCurta(int ms) : FAnterior(FEsperaMs.exchange(ms)) {}

TEsperaConsumoCurta::~TEsperaConsumoCurta()
{
    FEsperaMs = FAnterior;
}
