#include "dblayer/ObservadorComandos.h"

namespace {

TObservadorComandos& Observador()
{
    static TObservadorComandos observador;
    return observador;
}

} // namespace

void DefineObservadorComandos(TObservadorComandos observador) { Observador() = std::move(observador); }

bool HaObservadorComandos() { return static_cast<bool>(Observador()); }

void AvisaComandoEnviado(const TComandoEnviado& comando)
{
    if (Observador())
        Observador()(comando);
}
