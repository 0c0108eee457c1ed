#pragma once

#include <QList>
#include <QString>

// An XML document as a tree, to check a message element by element.
struct TNoXml {
    QString Espaco;  // namespace URI
    QString Nome;    // local name
    QList<QPair<QString, QString>> Atributos; // "{namespace}name" -> value
    QString Texto;
    QList<TNoXml> Filhos;

    QString Atributo(const QString& espaco, const QString& nome) const;
    // The names of the children, in order.
    QStringList NomesFilhos() const;
    // The first child of that name; fails the test when there is none.
    const TNoXml& Filho(const QString& nome) const;
    QList<const TNoXml*> FilhosChamados(const QString& nome) const;
};

// Parses the document; raises std::runtime_error when it is not well-formed.
TNoXml LeArvoreXml(const QString& xml);

// The operation element of a SOAP request (Envelope/Body/first child).
TNoXml OperacaoDoEnvelope(const QString& xml);

inline const QString EspacoXsi = QStringLiteral("http://www.w3.org/2001/XMLSchema-instance");
inline const QString EspacoSoapEnv = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
