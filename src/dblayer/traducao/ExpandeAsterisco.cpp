#include "dblayer/traducao/ExpandeAsterisco.h"

#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

void TListaAliases::Adiciona(const QString& alias, const QString& tabela)
{
    FAliases.append({Maiusculas(alias), TBaseAlias{Maiusculas(tabela)}});
}

const TBaseAlias* TListaAliases::Procura(const QString& alias) const
{
    const QString chave = Maiusculas(alias);
    for (const auto& [nome, base] : FAliases) {
        if (nome == chave)
            return &base;
    }
    return nullptr;
}

QString UltimaPalavra(const QString& texto)
{
    const qsizetype branco = texto.lastIndexOf(u' ');
    const qsizetype virgula = texto.lastIndexOf(u',');
    return texto.mid(qMax(branco, virgula) + 1);
}

namespace {

// The text up to the first blank, and the text after it (empty without one).
QString TiraPalavra(QString& resto)
{
    const qsizetype branco = resto.indexOf(u' ');
    const QString palavra = branco < 0 ? resto : resto.left(branco);
    resto = branco < 0 ? QString() : resto.mid(branco + 1);
    return palavra;
}

qsizetype ProximaFromOuJoin(const QString& texto)
{
    const qsizetype from = Acha(texto, u" FROM ");
    const qsizetype join = Acha(texto, u" JOIN ");
    if (from < 0 || join < 0)
        return qMax(from, join);
    return qMin(from, join);
}

} // namespace

TListaAliases MontaAliases(const QString& texto)
{
    TListaAliases aliases;
    QString resto = Maiusculas(Apara(TrocaQuebras(texto, u"  ")));
    for (qsizetype k = ProximaFromOuJoin(resto); k >= 0; k = ProximaFromOuJoin(resto)) {
        resto = resto.mid(k + 6);
        const QString tabela = TiraPalavra(resto);
        const QString alias = TiraPalavra(resto);
        aliases.Adiciona(alias, tabela);
    }
    return aliases;
}

QStringList SQLListaCampos(const QString& tabela, bool semBlobs)
{
    QStringList linhas;
    linhas << QStringLiteral("SELECT T.COLUMN_NAME AS NmCampo FROM USER_TAB_COLUMNS t")
           << QStringLiteral("WHERE t.TABLE_NAME = ") + Aspas(tabela);
    if (semBlobs) {
        linhas << QStringLiteral("AND Ltrim(Rtrim(T.DATA_TYPE)) NOT IN (") + Aspas(u"BLOB")
                      + QStringLiteral(", ") + Aspas(u"CLOB") + u')';
    }
    linhas << QStringLiteral("ORDER BY T.COLUMN_ID");
    return linhas;
}

QString ListaCampos(const QString& tabela, const QString& alias, const ListaColunasFn& colunas)
{
    const QStringList nomes = colunas ? colunas(tabela) : QStringList();
    QString campos;
    for (qsizetype i = 0; i < nomes.size(); ++i) {
        if (i > 0)
            campos += alias;
        campos += u'.' + Apara(nomes[i]);
        campos += (i + 1 < nomes.size()) ? QStringLiteral(", ") : QStringLiteral(" ");
    }
    return campos;
}

namespace {

// The qualifier in front of the star at 'estrela', upper-cased. Line breaks
// count as blanks.
QString Qualificador(const QString& texto, qsizetype estrela)
{
    const QString antes = AparaEsquerda(TrocaQuebras(texto.left(estrela), u"  "));
    return Maiusculas(UltimaPalavra(antes));
}

bool QualificadorSimples(const QString& q)
{
    return !q.contains(u' ') && !q.contains(u')') && !q.contains(u',');
}

} // namespace

QString ExpandeAsterisco(const QString& texto, const ListaColunasFn& colunas)
{
    if (!ContemCI(texto, u"DISTINCT") && !ContemCI(texto, u"GROUP BY"))
        return texto;

    QString resultado = texto;
    qsizetype estrela = Acha(resultado, u".*");
    if (estrela >= 0) {
        const TListaAliases aliases = MontaAliases(resultado);
        // The search moves past every star it has looked at, expanded or not.
        while (estrela >= 0) {
            const QString q = Qualificador(resultado, estrela);
            const TBaseAlias* base = QualificadorSimples(q) ? aliases.Procura(q) : nullptr;
            qsizetype seguinte = estrela + 2;
            if (base) {
                const QString campos =
                    base->NmBase.isEmpty() ? QString() : ListaCampos(base->NmBase, q, colunas);
                resultado.replace(estrela, 2, campos);
                seguinte = estrela + campos.size();
            }
            estrela = Acha(resultado, u".*", seguinte);
        }
    }
    return SubstituiCS(resultado, u"@@@@@@@@", u"DISTINCT");
}
