#include "integracoes/vapora/contratos/CorWS.h"

namespace Vapora {

void CorWS::delete_(const QString& aux)
{
    Chama(QStringLiteral("delete"), {ElementoSoap("aux", aux)});
}

void CorWS::save(const QString& aux, const QString& nome, qint32 cdCliente, qint32 red,
                 qint32 green, qint32 blue)
{
    Chama(QStringLiteral("save"), {ElementoSoap("aux", aux),
                                   ElementoSoap("nome", nome),
                                   ElementoSoap("cdCliente", cdCliente),
                                   ElementoSoap("red", red),
                                   ElementoSoap("green", green),
                                   ElementoSoap("blue", blue)});
}

std::unique_ptr<CorWS> ObtemCorWS(bool useDescription, const QString& location,
                                  TClienteVapora* client)
{
    return std::make_unique<CorWS>(useDescription, location, client);
}

} // namespace Vapora
