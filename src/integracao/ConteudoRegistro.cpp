#include "integracao/ConteudoRegistro.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

QString TextoDoValor(const QVariant& valor)
{
    if (valor.isNull())
        return QStringLiteral("NULL");
    switch (valor.typeId()) {
    case QMetaType::QString:
        return u'\'' + valor.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
    case QMetaType::QDateTime:
        return valor.toDateTime().toString(Qt::ISODateWithMs);
    case QMetaType::QDate:
        return valor.toDate().toString(Qt::ISODate);
    case QMetaType::QTime:
        return valor.toTime().toString(Qt::ISODateWithMs);
    case QMetaType::QByteArray:
        return QStringLiteral("x'") + QString::fromLatin1(valor.toByteArray().toHex()) + u'\'';
    default:
        // Numbers and booleans: QVariant writes them in the C locale.
        return valor.toString();
    }
}

QString ConteudoDosValores(const QList<std::pair<QString, QVariant>>& valores)
{
    QString conteudo;
    for (const auto& [nome, valor] : valores) {
        if (!conteudo.isEmpty())
            conteudo += u'\n';
        conteudo += nome;
        conteudo += u'=';
        conteudo += TextoDoValor(valor);
    }
    return conteudo;
}
