#include "dblayer/traducao/TabelasNomes.h"

#include "dblayer/traducao/ConverteFuncoesUdf.h"
#include "dblayer/traducao/TextoSQL.h"

#include <utility>

using namespace TextoSQL;

namespace {

using Linha = std::pair<const char16_t*, const char16_t*>;

template <std::size_t N>
QString Aplica(QString texto, const Linha (&tabela)[N])
{
    for (const auto& [padrao, novo] : tabela)
        texto = SubstituiCI(texto, padrao, novo);
    return texto;
}

// UDF_DAY( keeps its parenthesis in the pattern, so UDF_DAYNAME, UDF_DAYSPAN
// and UDF_DAYSBETWEEN are not touched.
const Linha kTabelaA[] = {
    {u"udf_len", u"char_length"},
    {u"udf_trim", u"trim"},
    {u"udf_replace", u"replace"},
    {u"UDF_DAY(", u"EXTRACT(DAY FROM "},
    {u"UDF_MONTH(", u"EXTRACT(MONTH FROM "},
    {u"UDF_YEAR(", u"EXTRACT(YEAR FROM "},
    {u"UDF_TRUNC", u"TRUNC"},
    {u"UDF_UPPER", u"UPPER"},
};

// current_timestamp first becomes current_time, so that the next row turns
// both into current_timestamp without doubling the suffix.
const Linha kTabelaB[] = {
    {u"current_date", u"sysdate"},
    {u"current_timestamp", u"current_time"},
    {u"current_time", u"current_timestamp"},
    {u"char_length", u"length"},
    {u"coalesce", u"nvl"},
    {u"ASCII_CHAR", u"CHR"},
};

} // namespace

QString AplicaTabelaA(const QString& texto)
{
    return Aplica(texto, kTabelaA);
}

QString AplicaTabelaB(const QString& texto)
{
    return Aplica(texto, kTabelaB);
}

QString ConverteUdfRestantes(const QString& texto, bool oracle)
{
    QString resultado = SubstituiCI(texto, u"UDF_STRIP", u"REPLACE");
    resultado = SubstituiCI(resultado, u"UDF_ROUNDDEC", u"ROUND");
    resultado = ConverteMinutesBetween(resultado);
    resultado = ConverteNvl(resultado, oracle ? QStringLiteral("NVL(") : QStringLiteral("COALESCE("));
    resultado = ConverteToChar(resultado, QStringLiteral("UDF_HOUR"), QStringLiteral("HH24"));
    resultado = ConverteToChar(resultado, QStringLiteral("UDF_MINUTE"), QStringLiteral("MI"));
    // Twice: the first two UDF_DAYNAME calls of a statement are rewritten.
    resultado = ConverteToChar(resultado, QStringLiteral("UDF_DAYNAME"), QStringLiteral("DAY"));
    resultado = ConverteToChar(resultado, QStringLiteral("UDF_DAYNAME"), QStringLiteral("DAY"));
    return SubstituiCI(resultado, u"udf_copy", oracle ? u"substr" : u"SUBSTRING");
}
