#include "dblayer/traducao/ConverteSubstring.h"

#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

namespace {

const QString kSubstring = QStringLiteral("SUBSTRING");

// The first ")" at or after 'de' not balanced by a "(" after 'de'.
qsizetype FechaDesbalanceado(QStringView texto, qsizetype de)
{
    int nivel = 0;
    for (qsizetype i = de; i < texto.size(); ++i) {
        if (texto[i] == u'(') {
            ++nivel;
        } else if (texto[i] == u')') {
            if (nivel == 0)
                return i;
            --nivel;
        }
    }
    return -1;
}

// Rewrites the call whose name starts at p. Every path removes the name
// SUBSTRING found at p, so the caller's loop always advances.
QString ConverteChamada(const QString& texto, qsizetype p)
{
    const qsizetype inicioX = p + kSubstring.size();
    const qsizetype from = AchaCI(texto, u" FROM ", inicioX);
    const qsizetype inicioA = from + 6;
    const qsizetype forr = from < 0 ? -1 : AchaCI(texto, u" FOR ", inicioA);
    const qsizetype inicioN = forr + 5;
    const qsizetype fecha = forr < 0 ? -1 : FechaDesbalanceado(texto, inicioN);
    if (fecha < 0)
        return TrocaTrecho(texto, p, inicioX - 1, u"SUBSTR");

    const QString x = Trecho(texto, inicioX, from - 1);
    const QString a = Trecho(texto, inicioA, forr - 1);
    const QString n = Trecho(texto, inicioN, fecha);
    return TrocaTrecho(texto, p, fecha, QStringLiteral("SUBSTR") + x + u',' + a + u',' + n);
}

} // namespace

QString ConverteSubstring(const QString& texto)
{
    QString resultado = texto;
    for (qsizetype p = AchaCI(resultado, kSubstring); p >= 0; p = AchaCI(resultado, kSubstring))
        resultado = ConverteChamada(resultado, p);
    return resultado;
}
