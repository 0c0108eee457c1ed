#include "soap/LimiteTransferencia.h"

#include <atomic>

namespace {

std::atomic<long long> GLimiteMs{60000};

} // namespace

std::chrono::milliseconds LimiteTransferenciaSoap()
{
    return std::chrono::milliseconds(GLimiteMs.load());
}

QString TextoLimiteTransferenciaSoap()
{
    const long long ms = GLimiteMs.load();
    if (ms % 1000 == 0)
        return QStringLiteral("%1 s").arg(ms / 1000);
    return QStringLiteral("%1 ms").arg(ms);
}

QDeadlineTimer PrazoChamadaSoap()
{
    return QDeadlineTimer(LimiteTransferenciaSoap());
}

TLimiteTransferenciaSoap::TLimiteTransferenciaSoap(std::chrono::milliseconds limite)
    : FAnterior(LimiteTransferenciaSoap())
{
    GLimiteMs.store(limite.count());
}

TLimiteTransferenciaSoap::~TLimiteTransferenciaSoap()
{
    GLimiteMs.store(FAnterior.count());
}
