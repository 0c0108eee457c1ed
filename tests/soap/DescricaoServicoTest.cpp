#include "soap/DescricaoServico.h"
#include "soap/ErrosSoap.h"

#include <gtest/gtest.h>

namespace {

// Two services; the second's port has no SOAP address. The binding is named
// with another prefix for the same namespace, as descriptions often do.
const QByteArray Wsdl = R"(<?xml version="1.0"?>
<wsdl:definitions targetNamespace="urn:teste:fios" xmlns:wsdl="http://schemas.xmlsoap.org/wsdl/"
    xmlns:s="http://schemas.xmlsoap.org/wsdl/soap/" xmlns:t="urn:teste:fios" xmlns:u="urn:teste:fios">
  <wsdl:portType name="Fios"><wsdl:operation name="tece"/></wsdl:portType>
  <wsdl:binding name="FiosRpc" type="t:Fios">
    <s:binding style="rpc" transport="http://schemas.xmlsoap.org/soap/http"/>
    <wsdl:operation name="tece">
      <s:operation soapAction="urn:tece"/>
      <wsdl:input><s:body use="encoded"/></wsdl:input>
    </wsdl:operation>
    <wsdl:operation name="corta">
      <wsdl:input><s:body use="literal"/></wsdl:input>
    </wsdl:operation>
  </wsdl:binding>
  <wsdl:binding name="FiosDoc" type="t:Fios">
    <wsdl:operation name="tece"><s:operation soapAction="urn:outra" style="document"/></wsdl:operation>
  </wsdl:binding>
  <wsdl:service name="FiosService">
    <wsdl:port name="FiosPort" binding="u:FiosRpc"><s:address location="http://fios:81/ws"/></wsdl:port>
    <wsdl:port name="FiosDocPort" binding="t:FiosDoc"><s:address location="http://fios:82/ws"/></wsdl:port>
  </wsdl:service>
  <wsdl:service name="SemEndereco">
    <wsdl:port name="Porta" binding="t:FiosRpc"/>
  </wsdl:service>
</wsdl:definitions>)";

const QString Local = QStringLiteral("http://exemplo/fios?wsdl");

TEST(DescricaoServico, LeEspacoEnderecoEAcoes)
{
    const TDescricaoServico d = LeDescricaoServico(Wsdl, Local);
    EXPECT_EQ(d.EspacoAlvo, QLatin1String("urn:teste:fios"));

    const TPortaDescrita& rpc = d.Porta(QStringLiteral("FiosService"), QStringLiteral("FiosPort"), Local);
    EXPECT_EQ(rpc.Endereco, QLatin1String("http://fios:81/ws"));
    const TOperacaoDescrita* tece = d.Operacao(rpc, QStringLiteral("tece"));
    ASSERT_TRUE(tece);
    EXPECT_EQ(tece->AcaoSoap, QLatin1String("urn:tece"));
    EXPECT_EQ(tece->Estilo, QLatin1String("rpc"));
    EXPECT_EQ(tece->Uso, QLatin1String("encoded"));
    const TOperacaoDescrita* corta = d.Operacao(rpc, QStringLiteral("corta"));
    ASSERT_TRUE(corta);
    EXPECT_EQ(corta->AcaoSoap, QString());
    EXPECT_EQ(d.Operacao(rpc, QStringLiteral("tinge")), nullptr);

    // Each port has the actions of its own binding.
    const TPortaDescrita& doc = d.Porta(QStringLiteral("FiosService"), QStringLiteral("FiosDocPort"), Local);
    EXPECT_EQ(doc.Endereco, QLatin1String("http://fios:82/ws"));
    EXPECT_EQ(d.Operacao(doc, QStringLiteral("tece"))->AcaoSoap, QLatin1String("urn:outra"));
    EXPECT_EQ(d.Operacao(doc, QStringLiteral("tece"))->Estilo, QLatin1String("document"));
}

struct CasoPorta {
    const char* servico;
    const char* porta;
    const char* trecho; // what the error must name
};

class PortaQueFalta : public ::testing::TestWithParam<CasoPorta> {};

TEST_P(PortaQueFalta, FalhaDizendoOQueFalta)
{
    const TDescricaoServico d = LeDescricaoServico(Wsdl, Local);
    try {
        d.Porta(QString::fromLatin1(GetParam().servico), QString::fromLatin1(GetParam().porta), Local);
        FAIL() << "sem erro";
    } catch (const ESoapDescricao& e) {
        EXPECT_TRUE(e.Message().contains(QString::fromUtf8(GetParam().trecho))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(Local)) << e.Message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Casos, PortaQueFalta, ::testing::Values(
    CasoPorta{"OutroService", "FiosPort", "não tem o serviço \"OutroService\""},
    CasoPorta{"FiosService", "OutraPort", "não tem a porta \"OutraPort\""},
    CasoPorta{"SemEndereco", "Porta", "não tem endereço SOAP"}));

TEST(DescricaoServico, DocumentoQueNaoEhWsdlFalha)
{
    const struct {
        QByteArray xml;
        const char* trecho;
    } casos[] = {
        {"<html><body>404</body></html>", "não é uma descrição de serviço"},
        {"<definitions xmlns=\"urn:outra\"/>", "não é uma descrição de serviço"},
        {"<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\"><wsdl:service>",
         "XML inválido"},
        {"não é XML", "XML inválido"},
    };
    for (const auto& caso : casos) {
        try {
            LeDescricaoServico(caso.xml, Local);
            ADD_FAILURE() << "sem erro: " << caso.xml.toStdString();
        } catch (const ESoapDescricao& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(caso.trecho))) << e.Message().toStdString();
        }
    }
}

} // namespace
