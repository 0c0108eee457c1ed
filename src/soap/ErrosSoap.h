#pragma once

#include "base/Erros.h"

// A SOAP fault answered by the service. The message is the fault string, as
// the callers show it; the code and the detail are kept for whoever wants
// them.
class ESoapFalha : public Exception {
public:
    ESoapFalha(const QString& textoFalha, const QString& codigoFalha,
               const QString& nomeDetalhe, const QString& textoDetalhe);

    const QString& CodigoFalha() const { return FCodigoFalha; }
    // Local name of the first element under <detail> ("BaseException"), or empty.
    const QString& NomeDetalhe() const { return FNomeDetalhe; }
    // Text of that element's "message" child, when it has one.
    const QString& TextoDetalhe() const { return FTextoDetalhe; }

private:
    QString FCodigoFalha;
    QString FNomeDetalhe;
    QString FTextoDetalhe;
};

// The message did not get through, or no SOAP answer came back: connection,
// name resolution, HTTP status, time limit, unreadable response.
class ESoapTransporte : public Exception {
public:
    using Exception::Exception;
};

// An answer came, with a success status, but it is no SOAP message: the
// service was reached, so sending again will not help.
class ESoapRespostaIlegivel : public ESoapTransporte {
public:
    using ESoapTransporte::ESoapTransporte;
};

// The service description cannot be read, or does not have what the client
// was bound to (service, port, endpoint address).
class ESoapDescricao : public Exception {
public:
    using Exception::Exception;
};

// The description could not be fetched from the network (no connection, no
// answer, an HTTP error): the service is out of reach, as with a transport
// failure, and a later call may get through.
class ESoapDescricaoInacessivel : public ESoapDescricao {
public:
    using ESoapDescricao::ESoapDescricao;
};
