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

// No SOAP answer from the service. Always one of the three below, which
// tell the caller whether the service may have the call.
class ESoapTransporte : public Exception {
public:
    using Exception::Exception;
};

// The service is out of reach and has not got the call: the connection was
// refused or could not be made, nothing went out within the limit, or the
// service said it is unavailable (502, 503, 504). A later call may get
// through.
class ESoapInalcancavel : public ESoapTransporte {
public:
    using ESoapTransporte::ESoapTransporte;
};

// The request went out and no status line came back: no answer within the
// limit, or the connection closed first. The service may have received and
// processed it; only asking it tells.
class ESoapIncerto : public ESoapTransporte {
public:
    using ESoapTransporte::ESoapTransporte;
};

// The service answered with an error status and no SOAP fault (a 400, a 404,
// a 500 with an empty or HTML body...): it refused this call. The status and
// the start of the body are in the message.
class ESoapRecusa : public ESoapTransporte {
public:
    ESoapRecusa(const QString& mensagem, int status) : ESoapTransporte(mensagem), FStatus(status) {}
    int Status() const { return FStatus; }

private:
    int FStatus;
};

// The service description cannot be read, or does not have what the client
// was bound to (service, port, endpoint address).
class ESoapDescricao : public Exception {
public:
    using Exception::Exception;
};

// The description could not be had: no connection, no answer, an HTTP error,
// a file that cannot be read, or a document that is no description at all
// (a maintenance page served in its place). The service is out of reach, as
// with ESoapInalcancavel, and a later call may get through.
class ESoapDescricaoInacessivel : public ESoapDescricao {
public:
    using ESoapDescricao::ESoapDescricao;
};
