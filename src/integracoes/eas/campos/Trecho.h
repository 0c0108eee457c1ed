#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Pieces of a text counted in characters as QString counts them, never
// cutting a character that takes two (a surrogate pair): a cut that would
// split one leaves the whole pair out.
QString Trecho(QStringView texto, qsizetype inicio, qsizetype tamanho);
QString Esquerda(QStringView texto, qsizetype tamanho);
QString Direita(QStringView texto, qsizetype tamanho);

// A decimal integer: an optional sign and 1 to 18 ASCII digits, nothing
// else (no blanks). Empty when the text is anything else.
std::optional<qint64> InteiroDecimal(QStringView texto);
