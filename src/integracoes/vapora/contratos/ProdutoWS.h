#pragma once

#include "integracoes/vapora/contratos/InterfaceVapora.h"

namespace Vapora {

// Products (dyes and chemicals), each under its sub-class.
// rpc/encoded. "delete" is delete_ here, as delete is a C++ keyword.
class ProdutoWS : public TInterfaceVapora {
public:
    ProdutoWS(bool useDescription, const QString& location, TClienteVapora* client)
        : TInterfaceVapora(TServicoVapora::Produto, useDescription, location, client) {}

    void delete_(const QString& aux);
    void save(const QString& aux, const QString& nome, const QString& auxSubClasse);
};

std::unique_ptr<ProdutoWS> ObtemProdutoWS(bool useDescription, const QString& location,
                                          TClienteVapora* client = nullptr);

} // namespace Vapora
