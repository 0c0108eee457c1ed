#pragma once

#include "integracoes/vapora/contratos/InterfaceVapora.h"

namespace Vapora {

// Yarn types. Its delete takes the code as an integer, unlike the others.
// document/literal. "delete" is delete_ here, as delete is a C++ keyword.
class TipoFioWS : public TInterfaceVapora {
public:
    TipoFioWS(bool useDescription, const QString& location, TClienteVapora* client)
        : TInterfaceVapora(TServicoVapora::TipoFio, useDescription, location, client) {}

    void save(const QString& aux, const QString& nome);
    void delete_(qint32 aux);
};

std::unique_ptr<TipoFioWS> ObtemTipoFioWS(bool useDescription, const QString& location,
                                          TClienteVapora* client = nullptr);

} // namespace Vapora
