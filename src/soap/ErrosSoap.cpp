#include "soap/ErrosSoap.h"

ESoapFalha::ESoapFalha(const QString& textoFalha, const QString& codigoFalha,
                       const QString& nomeDetalhe, const QString& textoDetalhe)
    : Exception(textoFalha)
    , FCodigoFalha(codigoFalha)
    , FNomeDetalhe(nomeDetalhe)
    , FTextoDetalhe(textoDetalhe)
{
}
