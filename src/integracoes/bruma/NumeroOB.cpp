#include "integracoes/bruma/NumeroOB.h"

QString NumeroOB(const QString& numeroLote)
{
    return numeroLote.leftJustified(8, QLatin1Char(' '));
}
