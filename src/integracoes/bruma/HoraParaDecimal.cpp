#include "integracoes/bruma/HoraParaDecimal.h"

#include <cmath>
#include <optional>

namespace {

// "0" followed by the two characters at `inicio` (as many as exist), read as
// a decimal integer. Only ASCII digits count: no sign, blank or hex prefix.
std::optional<int> LeParte(const QString& tempo, qsizetype inicio)
{
    const QString texto = QLatin1Char('0') + tempo.mid(inicio, 2);
    int valor = 0;
    for (const QChar c : texto) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        valor = valor * 10 + (c.unicode() - '0');
    }
    return valor;
}

int LeParteOuAvisa(const QString& tempo, qsizetype inicio, const QString& aviso, QStringList& avisos)
{
    const std::optional<int> valor = LeParte(tempo, inicio);
    if (valor)
        return *valor;
    avisos << aviso;
    return 0;
}

} // namespace

THoraDecimal HoraParaDecimal(const QString& tempo)
{
    THoraDecimal resultado;
    QStringList& avisos = resultado.Avisos;
    const int horas = LeParteOuAvisa(tempo, 0, QStringLiteral("Hora cadastrada de forma incorreta."), avisos);
    const int minutos = LeParteOuAvisa(tempo, 3, QStringLiteral("Minuto cadastrado de forma incorreta."), avisos);
    const int segundos = LeParteOuAvisa(tempo, 6, QStringLiteral("Segundo cadastrada de forma incorreta."), avisos);

    const double decimal = horas + (minutos + segundos / 60.0) / 60.0;
    // Four decimal places, as the text "0.0000" would show it.
    resultado.Horas = QString::number(decimal, 'f', 4).toDouble();
    return resultado;
}

qint64 MinutosProgramados(double horas)
{
    // The hours arrive rounded to 4 places, up to 0.003 minute off either way:
    // taken bare, 00:05:00 (0.0833 h) would give 4 minutes. A two-hundredth of
    // a minute puts that back without ever lifting real seconds (at most
    // 59/60 of a minute) into the next minute.
    return qint64(std::floor(horas * 60.0 + 0.005));
}
