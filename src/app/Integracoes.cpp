#include "app/Integracoes.h"

#include "integracoes/bruma/Bruma.h"

namespace {

template <typename T>
TFabricaIntegracao Fabrica()
{
    return [](TContextoIntegracao& contexto) { return std::make_unique<T>(contexto); };
}

} // namespace

TFabricasIntegracao Integracoes()
{
    return {Fabrica<TBruma>()};
}
