#include "integracoes/vapora/ValoresFila.h"

#include "base/Erros.h"

#include <QString>

#include <optional>

namespace {

std::optional<qint32> LeInteiro(QStringView texto)
{
    qsizetype i = !texto.isEmpty() && (texto[0] == u'+' || texto[0] == u'-') ? 1 : 0;
    if (i == texto.size())
        return std::nullopt;
    for (; i < texto.size(); ++i)
        if (texto[i] < u'0' || texto[i] > u'9')
            return std::nullopt;
    bool ok = false;
    const qint32 valor = texto.toInt(&ok, 10);
    return ok ? std::optional<qint32>(valor) : std::nullopt;
}

} // namespace

qint32 InteiroOuZero(QStringView texto)
{
    return LeInteiro(texto).value_or(0);
}

qint32 InteiroEstrito(QStringView texto)
{
    if (const auto valor = LeInteiro(texto))
        return *valor;
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(texto));
}

TCorRgb CorRgb(qint32 valor)
{
    const quint32 bits = quint32(valor);
    return {qint32(bits & 0xFF), qint32((bits >> 8) & 0xFF), qint32((bits >> 16) & 0xFF)};
}
