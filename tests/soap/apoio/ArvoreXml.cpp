#include "ArvoreXml.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TNoXml LeNo(QXmlStreamReader& xml)
{
    TNoXml no;
    no.Espaco = xml.namespaceUri().toString();
    no.Nome = xml.name().toString();
    for (const QXmlStreamAttribute& a : xml.attributes())
        no.Atributos.append({QLatin1Char('{') + a.namespaceUri().toString() + QLatin1Char('}')
                                 + a.name().toString(),
                             a.value().toString()});
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement())
            no.Filhos.append(LeNo(xml));
        else if (xml.isCharacters())
            no.Texto += xml.text();
        else if (xml.isEndElement())
            break;
    }
    return no;
}

} // namespace

QString TNoXml::Atributo(const QString& espaco, const QString& nome) const
{
    const QString chave = QLatin1Char('{') + espaco + QLatin1Char('}') + nome;
    for (const auto& [n, v] : Atributos)
        if (n == chave)
            return v;
    return {};
}

QStringList TNoXml::NomesFilhos() const
{
    QStringList nomes;
    for (const TNoXml& filho : Filhos)
        nomes.append(filho.Nome);
    return nomes;
}

const TNoXml& TNoXml::Filho(const QString& nome) const
{
    for (const TNoXml& filho : Filhos)
        if (filho.Nome == nome)
            return filho;
    ADD_FAILURE() << "<" << Nome.toStdString() << "> não tem <" << nome.toStdString() << ">";
    static const TNoXml vazio;
    return vazio;
}

QList<const TNoXml*> TNoXml::FilhosChamados(const QString& nome) const
{
    QList<const TNoXml*> filhos;
    for (const TNoXml& filho : Filhos)
        if (filho.Nome == nome)
            filhos.append(&filho);
    return filhos;
}

TNoXml LeArvoreXml(const QString& texto)
{
    QXmlStreamReader xml(texto);
    while (!xml.atEnd() && !xml.isStartElement())
        xml.readNext();
    TNoXml raiz = LeNo(xml);
    while (!xml.atEnd())
        xml.readNext();
    if (xml.hasError())
        throw std::runtime_error("XML malformado: " + xml.errorString().toStdString());
    return raiz;
}

TNoXml OperacaoDoEnvelope(const QString& xml)
{
    const TNoXml envelope = LeArvoreXml(xml);
    if (envelope.Espaco != EspacoSoapEnv || envelope.Nome != QLatin1String("Envelope"))
        throw std::runtime_error("não é um envelope SOAP 1.1: " + xml.toStdString());
    const TNoXml& corpo = envelope.Filho(QStringLiteral("Body"));
    if (corpo.Filhos.size() != 1)
        throw std::runtime_error("o corpo SOAP deve ter um elemento: " + xml.toStdString());
    return corpo.Filhos.first();
}
