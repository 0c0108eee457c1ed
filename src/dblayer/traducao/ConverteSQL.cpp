#include "dblayer/traducao/ConverteSQL.h"

#include "dblayer/ListaLinhas.h"
#include "dblayer/traducao/ConverteDatas.h"
#include "dblayer/traducao/ConverteFirst.h"
#include "dblayer/traducao/ConverteHora.h"
#include "dblayer/traducao/ConverteList.h"
#include "dblayer/traducao/ConvertePosition.h"
#include "dblayer/traducao/ConverteSubstring.h"
#include "dblayer/traducao/ConverteVazio.h"
#include "dblayer/traducao/ConverteWeekNumber.h"
#include "dblayer/traducao/RemoveAliasAs.h"
#include "dblayer/traducao/TabelasNomes.h"
#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

namespace {

// Whether the text already reads as a line list writes it: every line break
// a CR LF pair, and one after the last line.
bool JaEstaEmLinhas(const QString& texto)
{
    if (texto.isEmpty())
        return true;
    if (!texto.endsWith(QLatin1String("\r\n")))
        return false;
    const qsizetype n = texto.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = texto[i];
        if (c == u'\r' && (i + 1 >= n || texto[i + 1] != u'\n'))
            return false;
        if (c == u'\n' && (i == 0 || texto[i - 1] != u'\r'))
            return false;
    }
    return true;
}

// Each step writes its result back to the query's line list, which splits it
// at its line breaks and joins the lines with CR LF again.
QString NasLinhas(const QString& texto)
{
    return JaEstaEmLinhas(texto) ? texto : NormalizaComoLinhas(texto);
}

QString RamoOracle(QString t, const ListaColunasFn& colunas)
{
    t = NasLinhas(ConverteVazio(t));
    t = NasLinhas(AplicaTabelaB(t));
    t = NasLinhas(ConverteSubstring(t));
    if (ContemCI(t, u"UDF_"))
        t = NasLinhas(ConverteUdfRestantes(t, true));
    if (ContemCI(t, u"SELECT")) {
        t = NasLinhas(RemoveAliasAs(t));
        t = NasLinhas(ExpandeAsterisco(t, colunas));
    }
    if (ContemCI(t, u"POSITION(") || ContemCI(t, u"POSITION ("))
        t = NasLinhas(ConvertePosition(t));
    return t;
}

QString RamoPostgres(QString t)
{
    t = NasLinhas(SubstituiCI(t, u"ASCII_CHAR", u"CHR"));
    t = NasLinhas(ConverteSubstring(t));
    if (ContemCI(t, u"UDF_"))
        t = NasLinhas(ConverteUdfRestantes(t, false));
    return t;
}

} // namespace

QString TraduzSQL(const QString& texto, const QString& driverId, const ListaColunasFn& colunas)
{
    QString t = NasLinhas(texto);
    t = NasLinhas(SubstituiCI(t, u"DESCENDING", u"DESC"));
    if (ContemCI(t, u"UDF_"))
        t = NasLinhas(AplicaTabelaA(t));
    if (driverId.contains(QLatin1String("Ora")))
        t = RamoOracle(t, colunas);
    if (driverId.contains(QLatin1String("PG")))
        t = RamoPostgres(t);
    t = NasLinhas(ConverteList(t, driverId));
    t = NasLinhas(ConverteHora(t, driverId));
    t = NasLinhas(ConverteWeekNumber(t, driverId));
    t = NasLinhas(ConverteFirst(t, driverId));
    return NasLinhas(ConverteDatas(t, driverId));
}

QString ConverteSQL(const QString& texto, const QString& driverId, TCacheTraducao& cache,
                    const ListaColunasFn& colunas)
{
    // Compared exactly: a text that differs only in the case of a literal is
    // another statement.
    const bool mesmoDriver = driverId == cache.FDriverId;
    if (mesmoDriver && (texto == cache.FSQLOriginal || texto == cache.FSQLAnterior))
        return cache.FSQLAnterior;
    const QString traducao = TraduzSQL(texto, driverId, colunas);
    cache = TCacheTraducao{texto, traducao, driverId};
    return traducao;
}
