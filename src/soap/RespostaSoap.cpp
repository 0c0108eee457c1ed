#include "soap/RespostaSoap.h"

#include "soap/EnvelopeSoap.h"

#include <QXmlStreamReader>

namespace {

const QString Soap11 = QString::fromLatin1(EspacoEnvelopeSoap);
const QString Soap12 = QStringLiteral("http://www.w3.org/2003/05/soap-envelope");

bool EhDoEnvelope(const QXmlStreamReader& xml, QStringView nome)
{
    return xml.name() == nome
        && (xml.namespaceUri() == Soap11 || xml.namespaceUri() == Soap12);
}

// Reads the fault element the reader stands on, up to its end.
void LeFalha(QXmlStreamReader& xml, TRespostaSoap& resposta)
{
    resposta.Tipo = TRespostaSoap::TTipo::Falha;
    int profundidade = 1;
    QString pai;
    bool noDetalhe = false;
    while (profundidade > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            --profundidade;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        ++profundidade;
        const QString nome = xml.name().toString();
        if (profundidade == 2 && (nome == QLatin1String("detail") || nome == QLatin1String("Detail"))) {
            noDetalhe = true;
            continue;
        }
        if (noDetalhe && profundidade == 3 && resposta.NomeDetalhe.isEmpty()) {
            resposta.NomeDetalhe = nome;
            continue;
        }
        if (noDetalhe && profundidade == 4 && nome == QLatin1String("message")) {
            resposta.TextoDetalhe = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            --profundidade;
            continue;
        }
        if (profundidade == 2 && nome == QLatin1String("faultcode")) {
            resposta.CodigoFalha = xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            --profundidade;
        } else if (profundidade == 2 && nome == QLatin1String("faultstring")) {
            resposta.TextoFalha = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            --profundidade;
        } else if (profundidade == 3 && nome == QLatin1String("Text") && resposta.TextoFalha.isEmpty()) {
            // SOAP 1.2: Reason/Text.
            resposta.TextoFalha = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            --profundidade;
        }
    }
}

} // namespace

TRespostaSoap LeRespostaSoap(const QByteArray& corpo)
{
    TRespostaSoap resposta;
    if (corpo.trimmed().isEmpty())
        return resposta;

    QXmlStreamReader xml(corpo);
    int profundidade = 0;
    bool noCorpo = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement()) {
            --profundidade;
            noCorpo = noCorpo && profundidade >= 2;
            continue;
        }
        if (!xml.isStartElement())
            continue;
        ++profundidade;
        if (profundidade == 1 && !EhDoEnvelope(xml, u"Envelope")) {
            resposta.Tipo = TRespostaSoap::TTipo::Ilegivel;
            resposta.Problema = QStringLiteral("o elemento raiz é <%1>, não um envelope SOAP")
                                    .arg(xml.qualifiedName());
            return resposta;
        }
        if (profundidade == 2 && EhDoEnvelope(xml, u"Body"))
            noCorpo = true;
        else if (profundidade == 3 && noCorpo && EhDoEnvelope(xml, u"Fault")) {
            LeFalha(xml, resposta);
            --profundidade;
        }
    }
    if (xml.hasError()) {
        resposta.Tipo = TRespostaSoap::TTipo::Ilegivel;
        resposta.Problema = QStringLiteral("XML inválido na linha %1, coluna %2: %3")
                                .arg(xml.lineNumber()).arg(xml.columnNumber()).arg(xml.errorString());
    } else if (resposta.Tipo == TRespostaSoap::TTipo::Vazia) {
        resposta.Tipo = TRespostaSoap::TTipo::Sucesso;
    }
    return resposta;
}
