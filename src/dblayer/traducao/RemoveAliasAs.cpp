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

bool EhTipoDeCast(const QString& depois)
{
    const QString inicio = Maiusculas(Apara(TrocaQuebras(depois, u" ")).left(7));
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
    return !EhTipoDeCast(texto.mid(a + 2));
}

} // namespace

QString RemoveAliasAs(const QString& texto)
{
    QString resultado = texto;
    // Each pass either removes two letters or masks a pair, so the loop ends.
    qsizetype a = AchaCI(resultado, u"AS");
    while (a > 0 && a < resultado.size() - 2) {
        if (IntroduzAlias(resultado, a)) {
            resultado.remove(a, 2);
        } else {
            const bool exato = resultado[a] == u'A' && resultado[a + 1] == u'S';
            resultado.replace(a, 2, exato ? QStringLiteral("@%") : QStringLiteral("%@"));
        }
        a = AchaCI(resultado, u"AS");
    }
    resultado = SubstituiCS(resultado, u"@%", u"AS");
    return SubstituiCS(resultado, u"%@", u"as");
}
