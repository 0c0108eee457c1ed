#pragma once

#include "integracoes/vapora/contratos/ServicosVapora.h"

#include "soap/ErrosSoap.h"
#include "soap/ValorSoap.h"

#include <QString>

#include <memory>
#include <vector>

namespace Vapora {

// What the nine interfaces share: the binding to their service and the call.
//
// Binding (the Obtem...WS operations): an empty location takes the service's
// default, in the description form when useDescription is true and in the
// direct-endpoint form otherwise. useDescription true sets on the client the
// description location with the service and port names; false sets the
// location as the endpoint address. Without a client, the interface makes
// one of its own. The client keeps the description it read, so binding again
// to the same location reads nothing; a changed location is read at the next
// call.
class TInterfaceVapora {
public:
    virtual ~TInterfaceVapora() = default;
    TInterfaceVapora(const TInterfaceVapora&) = delete;
    TInterfaceVapora& operator=(const TInterfaceVapora&) = delete;

    TClienteVapora& Cliente() const { return *FCliente; }

protected:
    TInterfaceVapora(TServicoVapora servico, bool useDescription, const QString& location,
                     TClienteVapora* client);

    void Chama(const QString& operacao, std::vector<TElementoSoap> parametros) const;

private:
    const TContratoVapora& FContrato;
    std::unique_ptr<TClienteVapora> FProprio;
    TClienteVapora* FCliente;
};

} // namespace Vapora
