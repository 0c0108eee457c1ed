#include "base/ListaLinhas.h"

QString TListaLinhas::Text() const
{
    QString texto;
    qsizetype tamanho = 0;
    for (const QString& linha : FLinhas)
        tamanho += linha.size() + 2;
    texto.reserve(tamanho);
    for (const QString& linha : FLinhas) {
        texto += linha;
        texto += QLatin1String("\r\n");
    }
    return texto;
}

void TListaLinhas::SetText(const QString& texto)
{
    FLinhas.clear();
    qsizetype inicio = 0;
    const qsizetype n = texto.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = texto[i];
        if (c == u'\r' || c == u'\n') {
            FLinhas.append(texto.mid(inicio, i - inicio));
            if (c == u'\r' && i + 1 < n && texto[i + 1] == u'\n')
                ++i;
            inicio = i + 1;
        }
        ++i;
    }
    if (inicio < n)
        FLinhas.append(texto.mid(inicio));
}

QString NormalizaComoLinhas(const QString& texto)
{
    TListaLinhas linhas;
    linhas.SetText(texto);
    return linhas.Text();
}
