#include "integracoes/vapora/contratos/ArtigoWS.h"

namespace Vapora {

void ArtigoWS::delete_(const QString& aux)
{
    Chama(QStringLiteral("delete"), {ElementoSoap("aux", aux)});
}

void ArtigoWS::save(const QString& aux, const QString& nome)
{
    Chama(QStringLiteral("save"), {ElementoSoap("aux", aux), ElementoSoap("nome", nome)});
}

std::unique_ptr<ArtigoWS> ObtemArtigoWS(bool useDescription, const QString& location,
                                        TClienteVapora* client)
{
    return std::make_unique<ArtigoWS>(useDescription, location, client);
}

} // namespace Vapora
