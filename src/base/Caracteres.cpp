#include "base/Caracteres.h"

QString PrimeirosCaracteres(QStringView texto, qsizetype quantos)
{
    qsizetype fim = 0;
    for (qsizetype n = 0; n < quantos && fim < texto.size(); ++n) {
        const bool par = texto[fim].isHighSurrogate() && fim + 1 < texto.size()
            && texto[fim + 1].isLowSurrogate();
        fim += par ? 2 : 1;
    }
    return texto.left(fim).toString();
}
