#include "dblayer/traducao/FechaParenteses.h"

qsizetype FechaParenteses(QStringView texto)
{
    const QStringView resto = texto.mid(qMin<qsizetype>(1, texto.size()));
    qsizetype fecha = resto.indexOf(u')');
    qsizetype abre = resto.indexOf(u'(');
    // Pair off the first open "(" with the first open ")" while the "("
    // comes first; what is paired off no longer takes part.
    while (abre >= 0 && fecha >= 0 && abre < fecha) {
        fecha = resto.indexOf(u')', fecha + 1);
        abre = resto.indexOf(u'(', abre + 1);
    }
    return fecha < 0 ? 0 : fecha + 1;
}
