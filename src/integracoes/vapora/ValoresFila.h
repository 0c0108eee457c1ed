#pragma once

#include <QStringView>

// Numbers read from the texts of a queue row or of a lot's columns: an
// optional sign and decimal digits, within 32 bits; nothing else (no blanks,
// no other notation) is a number.

// The number, or 0 when the text is empty or not a number.
qint32 InteiroOuZero(QStringView texto);

// The number; EConvertError when the text is not a number.
qint32 InteiroEstrito(QStringView texto);

// The red, green and blue components of a colour held as one integer (its
// bits 0-7, 8-15 and 16-23), each 0..255.
struct TCorRgb {
    qint32 Vermelho = 0;
    qint32 Verde = 0;
    qint32 Azul = 0;
};

TCorRgb CorRgb(qint32 valor);
