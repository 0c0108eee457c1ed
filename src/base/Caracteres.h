#pragma once

#include <QString>
#include <QStringView>

// The first `quantos` characters of a text. A character outside the Basic
// Multilingual Plane (an emoji, say) takes two UTF-16 units; a text is never
// cut between them, which would leave half a character that no server
// accepts.
QString PrimeirosCaracteres(QStringView texto, qsizetype quantos);
