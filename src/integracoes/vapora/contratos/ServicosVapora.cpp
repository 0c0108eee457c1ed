#include "integracoes/vapora/contratos/ServicosVapora.h"

namespace Vapora {

namespace {

// The Vapora server of the installation; the order service runs on the
// monitor's own machine and the yarn types on a server of their own.
const QString ServidorVapora = QStringLiteral("http://servidor-vapora:3030/integracao/");
const QString MaquinaLocal = QStringLiteral("http://localhost:3030/integracao/");
const QString ServidorFios = QStringLiteral("http://servidor-fios:8080/integracao/");

TContratoVapora Contrato(TServicoVapora servico, const QString& chave, const QString& servidor,
                         TEstiloSoap estilo, const QStringList& operacoes = {QStringLiteral("save"), QStringLiteral("delete")},
                         const QStringList& naoChamadas = {})
{
    const QString interface = chave + QStringLiteral("WS");
    return {servico, interface, interface + QStringLiteral("Service"),
            interface + QStringLiteral("Port"), chave,
            servidor + interface + QStringLiteral("?wsdl"), servidor + interface, estilo, operacoes, naoChamadas};
}

std::array<TContratoVapora, 9> MontaContratos()
{
    constexpr auto Rpc = TEstiloSoap::RpcCodificado;
    constexpr auto Documento = TEstiloSoap::DocumentoLiteral;
    using S = TServicoVapora;
    std::array<TContratoVapora, 9> contratos = {
        Contrato(S::Artigo, QStringLiteral("Artigo"), ServidorVapora, Rpc),
        Contrato(S::Cliente, QStringLiteral("Cliente"), ServidorVapora, Rpc,
                 {QStringLiteral("save"), QStringLiteral("delete")},
                 {QStringLiteral("saveByAux"), QStringLiteral("deleteByAux")}),
        Contrato(S::Cor, QStringLiteral("Cor"), ServidorVapora, Rpc),
        Contrato(S::ClasseProduto, QStringLiteral("ClasseProduto"), ServidorVapora, Rpc),
        Contrato(S::SubClasseProduto, QStringLiteral("SubClasseProduto"), ServidorVapora, Rpc),
        Contrato(S::Produto, QStringLiteral("Produto"), ServidorVapora, Rpc),
        Contrato(S::GerarOP, QStringLiteral("GerarOP"), MaquinaLocal, Documento,
                 {QStringLiteral("gerarOP"), QStringLiteral("excluir")}),
        Contrato(S::Programacao, QStringLiteral("Programacao"), ServidorVapora, Documento,
                 {QStringLiteral("programar"), QStringLiteral("excluirProgramacao"),
                  QStringLiteral("atualizarPodeIniciar")}),
        Contrato(S::TipoFio, QStringLiteral("TipoFio"), ServidorFios, Documento),
    };
    // The yarn-type service publishes its description as a file.
    contratos[8].LocalPadrao = ServidorFios + QStringLiteral("TipoFioWS.xml");
    return contratos;
}

} // namespace

const TContratoVapora& ContratoVapora(TServicoVapora servico)
{
    static const std::array<TContratoVapora, 9> contratos = MontaContratos();
    return contratos[static_cast<size_t>(servico)];
}

const std::array<TServicoVapora, 9>& ServicosVapora()
{
    using S = TServicoVapora;
    static const std::array<TServicoVapora, 9> servicos = {
        S::Artigo, S::Cliente, S::Cor, S::ClasseProduto, S::SubClasseProduto,
        S::Produto, S::GerarOP, S::Programacao, S::TipoFio};
    return servicos;
}

} // namespace Vapora
