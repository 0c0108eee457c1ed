#include "dblayer/traducao/ChamadasData.h"

#include "dblayer/traducao/TextoSQL.h"

#include <functional>

using namespace TextoSQL;

namespace {

// Rewrites each call of 'nome' found in the text as it was before the step;
// 'converte' gets the call with the name and every parenthesis removed, and
// its result replaces the call wherever it occurs.
QString ConverteChamadas(const QString& texto, const QString& nome,
                         const std::function<QString(const QString& argumentos)>& converte)
{
    QString resultado = texto;
    for (qsizetype inicio = texto.indexOf(nome); inicio >= 0;) {
        const qsizetype fecha = texto.indexOf(u')', inicio + nome.size());
        if (fecha < 0)
            break;
        const QString chamada = texto.mid(inicio, fecha - inicio + 1);
        QString argumentos = SubstituiCI(chamada, nome, u"");
        argumentos.remove(u')').remove(u'(');
        resultado = SubstituiCI(resultado, chamada, converte(argumentos));
        inicio = texto.indexOf(nome, fecha + 1);
    }
    return resultado;
}

// Each single-quoted literal of the text as CAST('...' AS DATE).
QString LiteraisComoData(const QString& texto)
{
    QString resultado;
    qsizetype copiado = 0;
    for (qsizetype abre = texto.indexOf(u'\''); abre >= 0;) {
        const qsizetype fecha = texto.indexOf(u'\'', abre + 1);
        if (fecha < 0)
            break;
        resultado += QStringView(texto).mid(copiado, abre - copiado);
        resultado += QStringLiteral("CAST(") + texto.mid(abre, fecha - abre + 1) + QStringLiteral(" AS DATE)");
        copiado = fecha + 1;
        abre = texto.indexOf(u'\'', copiado);
    }
    return resultado + texto.mid(copiado);
}

} // namespace

QString ConverteDiferencaEntreDatas(const QString& texto)
{
    QString resultado = SubstituiCI(texto, u"UDF_DAYSPAN", u"DIFERENCAENTREDATAS");
    resultado = SubstituiCI(resultado, u"UDF_DAYSBETWEEN", u"DIFERENCAENTREDATAS");
    return ConverteChamadas(resultado, QStringLiteral("DIFERENCAENTREDATAS"), [](QString argumentos) {
        argumentos.replace(u',', u'-');
        return QStringLiteral("CAST(") + LiteraisComoData(argumentos) + QStringLiteral(" AS INTEGER)");
    });
}

QString ConverteWeekday(const QString& texto)
{
    return ConverteChamadas(texto, QStringLiteral("UDF_WEEKDAY"), [](const QString& argumentos) {
        return QStringLiteral("CAST(TO_CHAR(") + LiteraisComoData(argumentos)
            + QStringLiteral(", 'D') AS INTEGER)-1");
    });
}

QString ConverteKoBlob(const QString& texto, const QString& driverId)
{
    const bool oracle = driverId == QLatin1String("Ora");
    const QString resultado = SubstituiCI(texto, u"dbms_lob.substr", u"KO_BLOB");
    return ConverteChamadas(resultado, QStringLiteral("KO_BLOB"), [oracle](const QString& argumentos) {
        return oracle ? QStringLiteral("dbms_lob.substr(") + argumentos + QStringLiteral(") ")
                      : argumentos;
    });
}
