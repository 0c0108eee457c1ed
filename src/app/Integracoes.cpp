#include "app/Integracoes.h"

#include "integracoes/bruma/Bruma.h"
#include "integracoes/eas/Eas.h"
#include "integracoes/vapora/Vapora.h"

namespace {

template <typename T>
TFabricaIntegracao Fabrica()
{
    return [](TContextoIntegracao& contexto) { return std::make_unique<T>(contexto); };
}

} // namespace

TFabricasIntegracao Integracoes()
{
    return {Fabrica<TBruma>(), Fabrica<TVapora>(), Fabrica<TEas>()};
}
