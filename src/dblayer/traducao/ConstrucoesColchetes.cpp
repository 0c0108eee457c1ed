#include "dblayer/traducao/ConstrucoesColchetes.h"

#include <vector>

namespace {

const QStringView kAberturas[] = {u"FIRST[", u"LIST[", u"HORA[", u"WEEK_NUMBER["};

// A construct whose "]" has not been reached yet.
struct Aberta {
    QStringView abertura;
    bool propria;     // the kind this step rewrites
    QString conteudo; // gathered so far, inner constructs already rewritten
};

// The opening that ends with the "[" at `colchete`, if any: this step's own
// first, so that it wins over a shorter opening with the same ending.
QStringView AberturaEm(const QString& texto, qsizetype colchete, QStringView propria)
{
    const auto termina = [&](QStringView abertura) {
        const qsizetype inicio = colchete + 1 - abertura.size();
        return inicio >= 0 && QStringView(texto).mid(inicio, abertura.size()) == abertura;
    };
    if (termina(propria))
        return propria;
    for (QStringView abertura : kAberturas)
        if (termina(abertura))
            return abertura;
    return {};
}

} // namespace

QString ConverteConstrucoes(const QString& texto, QStringView abertura,
                            const std::function<QString(const QString& conteudo)>& converte)
{
    if (!texto.contains(abertura))
        return texto;

    std::vector<Aberta> abertas;
    QString fora;
    fora.reserve(texto.size());
    const auto destino = [&]() -> QString& { return abertas.empty() ? fora : abertas.back().conteudo; };

    qsizetype lido = 0;
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (c == u'[') {
            const QStringView achada = AberturaEm(texto, i, abertura);
            if (achada.isEmpty())
                continue;
            destino() += QStringView(texto).mid(lido, i + 1 - achada.size() - lido);
            abertas.push_back({achada, achada == abertura, QString()});
            lido = i + 1;
        } else if (c == u']' && !abertas.empty()) {
            destino() += QStringView(texto).mid(lido, i - lido);
            lido = i + 1;
            Aberta fechada = std::move(abertas.back());
            abertas.pop_back();
            if (fechada.propria) {
                destino() += converte(fechada.conteudo);
            } else {
                destino() += fechada.abertura;
                destino() += fechada.conteudo;
                destino() += u']';
            }
        }
    }
    destino() += QStringView(texto).mid(lido);
    // Openings that never found their "]" stay as they were written.
    for (const Aberta& aberta : abertas) {
        fora += aberta.abertura;
        fora += aberta.conteudo;
    }
    return fora;
}
