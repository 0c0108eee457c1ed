#include "integracoes/vapora/contratos/TipoFioWS.h"

namespace Vapora {

void TipoFioWS::save(const QString& aux, const QString& nome)
{
    Chama(QStringLiteral("save"), {ElementoSoap("aux", aux), ElementoSoap("nome", nome)});
}

void TipoFioWS::delete_(qint32 aux)
{
    Chama(QStringLiteral("delete"), {ElementoSoap("aux", aux)});
}

std::unique_ptr<TipoFioWS> ObtemTipoFioWS(bool useDescription, const QString& location,
                                          TClienteVapora* client)
{
    return std::make_unique<TipoFioWS>(useDescription, location, client);
}

} // namespace Vapora
