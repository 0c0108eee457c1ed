#pragma once

#include <QString>

#include <chrono>

// Every SOAP call and every description fetch gives up when nothing has
// arrived for this long: 60 s.
std::chrono::milliseconds LimiteTransferenciaSoap();

// The limit as the error texts show it ("60 s", "250 ms").
QString TextoLimiteTransferenciaSoap();

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
