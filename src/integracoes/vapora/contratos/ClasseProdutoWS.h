#pragma once

#include "integracoes/vapora/contratos/InterfaceVapora.h"

namespace Vapora {

// Product classes.
// rpc/encoded. "delete" is delete_ here, as delete is a C++ keyword.
class ClasseProdutoWS : public TInterfaceVapora {
public:
    ClasseProdutoWS(bool useDescription, const QString& location, TClienteVapora* client)
        : TInterfaceVapora(TServicoVapora::ClasseProduto, useDescription, location, client) {}

    void delete_(const QString& aux);
    void save(const QString& aux, const QString& nome);
};

std::unique_ptr<ClasseProdutoWS> ObtemClasseProdutoWS(bool useDescription, const QString& location,
                                                      TClienteVapora* client = nullptr);

} // namespace Vapora
