#include "RespostasSoap.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString EspacoEnvelope = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");

template <class TCorpo>
QByteArray Envelope(TCorpo escreveCorpo)
{
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.writeStartDocument();
    xml.writeNamespace(EspacoEnvelope, QStringLiteral("soapenv"));
    xml.writeNamespace(QString::fromLatin1(EspacoServicos), QStringLiteral("ns"));
    xml.writeStartElement(EspacoEnvelope, QStringLiteral("Envelope"));
    xml.writeStartElement(EspacoEnvelope, QStringLiteral("Body"));
    escreveCorpo(xml);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return bytes;
}

} // namespace

QString OperacaoDoPedido(const QByteArray& corpo)
{
    QXmlStreamReader xml(corpo);
    int profundidade = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement())
            --profundidade;
        if (!xml.isStartElement())
            continue;
        ++profundidade;
        if (profundidade == 1 && xml.name() != QLatin1String("Envelope"))
            return {};
        if (profundidade == 3)
            return xml.name().toString();
    }
    return {};
}

QByteArray EnvelopeSucesso(const QString& operacao)
{
    return Envelope([&](QXmlStreamWriter& xml) {
        xml.writeEmptyElement(QString::fromLatin1(EspacoServicos), operacao + QStringLiteral("Response"));
    });
}

QByteArray EnvelopeFalha(const QString& servico, const QString& textoFalha)
{
    return Envelope([&](QXmlStreamWriter& xml) {
        xml.writeStartElement(EspacoEnvelope, QStringLiteral("Fault"));
        xml.writeTextElement(QStringLiteral("faultcode"), QStringLiteral("soapenv:Server"));
        xml.writeTextElement(QStringLiteral("faultstring"), textoFalha);
        xml.writeStartElement(QStringLiteral("detail"));
        xml.writeStartElement(QString::fromLatin1(EspacoServicos), QStringLiteral("BaseException"));
        if (servico == QLatin1String("TipoFioWS"))
            xml.writeTextElement(QStringLiteral("message"), textoFalha);
        xml.writeEndElement();
        xml.writeEndElement();
        xml.writeEndElement();
    });
}
