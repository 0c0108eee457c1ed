#include "bruma/TextoSql.h"

#include "dblayer/Localidade.h"

#include <QDateTime>

QString LiteralSql(const QString& texto)
{
    QString dobrado = texto;
    dobrado.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + dobrado + QLatin1Char('\'');
}

QString Apara(const QString& texto)
{
    qsizetype inicio = 0;
    qsizetype fim = texto.size();
    while (inicio < fim && texto.at(inicio).unicode() <= 32)
        ++inicio;
    while (fim > inicio && texto.at(fim - 1).unicode() <= 32)
        --fim;
    return texto.mid(inicio, fim - inicio);
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
