#include "base/TextoAscii.h"

QString MaiusculasAscii(QStringView texto)
{
    QString resultado = texto.toString();
    for (QChar& c : resultado)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 'a' + 'A');
    return resultado;
}

QString LiteralSql(QStringView texto)
{
    QString literal;
    literal.reserve(texto.size() + 2);
    literal += u'\'';
    for (const QChar c : texto) {
        if (c == u'\'')
            literal += u'\'';
        literal += c;
    }
    literal += u'\'';
    return literal;
}
