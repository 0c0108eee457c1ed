#pragma once

#include "integracoes/vapora/contratos/InterfaceVapora.h"

namespace Vapora {

// Articles, by their auxiliary code.
// rpc/encoded. "delete" is delete_ here, as delete is a C++ keyword.
class ArtigoWS : public TInterfaceVapora {
public:
    ArtigoWS(bool useDescription, const QString& location, TClienteVapora* client)
        : TInterfaceVapora(TServicoVapora::Artigo, useDescription, location, client) {}

    void delete_(const QString& aux);
    void save(const QString& aux, const QString& nome);
};

std::unique_ptr<ArtigoWS> ObtemArtigoWS(bool useDescription, const QString& location,
                                        TClienteVapora* client = nullptr);

} // namespace Vapora
