#include "soap/TextoXml.h"

#include <charconv>
#include <cmath>
#include <string>

namespace {

constexpr char16_t Substituto = 0xFFFD;

bool PermitidoEmXml(char32_t c)
{
    if (c < 0x20)
        return c == 0x9 || c == 0xA || c == 0xD;
    return c != 0xFFFE && c != 0xFFFF;
}

} // namespace

QString EscapaXml(QStringView texto)
{
    QString saida;
    saida.reserve(texto.size() + texto.size() / 8);
    for (qsizetype i = 0; i < texto.size(); ++i) {
        const QChar c = texto[i];
        if (c.isHighSurrogate() && i + 1 < texto.size() && texto[i + 1].isLowSurrogate()) {
            saida += c;
            saida += texto[++i];
            continue;
        }
        if (c.isSurrogate() || !PermitidoEmXml(c.unicode())) {
            saida += QChar(Substituto);
            continue;
        }
        switch (c.unicode()) {
        case '&': saida += QLatin1String("&amp;"); break;
        case '<': saida += QLatin1String("&lt;"); break;
        case '>': saida += QLatin1String("&gt;"); break;
        case '"': saida += QLatin1String("&quot;"); break;
        case '\'': saida += QLatin1String("&apos;"); break;
        case '\r': saida += QLatin1String("&#13;"); break;
        default: saida += c;
        }
    }
    return saida;
}

QString RealXsd(double valor)
{
    if (std::isnan(valor))
        return QStringLiteral("NaN");
    if (std::isinf(valor))
        return valor > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");

    char buffer[64];
    const auto fim = std::to_chars(buffer, buffer + sizeof buffer, valor).ptr;
    const std::string curto(buffer, fim);
    const auto e = curto.find('e');
    std::string mantissa = curto.substr(0, e);
    if (mantissa.find('.') == std::string::npos)
        mantissa += ".0";
    if (e == std::string::npos)
        return QString::fromLatin1(mantissa);
    const int expoente = std::stoi(curto.substr(e + 1));
    return QString::fromLatin1(mantissa + 'E' + std::to_string(expoente));
}
