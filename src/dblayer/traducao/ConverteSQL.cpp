#include "dblayer/traducao/ConverteSQL.h"

#include "base/ListaLinhas.h"
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
bool JaEstaEmLinhas(QStringView texto)
{
    if (texto.isEmpty())
        return true;
    if (!texto.endsWith(u"\r\n"))
        return false;
    qsizetype quebras = 0;
    for (qsizetype lf = texto.indexOf(u'\n'); lf >= 0; lf = texto.indexOf(u'\n', lf + 1)) {
        if (lf == 0 || texto[lf - 1] != u'\r')
            return false;
        ++quebras;
    }
    qsizetype retornos = 0;
    for (qsizetype cr = texto.indexOf(u'\r'); cr >= 0; cr = texto.indexOf(u'\r', cr + 1))
        ++retornos;
    return retornos == quebras;
}

// Each step writes its result back to the query's line list, which splits it
// at its line breaks and joins the lines with CR LF again. A step that
// changed nothing hands back the same shared text.
void Grava(QString& texto, const QString& resultado)
{
    if (resultado.isSharedWith(texto))
        return;
    texto = JaEstaEmLinhas(resultado) ? resultado : NormalizaComoLinhas(resultado);
}

QString RamoOracle(QString t, const ListaColunasFn& colunas)
{
    Grava(t, ConverteVazio(t));
    Grava(t, AplicaTabelaB(t));
    Grava(t, ConverteSubstring(t));
    if (ContemCI(t, u"UDF_"))
        Grava(t, ConverteUdfRestantes(t, true));
    if (ContemCI(t, u"SELECT")) {
        Grava(t, RemoveAliasAs(t));
        Grava(t, ExpandeAsterisco(t, colunas));
    }
    if (ContemCI(t, u"POSITION(") || ContemCI(t, u"POSITION ("))
        Grava(t, ConvertePosition(t));
    return t;
}

QString RamoPostgres(QString t)
{
    Grava(t, SubstituiCI(t, u"ASCII_CHAR", u"CHR"));
    Grava(t, ConverteSubstring(t));
    if (ContemCI(t, u"UDF_"))
        Grava(t, ConverteUdfRestantes(t, false));
    return t;
}

} // namespace

QString TraduzSQL(const QString& texto, const QString& driverId, const ListaColunasFn& colunas)
{
    QString t;
    Grava(t, texto);
    Grava(t, SubstituiCI(t, u"DESCENDING", u"DESC"));
    if (ContemCI(t, u"UDF_"))
        Grava(t, AplicaTabelaA(t));
    if (driverId.contains(QLatin1String("Ora")))
        t = RamoOracle(t, colunas);
    if (driverId.contains(QLatin1String("PG")))
        t = RamoPostgres(t);
    Grava(t, ConverteList(t, driverId));
    Grava(t, ConverteHora(t, driverId));
    Grava(t, ConverteWeekNumber(t, driverId));
    Grava(t, ConverteFirst(t, driverId));
    Grava(t, ConverteDatas(t, driverId));
    return t;
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
