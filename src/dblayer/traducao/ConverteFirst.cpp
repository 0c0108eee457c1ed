#include "dblayer/traducao/ConverteFirst.h"

#include "dblayer/traducao/ConstrucoesColchetes.h"
#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

namespace {

struct PartesFirst {
    bool externo = false; // mode 'E'
    QString interno;      // the inner select
    QString alias;
    QString limite;       // n
};

PartesFirst SeparaPartes(const QString& conteudo)
{
    const QString c = TrocaQuebras(conteudo, u" ");
    PartesFirst partes;
    qsizetype modo = c.indexOf(QLatin1String("'E'"));
    partes.externo = modo >= 0;
    if (!partes.externo)
        modo = c.indexOf(QLatin1String("'I'"));

    const qsizetype abre = c.indexOf(u'(');
    const qsizetype fecha = c.lastIndexOf(u')');
    partes.interno = Apara(Trecho(c, abre + 1, fecha - 1));
    const qsizetype virgulaAlias = c.indexOf(u',', fecha + 1);
    partes.alias = Apara(Trecho(c, fecha + 1, (virgulaAlias < 0 ? c.size() : virgulaAlias) - 1));
    const qsizetype virgulaLimite = modo < 0 ? -1 : c.indexOf(u',', modo);
    partes.limite = Apara(virgulaLimite < 0 ? c : c.mid(virgulaLimite + 1));
    return partes;
}

// The inner select with the row condition of Oracle (ROWNUM <= n, in its
// WHERE) or the limit of PostgreSQL (LIMIT n, at its end) put in.
QString PoeCondicao(const QString& interno, const QString& condicao, bool oracle)
{
    const qsizetype where = AchaCI(interno, u"WHERE");
    if (where >= 0) {
        if (oracle)
            return interno.left(where + 5) + u' ' + condicao + QStringLiteral(" AND ")
                + interno.mid(where + 5);
        return interno.left(where) + QStringLiteral(" WHERE ") + interno.mid(where + 5) + u' '
            + condicao;
    }
    qsizetype grupo = AchaCI(interno, u"GROUP BY");
    if (grupo < 0)
        grupo = AchaCI(interno, u"ORDER BY");
    if (grupo >= 0) {
        if (oracle)
            return interno.left(grupo) + QStringLiteral(" WHERE  ") + condicao + u' '
                + interno.mid(grupo);
        return interno.left(grupo) + u' ' + interno.mid(grupo) + u' ' + condicao;
    }
    return interno + (oracle ? QStringLiteral(" WHERE ") : QStringLiteral(" ")) + condicao;
}

QString Converte(const PartesFirst& p, const QString& driverId)
{
    if (driverId == QLatin1String("FB"))
        return QStringLiteral("SELECT FIRST ") + p.limite + u' ' + p.interno.mid(6);
    if (driverId == QLatin1String("Ora")) {
        if (p.externo)
            return QStringLiteral("SELECT * FROM (") + p.interno + QStringLiteral(") WHERE ROWNUM <= ")
                + p.limite;
        return PoeCondicao(p.interno, QStringLiteral("ROWNUM <= ") + p.limite, true);
    }
    if (driverId == QLatin1String("PG")) {
        if (p.externo)
            return QStringLiteral("SELECT * FROM (") + p.interno + QStringLiteral(" LIMIT ") + p.limite
                + QStringLiteral(") ") + p.alias;
        return PoeCondicao(p.interno, QStringLiteral("LIMIT ") + p.limite, false);
    }
    return p.interno;
}

} // namespace

QString ConverteFirst(const QString& texto, const QString& driverId)
{
    return ConverteConstrucoes(texto, u"FIRST[", [&](const QString& conteudo) {
        return Converte(SeparaPartes(conteudo), driverId);
    });
}
