#include "integracoes/vapora/contratos/GerarOPWS.h"

namespace Vapora {

void GerarOPWS::excluir(const QString& opInterna)
{
    Chama(QStringLiteral("excluir"), {ElementoSoap("opInterna", opInterna)});
}

void GerarOPWS::gerarOP(const op* ordem)
{
    std::vector<TElementoSoap> parametros;
    if (ordem)
        parametros.push_back(ElementoSoap("op", *ordem));
    Chama(QStringLiteral("gerarOP"), std::move(parametros));
}

std::unique_ptr<GerarOPWS> ObtemGerarOPWS(bool useDescription, const QString& location,
                                          TClienteVapora* client)
{
    return std::make_unique<GerarOPWS>(useDescription, location, client);
}

} // namespace Vapora
