#include "integracoes/vapora/contratos/ProdutoWS.h"

namespace Vapora {

void ProdutoWS::delete_(const QString& aux)
{
    Chama(QStringLiteral("delete"), {ElementoSoap("aux", aux)});
}

void ProdutoWS::save(const QString& aux, const QString& nome, const QString& auxSubClasse)
{
    Chama(QStringLiteral("save"), {ElementoSoap("aux", aux),
                                   ElementoSoap("nome", nome),
                                   ElementoSoap("auxSubClasse", auxSubClasse)});
}

std::unique_ptr<ProdutoWS> ObtemProdutoWS(bool useDescription, const QString& location,
                                          TClienteVapora* client)
{
    return std::make_unique<ProdutoWS>(useDescription, location, client);
}

} // namespace Vapora
