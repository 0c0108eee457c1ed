#include "dblayer/traducao/ConvertePosition.h"

#include "dblayer/traducao/TextoSQL.h"

using namespace TextoSQL;

QString ConvertePosition(const QString& texto)
{
    static const QString nome = QStringLiteral("POSITION(");
    QString resultado = SubstituiCI(texto, u"POSITION (", nome);
    // Each pass shortens the text, so the loop ends.
    for (qsizetype p = Acha(resultado, nome); p >= 0; p = Acha(resultado, nome)) {
        const qsizetype s = p + nome.size();
        const qsizetype fecha = Acha(resultado, u")", s);
        if (fecha < 0)
            break;
        const qsizetype virgula = Acha(resultado, u",", s);
        QString a;
        QString b;
        if (virgula >= 0 && virgula < fecha) {
            a = Trecho(resultado, s, virgula - 1);
            b = Trecho(resultado, virgula + 1, fecha - 1);
        } else {
            const qsizetype in = AchaCI(resultado, u" IN ", s);
            if (in < 0 || in + 4 > fecha)
                break;
            a = Trecho(resultado, s, in - 1);
            b = Trecho(resultado, in + 4, fecha - 1);
        }
        const QString chamada = Trecho(resultado, p, fecha);
        resultado = SubstituiPrimeiraCI(resultado, chamada,
                                        QStringLiteral("INSTR(") + b + u',' + a + u')');
    }
    return resultado;
}
