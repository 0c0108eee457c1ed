#include "dblayer/traducao/ConverteHora.h"

#include "base/Erros.h"
#include "dblayer/traducao/ConstrucoesColchetes.h"
#include "dblayer/traducao/TextoSQL.h"

#include <QRegularExpression>

using namespace TextoSQL;

bool TextoParaBooleano(const QString& texto)
{
    const QString valor = Apara(texto);
    static const QRegularExpression numero(
        QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)([eE][+-]?\\d+)?$"));
    if (numero.match(valor).hasMatch())
        return valor.toDouble() != 0.0;
    if (valor.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (valor.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    throw EConvertError(QStringLiteral("'%1' não é um valor booleano válido").arg(texto));
}

QString ConverteHora(const QString& texto, const QString& driverId)
{
    return ConverteConstrucoes(texto, u"HORA[", [&](const QString& c) {
        const qsizetype virgula = c.indexOf(u',');
        const QString expressao = virgula < 0 ? c : c.left(virgula);
        const bool completa = TextoParaBooleano(virgula < 0 ? QString() : c.mid(virgula + 1));
        if (!completa && driverId == QLatin1String("FB"))
            return Apara(expressao.mid(10));
        return expressao;
    });
}
