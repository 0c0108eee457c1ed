#include "base/Apara.h"

QString Apara(QStringView texto)
{
    qsizetype inicio = 0;
    qsizetype fim = texto.size();
    while (inicio < fim && texto[inicio].unicode() <= 32)
        ++inicio;
    while (fim > inicio && texto[fim - 1].unicode() <= 32)
        --fim;
    return texto.mid(inicio, fim - inicio).toString();
}

QString AparaEsquerda(QStringView texto)
{
    qsizetype inicio = 0;
    while (inicio < texto.size() && texto[inicio].unicode() <= 32)
        ++inicio;
    return texto.mid(inicio).toString();
}
