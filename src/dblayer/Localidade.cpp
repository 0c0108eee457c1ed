#include "dblayer/Localidade.h"

#include <QLocale>

#include <cmath>

namespace Localidade {

QChar SeparadorDecimal()
{
    const QString ponto = QLocale::system().decimalPoint();
    return ponto.isEmpty() ? QChar(u'.') : ponto.front();
}

namespace {

// The first character of a format that is no field letter.
QChar PrimeiroSeparador(const QString& formato, QChar padrao)
{
    for (const QChar c : formato)
        if (!c.isLetter() && !c.isSpace() && c != u'\'')
            return c;
    return padrao;
}

} // namespace

QChar SeparadorData()
{
    return PrimeiroSeparador(QLocale::system().dateFormat(QLocale::ShortFormat), u'/');
}

QChar SeparadorHora()
{
    return PrimeiroSeparador(QLocale::system().timeFormat(QLocale::ShortFormat), u':');
}

QString Data(const QDate& data)
{
    return data.toString(QLocale::system().dateFormat(QLocale::ShortFormat));
}

QString Hora(const QTime& hora)
{
    return hora.toString(QStringLiteral("HH:mm:ss"));
}

QString DataHora(const QDateTime& momento)
{
    if (momento.time() == QTime(0, 0))
        return Data(momento.date());
    return Data(momento.date()) + u' ' + Hora(momento.time());
}

QString Numero(double valor)
{
    if (valor == 0 || !std::isfinite(valor))
        return valor == 0 ? QStringLiteral("0") : QString::number(valor);
    QString texto = QString::number(valor, 'g', 15);
    // Exponents as "1E20" and "1E-7".
    const qsizetype e = texto.indexOf(u'e');
    if (e >= 0) {
        QString expoente = texto.mid(e + 1);
        const bool negativo = expoente.startsWith(u'-');
        expoente.remove(u'+').remove(u'-');
        while (expoente.size() > 1 && expoente.startsWith(u'0'))
            expoente.remove(0, 1);
        texto = texto.left(e) + u'E' + (negativo ? QStringLiteral("-") : QString()) + expoente;
    }
    texto.replace(u'.', SeparadorDecimal());
    return texto;
}

} // namespace Localidade
