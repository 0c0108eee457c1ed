#pragma once

#include <QString>
#include <QStringView>

// The letters a to z turned into A to Z, nothing else: the same length, so a
// position found in the copy is a position in the original text.
QString MaiusculasAscii(QStringView texto);

// An SQL string literal: the text in single quotes, each inner quote doubled.
QString LiteralSql(QStringView texto);
