#include "base/Windows1252.h"

#include <QList>

#include <array>

namespace {

// The characters of bytes 0x80 to 0x9F; 0 where the code page defines none.
constexpr std::array<char16_t, 32> Faixa80 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

char ByteDe(uint c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (size_t i = 0; i < Faixa80.size(); ++i)
        if (Faixa80[i] != 0 && Faixa80[i] == c)
            return char(0x80 + i);
    return '?';
}

} // namespace

QByteArray ParaWindows1252(const QString& texto)
{
    QByteArray bytes;
    bytes.reserve(texto.size());
    for (const uint c : texto.toUcs4())
        bytes.append(ByteDe(c));
    return bytes;
}

QString DeWindows1252(const QByteArray& bytes)
{
    QString texto;
    texto.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u >= 0x80 && u <= 0x9F) {
            const char16_t c = Faixa80[u - 0x80];
            texto.append(c ? QChar(c) : QChar(QChar::ReplacementCharacter));
        } else {
            texto.append(QChar(u));
        }
    }
    return texto;
}
