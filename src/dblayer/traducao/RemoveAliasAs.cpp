#include "dblayer/traducao/RemoveAliasAs.h"

#include "dblayer/traducao/TextoSQL.h"

#include <QStringList>

using namespace TextoSQL;

namespace {

bool EhQuebraOuBranco(QChar c)
{
    return c == u' ' || c == u'\r' || c == u'\n';
}

// Whether the first character left of 'pos' that is not a blank or a line
// break is ")".
bool FechaParentesesAntes(const QString& texto, qsizetype pos)
{
    qsizetype i = pos - 1;
    while (i >= 0 && EhQuebraOuBranco(texto[i]))
        --i;
    return i >= 0 && texto[i] == u')';
}

// The first seven characters after the pair, read as trimmed text with each
// CR LF as one blank, say whether the AS belongs to a type cast.
bool EhTipoDeCast(const QString& texto, qsizetype depois)
{
    qsizetype i = depois;
    while (i < texto.size() && texto[i].unicode() <= 32)
        ++i;
    QString inicio;
    for (; i < texto.size() && inicio.size() < 7; ++i) {
        const bool quebra = texto[i] == u'\r' && i + 1 < texto.size() && texto[i + 1] == u'\n';
        inicio += quebra ? QChar(u' ') : texto[i];
        if (quebra)
            ++i;
    }
    inicio = Maiusculas(Apara(inicio));
    static const QStringList tipos = {QStringLiteral("DECIMAL"), QStringLiteral("INTEGER"),
                                      QStringLiteral("VARCHAR"), QStringLiteral("NUMERIC")};
    return tipos.contains(inicio) || inicio.startsWith(QLatin1String("DATE"))
        || inicio.startsWith(QLatin1String("TIME"));
}

bool IntroduzAlias(const QString& texto, qsizetype a)
{
    if (!FechaParentesesAntes(texto, a))
        return false;
    const QChar depois = texto[a + 2];
    if (!EhQuebraOuBranco(depois) && depois != u'(')
        return false;
    return !EhTipoDeCast(texto, a + 2);
}

} // namespace

QString RemoveAliasAs(const QString& texto)
{
    QString resultado = texto;
    // Each pass either removes two letters or masks a pair, so the loop ends.
    // Neither can make a new pair before 'a' (a removed pair follows a blank,
    // a line break or ")"), so the next search starts there.
    qsizetype a = AchaCI(resultado, u"AS");
    while (a > 0 && a < resultado.size() - 2) {
        if (IntroduzAlias(resultado, a)) {
            resultado.remove(a, 2);
        } else {
            const bool exato = resultado[a] == u'A' && resultado[a + 1] == u'S';
            resultado[a] = exato ? u'@' : u'%';
            resultado[a + 1] = exato ? u'%' : u'@';
        }
        a = AchaCI(resultado, u"AS", a);
    }
    resultado = SubstituiCS(resultado, u"@%", u"AS");
    return SubstituiCS(resultado, u"%@", u"as");
}
