// Binding the nine interfaces to their services.
#include "ArvoreXml.h"
#include "ServicoVaporaTeste.h"

#include "integracoes/vapora/contratos/ArtigoWS.h"
#include "integracoes/vapora/contratos/CorWS.h"
#include "integracoes/vapora/contratos/TipoFioWS.h"

using namespace Vapora;

namespace {

struct CasoPadrao {
    TServicoVapora servico;
    const char* nome;        // of the interface
    const char* descricao;   // default description location
    const char* endereco;    // default endpoint address
};

class LocalPadrao : public ::testing::TestWithParam<CasoPadrao> {};

TEST_P(LocalPadrao, LocalVazioLigaAoPadraoDoServico)
{
    const CasoPadrao& caso = GetParam();
    const QString nome = QString::fromLatin1(caso.nome);

    TClienteVapora porDescricao;
    ObtemPorServico(caso.servico, true, QString(), &porDescricao);
    EXPECT_EQ(porDescricao.LocalDescricao(), QLatin1String(caso.descricao));
    EXPECT_EQ(porDescricao.Servico(), nome + QStringLiteral("Service"));
    EXPECT_EQ(porDescricao.Porta(), nome + QStringLiteral("Port"));
    EXPECT_EQ(porDescricao.Endereco(), QString());

    TClienteVapora porEndereco;
    ObtemPorServico(caso.servico, false, QString(), &porEndereco);
    EXPECT_EQ(porEndereco.Endereco(), QLatin1String(caso.endereco));
    EXPECT_EQ(porEndereco.LocalDescricao(), QString());

    const QString configurado = QStringLiteral("http://configurado:1/x?wsdl");
    TClienteVapora outro;
    ObtemPorServico(caso.servico, true, configurado, &outro);
    EXPECT_EQ(outro.LocalDescricao(), configurado);
}

INSTANTIATE_TEST_SUITE_P(Nove, LocalPadrao, ::testing::Values(
    CasoPadrao{TServicoVapora::Artigo, "ArtigoWS", "http://servidor-vapora:3030/integracao/ArtigoWS?wsdl",
               "http://servidor-vapora:3030/integracao/ArtigoWS"},
    CasoPadrao{TServicoVapora::Cliente, "ClienteWS", "http://servidor-vapora:3030/integracao/ClienteWS?wsdl",
               "http://servidor-vapora:3030/integracao/ClienteWS"},
    CasoPadrao{TServicoVapora::Cor, "CorWS", "http://servidor-vapora:3030/integracao/CorWS?wsdl",
               "http://servidor-vapora:3030/integracao/CorWS"},
    CasoPadrao{TServicoVapora::ClasseProduto, "ClasseProdutoWS",
               "http://servidor-vapora:3030/integracao/ClasseProdutoWS?wsdl",
               "http://servidor-vapora:3030/integracao/ClasseProdutoWS"},
    CasoPadrao{TServicoVapora::SubClasseProduto, "SubClasseProdutoWS",
               "http://servidor-vapora:3030/integracao/SubClasseProdutoWS?wsdl",
               "http://servidor-vapora:3030/integracao/SubClasseProdutoWS"},
    CasoPadrao{TServicoVapora::Produto, "ProdutoWS", "http://servidor-vapora:3030/integracao/ProdutoWS?wsdl",
               "http://servidor-vapora:3030/integracao/ProdutoWS"},
    CasoPadrao{TServicoVapora::GerarOP, "GerarOPWS", "http://localhost:3030/integracao/GerarOPWS?wsdl",
               "http://localhost:3030/integracao/GerarOPWS"},
    CasoPadrao{TServicoVapora::Programacao, "ProgramacaoWS",
               "http://servidor-vapora:3030/integracao/ProgramacaoWS?wsdl",
               "http://servidor-vapora:3030/integracao/ProgramacaoWS"},
    CasoPadrao{TServicoVapora::TipoFio, "TipoFioWS", "http://servidor-fios:8080/integracao/TipoFioWS.xml",
               "http://servidor-fios:8080/integracao/TipoFioWS"}),
    [](const auto& caso) { return std::string(caso.param.nome); });

using Ligacao = ServicoVapora;

TEST_F(Ligacao, SemClienteCriaUmQueUsaOPadrao)
{
    auto artigo = ObtemArtigoWS(true, QString());
    EXPECT_EQ(artigo->Cliente().LocalDescricao(),
              QLatin1String("http://servidor-vapora:3030/integracao/ArtigoWS?wsdl"));
    // The default server does not exist here: the error names where it looked.
    try {
        artigo->save(QStringLiteral("A1"), QStringLiteral("Algodão"));
        FAIL() << "sem erro";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("http://servidor-vapora:3030/integracao/ArtigoWS?wsdl")))
            << e.Message().toStdString();
    }
}

// The dispatcher binds again for every queue row: the description is read
// once per location, and again when the configured location changes.
TEST_F(Ligacao, DescricaoLidaUmaVezPorLocal)
{
    TClienteVapora HTTPCor;
    const QString local = Servico().LocalDescricao(QStringLiteral("CorWS"));
    ObtemCorWS(true, local, &HTTPCor)->save(QStringLiteral("AZ"), QStringLiteral("Azul"), 0, 1, 2, 3);
    ObtemCorWS(true, local, &HTTPCor)->delete_(QStringLiteral("AZ"));
    ObtemCorWS(true, local, &HTTPCor)->delete_(QStringLiteral("VD"));
    EXPECT_EQ(Servico().LeiturasDescricao(QStringLiteral("CorWS")), 1);

    const QString outroLocal = local + QStringLiteral("=outro");
    ObtemCorWS(true, outroLocal, &HTTPCor)->delete_(QStringLiteral("AZ"));
    ObtemCorWS(true, outroLocal, &HTTPCor)->delete_(QStringLiteral("AZ"));
    EXPECT_EQ(Servico().LeiturasDescricao(QStringLiteral("CorWS")), 2);
    EXPECT_EQ(Servico().Chamadas().size(), 5);
}

TEST_F(Ligacao, PorEnderecoNaoLeDescricaoEUsaOEspacoDoContrato)
{
    ObtemTipoFioWS(false, Servico().Endereco(QStringLiteral("TipoFioWS")))->delete_(42);
    const auto pedidos = Servico().Pedidos();
    ASSERT_EQ(pedidos.size(), 1);
    EXPECT_EQ(pedidos[0].Cabecalho("soapaction"), QLatin1String("\"\""));
    const TNoXml elemento = OperacaoDoEnvelope(pedidos[0].Corpo);
    EXPECT_EQ(elemento.Espaco, QLatin1String(EspacoVapora));
    EXPECT_EQ(elemento.Filho(QStringLiteral("aux")).Texto, QLatin1String("42"));
}

} // namespace
