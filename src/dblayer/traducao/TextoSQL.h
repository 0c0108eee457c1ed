#pragma once

#include "base/Apara.h"
#include "base/TextoAscii.h"

#include <QString>
#include <QStringView>

// Text primitives shared by the translation steps. The translation is purely
// textual: a pattern is found wherever its characters occur. "CI" compares
// with only the letters a to z folded to A to Z, so positions in the original
// text and in its upper-cased copy are the same. Positions are 0-based and a
// search that fails gives -1.
namespace TextoSQL {

inline QString Maiusculas(QStringView texto) { return MaiusculasAscii(texto); }

qsizetype Acha(QStringView texto, QStringView padrao, qsizetype de = 0);
qsizetype AchaCI(QStringView texto, QStringView padrao, qsizetype de = 0);
inline bool Contem(QStringView texto, QStringView padrao) { return Acha(texto, padrao) >= 0; }
inline bool ContemCI(QStringView texto, QStringView padrao) { return AchaCI(texto, padrao) >= 0; }

// Every occurrence, one left-to-right pass; the inserted text is not searched again.
QString SubstituiCI(const QString& texto, QStringView padrao, QStringView novo);
QString SubstituiCS(const QString& texto, QStringView padrao, QStringView novo);
QString SubstituiPrimeiraCI(const QString& texto, QStringView padrao, QStringView novo);

// The characters from 'de' through 'ate', both included, clipped to the
// text; empty when the range is empty or lies outside the text.
QString Trecho(QStringView texto, qsizetype de, qsizetype ate);
QString DesdeAte(QStringView texto, qsizetype de); // from 'de' to the end, clipped

// Replaces the characters from 'de' through 'ate' (clipped) by 'novo'.
QString TrocaTrecho(const QString& texto, qsizetype de, qsizetype ate, QStringView novo);

// Trimming is the system's own (base/Apara.h).
using ::Apara;
using ::AparaEsquerda;

// An SQL string literal: single quotes around, inner single quotes doubled.
inline QString Aspas(QStringView texto) { return LiteralSql(texto); }

// Each CR LF pair of the text replaced by 'por'.
QString TrocaQuebras(const QString& texto, QStringView por);

} // namespace TextoSQL
