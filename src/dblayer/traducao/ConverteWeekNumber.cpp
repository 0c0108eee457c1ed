#include "dblayer/traducao/ConverteWeekNumber.h"

#include "dblayer/traducao/ConstrucoesColchetes.h"
#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

QString ConverteWeekNumber(const QString& texto, const QString& driverId)
{
    return ConverteConstrucoes(texto, u"WEEK_NUMBER[", [&](const QString& c) {
        const QString expressao = Apara(c);
        if (driverId == QLatin1String("FB"))
            return QStringLiteral("EXTRACT(WEEK FROM ") + expressao + u')';
        return QStringLiteral("TO_CHAR(") + expressao + u',' + Aspas(u"IW") + u')';
    });
}
