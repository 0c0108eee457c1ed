#include "integracoes/vapora/contratos/ClasseProdutoWS.h"

namespace Vapora {

void ClasseProdutoWS::delete_(const QString& aux)
{
    Chama(QStringLiteral("delete"), {ElementoSoap("aux", aux)});
}

void ClasseProdutoWS::save(const QString& aux, const QString& nome)
{
    Chama(QStringLiteral("save"), {ElementoSoap("aux", aux), ElementoSoap("nome", nome)});
}

std::unique_ptr<ClasseProdutoWS> ObtemClasseProdutoWS(bool useDescription, const QString& location,
                                                      TClienteVapora* client)
{
    return std::make_unique<ClasseProdutoWS>(useDescription, location, client);
}

} // namespace Vapora
