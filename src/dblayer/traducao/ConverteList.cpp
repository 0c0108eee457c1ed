#include "dblayer/traducao/ConverteList.h"

#include "dblayer/traducao/ConstrucoesColchetes.h"
#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

namespace {

struct PartesList {
    QString expressao;
    QString separador;
    QString ordem;
};

PartesList SeparaPartes(const QString& c)
{
    PartesList partes;
    const qsizetype virgula = c.indexOf(u',');
    partes.expressao = virgula < 0 ? c : c.left(virgula);
    const qsizetype abreAspas = c.indexOf(u'\'', partes.expressao.size());
    const qsizetype fechaAspas = abreAspas < 0 ? -1 : c.indexOf(u'\'', abreAspas + 1);
    if (fechaAspas < 0)
        return partes;
    partes.separador = c.mid(abreAspas + 1, fechaAspas - abreAspas - 1);
    const qsizetype virgulaOrdem = c.indexOf(u',', fechaAspas + 1);
    if (virgulaOrdem >= 0)
        partes.ordem = c.mid(virgulaOrdem + 1);
    return partes;
}

// The inner REGEXP_REPLACE drops repeated neighbouring values from the
// ordered list, the outer one the doubled separators left behind.
QString AgregadoOracle(const PartesList& p)
{
    const QString& sep = p.separador;
    const QString expressao = SubstituiCI(p.expressao, u"DISTINCT", u"");
    return QStringLiteral("REGEXP_REPLACE( REGEXP_REPLACE( XMLAGG(XMLELEMENT(E,") + expressao + u','
        + Aspas(sep) + QStringLiteral(").EXTRACT(") + Aspas(u"//text()") + QStringLiteral(") ORDER BY ")
        + p.ordem + QStringLiteral(").GETCLOBVAL() ,")
        + Aspas(QStringLiteral("([^") + sep + QStringLiteral("]+)(") + sep + QStringLiteral("\\1)*(") + sep
                + QStringLiteral("|$)"))
        + QStringLiteral(", ") + Aspas(u"\\1\\3") + QStringLiteral(") ,")
        + Aspas(u'(' + sep + sep + u')') + u',' + Aspas(u"") + QStringLiteral(") ");
}

QString Converte(const PartesList& p, const QString& driverId)
{
    if (driverId == QLatin1String("FB"))
        return QStringLiteral("LIST(") + p.expressao + QStringLiteral(", ") + Aspas(p.separador) + u')';
    if (driverId == QLatin1String("PG"))
        return QStringLiteral("STRING_AGG(") + p.expressao + QStringLiteral(", ") + Aspas(p.separador)
            + u')';
    if (driverId == QLatin1String("Ora"))
        return AgregadoOracle(p);
    return QString();
}

} // namespace

QString ConverteList(const QString& texto, const QString& driverId)
{
    return ConverteConstrucoes(texto, u"LIST[", [&](const QString& conteudo) {
        return Converte(SeparaPartes(conteudo), driverId);
    });
}
