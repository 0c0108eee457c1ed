#include "dblayer/traducao/ConverteFuncoesUdf.h"

#include "dblayer/traducao/FechaParenteses.h"
#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

QString ConverteMinutesBetween(const QString& texto)
{
    static const QString nome = QStringLiteral("UDF_MINUTESBETWEEN");
    const qsizetype p = AchaCI(texto, nome);
    if (p < 0)
        return texto;
    // The arguments start after the name and its opening parenthesis; the
    // closing search treats the first argument character as the opening.
    const qsizetype inicio = p + nome.size() + 1;
    const QString resto = DesdeAte(texto, inicio);
    const qsizetype fecha = FechaParenteses(resto);
    const qsizetype virgula = resto.indexOf(u',');
    const QString a = virgula < 0 ? QString() : resto.left(virgula);
    const QString b = Trecho(resto, virgula + 1, fecha - 1);
    return TrocaTrecho(texto, p, inicio + fecha,
                       QStringLiteral("(extract(MINUTE FROM ") + a + QStringLiteral(" - ") + b
                           + QStringLiteral(" ))"));
}

QString ConverteNvl(const QString& texto, const QString& abertura)
{
    static const QString nome = QStringLiteral("UDF_NVL");
    const qsizetype p = AchaCI(texto, nome);
    if (p < 0)
        return texto;
    const qsizetype inicio = p + nome.size();
    const QString resto = DesdeAte(texto, inicio);
    const qsizetype fecha = FechaParenteses(resto);
    const QString argumento = Trecho(resto, 1, fecha - 1);
    return TrocaTrecho(texto, p, inicio + fecha, abertura + argumento + QStringLiteral(",0)"));
}

QString ConverteToChar(const QString& texto, const QString& nome, const QString& formato)
{
    const qsizetype p = AchaCI(texto, nome);
    if (p < 0)
        return texto;
    const qsizetype inicio = p + nome.size();
    const QString resto = DesdeAte(texto, inicio);
    const qsizetype fecha = FechaParenteses(resto);
    const QString argumento = Trecho(resto, 0, fecha);
    return TrocaTrecho(texto, p, inicio + fecha,
                       QStringLiteral("(TO_CHAR(") + argumento + u',' + Aspas(formato)
                           + QStringLiteral("))"));
}
