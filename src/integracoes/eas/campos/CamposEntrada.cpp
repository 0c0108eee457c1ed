#include "integracoes/eas/campos/CamposEntrada.h"

#include "base/Apara.h"
#include "base/Erros.h"
#include "integracoes/eas/campos/Trecho.h"

#include <cmath>

namespace {

QString DoisDigitos(qint64 valor)
{
    return QString::number(valor).rightJustified(2, u'0');
}

bool EhDigito(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A floating-point number as the machine writes it: optional sign, digits
// with at most one decimal separator, an optional exponent; at least one
// digit. Returned in the C notation, or empty when it is not one.
QString NumeroEmNotacaoC(const QString& texto, QChar separador)
{
    QString c;
    qsizetype i = 0;
    const qsizetype n = texto.size();
    if (i < n && (texto[i] == u'+' || texto[i] == u'-'))
        c += texto[i++];
    int digitos = 0;
    bool separadorVisto = false;
    for (; i < n; ++i) {
        if (EhDigito(texto[i])) {
            c += texto[i];
            ++digitos;
        } else if (texto[i] == separador && !separadorVisto) {
            c += u'.';
            separadorVisto = true;
        } else {
            break;
        }
    }
    if (digitos == 0)
        return {};
    if (i < n && (texto[i] == u'e' || texto[i] == u'E')) {
        c += u'e';
        ++i;
        if (i < n && (texto[i] == u'+' || texto[i] == u'-'))
            c += texto[i++];
        const qsizetype inicioExpoente = i;
        while (i < n && EhDigito(texto[i]))
            c += texto[i++];
        if (i == inicioExpoente)
            return {};
    }
    return i == n ? c : QString();
}

} // namespace

qint64 NumeroFalHost(const QString& campo)
{
    return InteiroDecimal(Direita(campo, 7)).value_or(0);
}

QString DocumentoHost(const QString& campo)
{
    return Trecho(campo, 3, 7);
}

QString MaquinaHost(const QString& campo)
{
    return Trecho(campo, campo.indexOf(u'X') + 1, 3);
}

QString FuncionarioHost(const QString& campo)
{
    return Direita(campo, 4);
}

QString TempoHost(const QString& campo)
{
    const QString texto = Apara(campo);
    if (texto.isEmpty())
        return QStringLiteral("00:00:00");
    const qint64 minutos = InteiroDecimal(texto).value_or(0);
    const qint64 horas = minutos > 59 ? minutos / 60 : 0;
    return DoisDigitos(horas) + u':' + DoisDigitos(minutos - 60 * horas) + QStringLiteral(":00");
}

double QuantidadeHost(const QString& campo, QChar separadorDecimal)
{
    const QString notacaoC = NumeroEmNotacaoC(Apara(campo), separadorDecimal);
    bool ok = false;
    const double valor = notacaoC.toDouble(&ok);
    if (notacaoC.isEmpty() || !ok || !std::isfinite(valor))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(campo));
    return valor / 100000000.0;
}

bool EhClasse82(const QString& campo)
{
    switch (InteiroDecimal(Apara(campo)).value_or(0)) {
    case 1:
    case 3:
    case 5:
    case 6:
    case 7:
        return true;
    default:
        return false;
    }
}
