#include "integracoes/vapora/contratos/InterfaceVapora.h"

#include <stdexcept>

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
    // The contract lists every operation of its interface: quelix
    // --verifica looks for them in the service's description.
    if (!FContrato.Operacoes.contains(operacao) && !FContrato.OperacoesNaoChamadas.contains(operacao))
        throw std::logic_error(QStringLiteral("%1 chama %2, que o contrato não lista")
                                   .arg(FContrato.Interface, operacao).toStdString());
    TChamadaSoap chamada;
    chamada.Operacao = operacao;
    chamada.Estilo = FContrato.Estilo;
    chamada.EspacoPadrao = QString::fromLatin1(EspacoVapora);
    chamada.Parametros = std::move(parametros);
    FCliente->Chama(chamada);
}

} // namespace Vapora
