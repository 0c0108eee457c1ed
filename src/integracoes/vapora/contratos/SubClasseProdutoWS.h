#pragma once

#include "integracoes/vapora/contratos/InterfaceVapora.h"

namespace Vapora {

// Product sub-classes, each under its class.
// rpc/encoded. "delete" is delete_ here, as delete is a C++ keyword.
class SubClasseProdutoWS : public TInterfaceVapora {
public:
    SubClasseProdutoWS(bool useDescription, const QString& location, TClienteVapora* client)
        : TInterfaceVapora(TServicoVapora::SubClasseProduto, useDescription, location, client) {}

    void delete_(const QString& aux);
    void save(const QString& aux, const QString& nome, const QString& auxClasse);
};

std::unique_ptr<SubClasseProdutoWS> ObtemSubClasseProdutoWS(bool useDescription, const QString& location,
                                                            TClienteVapora* client = nullptr);

} // namespace Vapora
