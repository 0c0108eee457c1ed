#include "integracoes/bruma/TextoSql.h"

#include "dblayer/Localidade.h"

#include <QDateTime>

QString NumeroOB(const QString& numeroLote)
{
    return numeroLote.leftJustified(8, QLatin1Char(' '));
}

QString DataHoraLocal()
{
    // One reading of the clock, so date and time never straddle midnight.
    const QDateTime agora = QDateTime::currentDateTime();
    return Localidade::Data(agora.date()) + QLatin1Char(' ') + Localidade::Hora(agora.time());
}
