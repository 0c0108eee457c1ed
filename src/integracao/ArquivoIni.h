#pragma once

#include "base/Apara.h"

#include <QString>

// Reading of QX.ini, a profile file of "[Section]" headers and Key=Value
// lines. Section and key names match without regard to case; a value is the
// text after the first "=", trimmed, with one pair of enclosing quotes
// removed, and at most 2047 characters long. A missing file, section or key
// reads as the empty text. The file is never written; its lines are kept
// between readings and read again when its time or size changes, so an
// edit counts from the next reading.

// The longest value a reading returns.
inline constexpr int TamanhoMaximoValorIni = 2047;

// The value of the key, or the empty text. `pasta` is the folder that holds
// the file; `arquivo` its name.
QString LerValorIni(const QString& pasta, const QString& secao,
                    const QString& chave, const QString& arquivo);

// True when the section holds a key of that name, whatever its value.
bool ExisteChaveNoIni(const QString& pasta, const QString& secao,
                      const QString& chave, const QString& arquivo);

