#include "dblayer/ParametrosSQL.h"

namespace {

bool ParteDoNome(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

} // namespace

QStringList NomesParametros(const QString& texto)
{
    QStringList nomes;
    QChar aspas;
    const qsizetype n = texto.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = texto[i];
        if (!aspas.isNull()) {
            if (c == aspas)
                aspas = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            aspas = c;
            continue;
        }
        if (c != u':' || (i > 0 && texto[i - 1] == u':') || i + 1 >= n || !ParteDoNome(texto[i + 1]))
            continue;
        qsizetype fim = i + 1;
        while (fim < n && ParteDoNome(texto[fim]))
            ++fim;
        const QString nome = texto.mid(i + 1, fim - i - 1);
        if (!nomes.contains(nome))
            nomes << nome;
        i = fim - 1;
    }
    return nomes;
}
