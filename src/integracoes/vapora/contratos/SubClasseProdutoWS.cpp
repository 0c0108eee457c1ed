#include "integracoes/vapora/contratos/SubClasseProdutoWS.h"

namespace Vapora {

void SubClasseProdutoWS::delete_(const QString& aux)
{
    Chama(QStringLiteral("delete"), {ElementoSoap("aux", aux)});
}

void SubClasseProdutoWS::save(const QString& aux, const QString& nome, const QString& auxClasse)
{
    Chama(QStringLiteral("save"), {ElementoSoap("aux", aux),
                                   ElementoSoap("nome", nome),
                                   ElementoSoap("auxClasse", auxClasse)});
}

std::unique_ptr<SubClasseProdutoWS> ObtemSubClasseProdutoWS(bool useDescription, const QString& location,
                                                            TClienteVapora* client)
{
    return std::make_unique<SubClasseProdutoWS>(useDescription, location, client);
}

} // namespace Vapora
