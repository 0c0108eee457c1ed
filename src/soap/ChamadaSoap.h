#pragma once

#include "soap/ValorSoap.h"

#include <QString>

#include <vector>

// How an operation's message is written: rpc/encoded (the operation element
// carries the SOAP encoding style, each parameter an xsi:type) or
// document/literal (plain nested elements). The contract fixes it; the
// style a service description declares does not change it.
enum class TEstiloSoap { RpcCodificado, DocumentoLiteral };

// One call of an operation, as the contract of its service declares it.
struct TChamadaSoap {
    QString Operacao;
    TEstiloSoap Estilo = TEstiloSoap::DocumentoLiteral;
    // The services' namespace when the client is bound by endpoint address;
    // bound by description, the description's target namespace is used.
    QString EspacoPadrao;
    // The SOAP action when the description gives none.
    QString AcaoPadrao;
    // In declared order; a parameter left out is not written.
    std::vector<TElementoSoap> Parametros;
};
