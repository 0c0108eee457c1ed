#pragma once

#include <QDeadlineTimer>
#include <QString>

#include <chrono>

// How long one SOAP call may take, from its start to the end of its answer,
// the fetch of its service description included: 60 s. It bounds the whole
// call, not a silence: a server that trickles its answer is cut off at the
// limit too.
std::chrono::milliseconds LimiteTransferenciaSoap();

// The limit as the error texts show it ("60 s", "250 ms").
QString TextoLimiteTransferenciaSoap();

// The deadline of a call that starts now.
QDeadlineTimer PrazoChamadaSoap();

// Shortens (or lengthens) the limit for its lifetime, for every thread, and
// puts the previous one back when it ends. For tests.
class TLimiteTransferenciaSoap {
public:
    explicit TLimiteTransferenciaSoap(std::chrono::milliseconds limite);
    ~TLimiteTransferenciaSoap();
    TLimiteTransferenciaSoap(const TLimiteTransferenciaSoap&) = delete;
    TLimiteTransferenciaSoap& operator=(const TLimiteTransferenciaSoap&) = delete;

private:
    std::chrono::milliseconds FAnterior;
};
