#include "dblayer/traducao/LiteraisData.h"

#include "dblayer/traducao/TextoSQL.h"

#include <optional>

using namespace TextoSQL;

namespace {

struct DataHora {
    int ano = 0, mes = 0, dia = 0;
    bool temHora = false;
    int hora = 0, minuto = 0, segundo = 0;
};

// A part of the literal, trimmed and read as a decimal number.
std::optional<int> LeParte(QStringView literal, qsizetype de, qsizetype tamanho)
{
    const QString parte = QLatin1Char('0') + Apara(literal.mid(de, tamanho));
    int valor = 0;
    for (QChar c : parte) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        valor = valor * 10 + (c.unicode() - u'0');
    }
    return valor;
}

bool EhBissexto(int ano)
{
    return (ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0;
}

bool DataExiste(int ano, int mes, int dia)
{
    static const int diasDoMes[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (ano < 1 || ano > 9999 || mes < 1 || mes > 12 || dia < 1)
        return false;
    const int dias = diasDoMes[mes - 1] + ((mes == 2 && EhBissexto(ano)) ? 1 : 0);
    return dia <= dias;
}

bool HoraExiste(int hora, int minuto, int segundo)
{
    if (hora == 24)
        return minuto == 0 && segundo == 0;
    return hora >= 0 && hora <= 23 && minuto >= 0 && minuto <= 59 && segundo >= 0 && segundo <= 59;
}

std::optional<DataHora> LeLiteral(QStringView v)
{
    DataHora d;
    d.temHora = v.size() == 19 && v.contains(u':');
    if ((v.size() != 10 && !d.temHora) || v.count(u'/') != 2)
        return std::nullopt;
    const auto mes = LeParte(v, 0, 2), dia = LeParte(v, 3, 2), ano = LeParte(v, 6, 4);
    if (!mes || !dia || !ano || !DataExiste(*ano, *mes, *dia))
        return std::nullopt;
    d.ano = *ano, d.mes = *mes, d.dia = *dia;
    if (d.temHora) {
        const auto hora = LeParte(v, 11, 2), minuto = LeParte(v, 14, 2), segundo = LeParte(v, 17, 2);
        if (!hora || !minuto || !segundo || !HoraExiste(*hora, *minuto, *segundo))
            return std::nullopt;
        d.hora = *hora, d.minuto = *minuto, d.segundo = *segundo;
    }
    return d;
}

QString DoisDigitos(int n)
{
    return QString::number(n).rightJustified(2, u'0');
}

QString Escreve(const DataHora& d, bool oracle)
{
    QString texto = oracle
        ? DoisDigitos(d.dia) + QStringLiteral("@/@") + DoisDigitos(d.mes) + u'/' + QString::number(d.ano)
        : QString::number(d.ano) + u'-' + QString::number(d.mes) + u'-' + QString::number(d.dia);
    if (d.temHora) {
        texto += u' ' + QString::number(d.hora) + u':' + QString::number(d.minuto) + u':'
            + QString::number(d.segundo);
    }
    return texto;
}

} // namespace

QString ConverteLiteraisData(const QString& texto, const QString& driverId)
{
    const bool oracle = driverId == QLatin1String("Ora");
    if (!oracle && driverId != QLatin1String("PG"))
        return texto;

    // The scan reads the text as it was before the step; each literal found
    // is rewritten wherever it occurs in the current text.
    QString resultado = texto;
    qsizetype abre = texto.indexOf(u'\'');
    while (abre >= 0) {
        qsizetype inicio = abre + 1;
        while (inicio < texto.size() && texto[inicio].unicode() <= 32)
            ++inicio;
        const qsizetype fecha = texto.indexOf(u'\'', inicio);
        if (fecha < 0)
            break;
        const QStringView v = QStringView(texto).mid(inicio, fecha - inicio);
        if (const auto data = LeLiteral(v))
            resultado = SubstituiCI(resultado, v, Escreve(*data, oracle));
        abre = texto.indexOf(u'\'', fecha + 1);
    }
    return resultado;
}
