#include "integracoes/vapora/contratos/InterfaceVapora.h"

namespace Vapora {

TInterfaceVapora::TInterfaceVapora(TServicoVapora servico, bool useDescription,
                                   const QString& location, TClienteVapora* client)
    : FContrato(ContratoVapora(servico))
    , FProprio(client ? nullptr : std::make_unique<TClienteVapora>())
    , FCliente(client ? client : FProprio.get())
{
    if (useDescription)
        FCliente->LigaPorDescricao(location.isEmpty() ? FContrato.LocalPadrao : location,
                                   FContrato.NomeServico, FContrato.NomePorta);
    else
        FCliente->LigaPorEndereco(location.isEmpty() ? FContrato.EnderecoPadrao : location);
}

void TInterfaceVapora::Chama(const QString& operacao, std::vector<TElementoSoap> parametros) const
{
    TChamadaSoap chamada;
    chamada.Operacao = operacao;
    chamada.Estilo = FContrato.Estilo;
    chamada.EspacoPadrao = QString::fromLatin1(EspacoVapora);
    chamada.Parametros = std::move(parametros);
    FCliente->Chama(chamada);
}

} // namespace Vapora
