#pragma once

#include "integracoes/vapora/contratos/InterfaceVapora.h"

namespace Vapora {

// Colours, with their red, green and blue components.
// rpc/encoded. "delete" is delete_ here, as delete is a C++ keyword.
class CorWS : public TInterfaceVapora {
public:
    CorWS(bool useDescription, const QString& location, TClienteVapora* client)
        : TInterfaceVapora(TServicoVapora::Cor, useDescription, location, client) {}

    void delete_(const QString& aux);
    void save(const QString& aux, const QString& nome, qint32 cdCliente, qint32 red,
              qint32 green, qint32 blue);
};

std::unique_ptr<CorWS> ObtemCorWS(bool useDescription, const QString& location,
                                  TClienteVapora* client = nullptr);

} // namespace Vapora
