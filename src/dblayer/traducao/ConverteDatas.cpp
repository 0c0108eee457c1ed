#include "dblayer/traducao/ConverteDatas.h"

#include "dblayer/traducao/ChamadasData.h"
#include "dblayer/traducao/LiteraisData.h"
#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

QString ConverteDatas(const QString& texto, const QString& driverId)
{
    QString resultado = texto;
    if (driverId != QLatin1String("FB")) {
        resultado = ConverteLiteraisData(resultado, driverId);
        if (resultado.contains(u'\''))
            resultado = SubstituiCS(resultado, u"@/@", u"/");
        if (ContemCI(resultado, u"UDF_")) {
            resultado = ConverteDiferencaEntreDatas(resultado);
            resultado = ConverteWeekday(resultado);
        }
    }
    return ConverteKoBlob(resultado, driverId);
}
