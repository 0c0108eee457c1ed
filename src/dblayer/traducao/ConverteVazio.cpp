#include "dblayer/traducao/ConverteVazio.h"

#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

namespace {

bool EhModificacao(const QString& texto)
{
    return (ContemCI(texto, u"UPDATE") && ContemCI(texto, u"SET"))
        || (ContemCI(texto, u"DELETE") && ContemCI(texto, u"FROM"));
}

// The next "= ''" (or, failing that, "=''") and its length.
qsizetype AchaIgualVazio(const QString& texto, qsizetype& tamanho)
{
    qsizetype c = Acha(texto, u"= ''");
    tamanho = 4;
    if (c < 0) {
        c = Acha(texto, u"=''");
        tamanho = 3;
    }
    return c;
}

// Each pass removes one "=", so the loop ends.
QString TrocaComparacoes(QString texto)
{
    qsizetype tamanho = 0;
    for (qsizetype c = AchaIgualVazio(texto, tamanho); c >= 0; c = AchaIgualVazio(texto, tamanho)) {
        const QChar antes = c > 0 ? texto[c - 1] : QChar();
        if (antes == u'>' || antes == u'<')
            texto = TrocaTrecho(texto, c - 1, c + tamanho - 1, u" IS NOT NULL ");
        else
            texto = TrocaTrecho(texto, c, c + tamanho - 1, u" IS NULL ");
    }
    return texto;
}

} // namespace

QString ConverteVazio(const QString& texto)
{
    QString resultado = SubstituiCS(texto, u"<> ''", u" IS NOT NULL ");
    resultado = SubstituiCS(resultado, u"<>''", u" IS NOT NULL ");
    if (!Contem(resultado, u"''"))
        return resultado;

    QString cabeca;
    const qsizetype where = EhModificacao(resultado) ? AchaCI(resultado, u"WHERE") : -1;
    if (where >= 0) {
        cabeca = resultado.left(where);
        resultado = resultado.mid(where);
        // The WHERE part without the text's final line break; the line list
        // puts it back.
        if (resultado.endsWith(QLatin1String("\r\n")))
            resultado.chop(2);
    }
    return cabeca + TrocaComparacoes(resultado);
}
