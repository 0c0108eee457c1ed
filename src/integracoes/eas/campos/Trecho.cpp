#include "integracoes/eas/campos/Trecho.h"

QString Trecho(QStringView texto, qsizetype inicio, qsizetype tamanho)
{
    if (inicio < 0) {
        tamanho += inicio;
        inicio = 0;
    }
    if (tamanho <= 0 || inicio >= texto.size())
        return {};
    qsizetype fim = qMin(texto.size(), inicio + tamanho);
    if (inicio > 0 && texto[inicio].isLowSurrogate() && texto[inicio - 1].isHighSurrogate())
        ++inicio;
    if (fim < texto.size() && texto[fim].isLowSurrogate() && texto[fim - 1].isHighSurrogate())
        --fim;
    return inicio < fim ? texto.mid(inicio, fim - inicio).toString() : QString();
}

QString Esquerda(QStringView texto, qsizetype tamanho)
{
    return Trecho(texto, 0, tamanho);
}

QString Direita(QStringView texto, qsizetype tamanho)
{
    if (tamanho <= 0)
        return {};
    return Trecho(texto, texto.size() - tamanho, tamanho);
}

std::optional<qint64> InteiroDecimal(QStringView texto)
{
    qsizetype i = 0;
    const bool negativo = !texto.isEmpty() && texto[0] == u'-';
    if (!texto.isEmpty() && (texto[0] == u'-' || texto[0] == u'+'))
        i = 1;
    const qsizetype digitos = texto.size() - i;
    if (digitos < 1 || digitos > 18)
        return std::nullopt;
    qint64 valor = 0;
    for (; i < texto.size(); ++i) {
        const char16_t c = texto[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        valor = valor * 10 + (c - u'0');
    }
    return negativo ? -valor : valor;
}
