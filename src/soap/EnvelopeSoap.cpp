#include "soap/EnvelopeSoap.h"

#include "soap/TextoXml.h"

namespace {

void EscreveElemento(QString& xml, const TElementoSoap& elemento, TEstiloSoap estilo)
{
    const TValorSoap& valor = elemento.Valor;
    xml += QLatin1Char('<') + elemento.Nome;
    if (valor.Tipo() == TValorSoap::TTipo::Estrutura) {
        xml += QLatin1Char('>');
        for (const TElementoSoap& filho : valor.Elementos())
            EscreveElemento(xml, filho, estilo);
    } else {
        if (estilo == TEstiloSoap::RpcCodificado)
            xml += QLatin1String(" xsi:type=\"") + valor.TipoXsd() + QLatin1Char('"');
        xml += QLatin1Char('>') + EscapaXml(valor.TextoXsd());
    }
    xml += QLatin1String("</") + elemento.Nome + QLatin1Char('>');
}

} // namespace

QByteArray MontaEnvelopeSoap(const TChamadaSoap& chamada, const QString& espaco)
{
    QString xml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"%1\""
        " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
        "<SOAP-ENV:Body>").arg(QLatin1String(EspacoEnvelopeSoap));

    // A prefix of its own for the services' namespace: the parameters, without
    // a prefix, stay in no namespace.
    xml += QLatin1String("<NS1:") + chamada.Operacao
         + QLatin1String(" xmlns:NS1=\"") + EscapaXml(espaco) + QLatin1Char('"');
    if (chamada.Estilo == TEstiloSoap::RpcCodificado)
        xml += QLatin1String(" SOAP-ENV:encodingStyle=\"")
             + QLatin1String(EspacoCodificacaoSoap) + QLatin1Char('"');
    xml += QLatin1Char('>');
    for (const TElementoSoap& parametro : chamada.Parametros)
        EscreveElemento(xml, parametro, chamada.Estilo);
    xml += QLatin1String("</NS1:") + chamada.Operacao + QLatin1Char('>');

    xml += QLatin1String("</SOAP-ENV:Body></SOAP-ENV:Envelope>");
    return xml.toUtf8();
}
