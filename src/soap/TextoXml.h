#pragma once

#include <QString>
#include <QStringView>

// A text as XML character data or attribute value: the five metacharacters
// as entities, CR as a character reference (a parser would turn it into LF),
// and every character that XML 1.0 cannot carry (control characters other
// than tab, LF and CR, lone surrogates, U+FFFE, U+FFFF) replaced by U+FFFD,
// so that no value can make the message malformed.
QString EscapaXml(QStringView texto);

// A double in XML Schema notation, independent of the machine's regional
// settings: the shortest text that reads back as the same double, always
// with a decimal point ("5.0", "0.1", "1.0E20", "-2.5E-7"), or "NaN",
// "INF", "-INF".
QString RealXsd(double valor);
