#pragma once

#include "integracoes/vapora/contratos/InterfaceVapora.h"
#include "integracoes/vapora/contratos/TiposVapora.h"

namespace Vapora {

// Production orders of lots. document/literal.
class GerarOPWS : public TInterfaceVapora {
public:
    GerarOPWS(bool useDescription, const QString& location, TClienteVapora* client)
        : TInterfaceVapora(TServicoVapora::GerarOP, useDescription, location, client) {}

    void excluir(const QString& opInterna);
    // Without an order (nullptr) the op element is left out.
    void gerarOP(const op* ordem);
};

std::unique_ptr<GerarOPWS> ObtemGerarOPWS(bool useDescription, const QString& location,
                                          TClienteVapora* client = nullptr);

} // namespace Vapora
