#include "bruma/TextoSql.h"

#include "dblayer/Localidade.h"

#include <QDateTime>

QString LiteralSql(const QString& texto)
{
    QString dobrado = texto;
    dobrado.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + dobrado + QLatin1Char('\'');
}

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
