#pragma once

#include <QString>
#include <QStringView>

#include <functional>

// Rewrites every bracket construct "abertura ... ]" of the text (abertura
// being one of "FIRST[", "LIST[", "HORA[", "WEEK_NUMBER["), innermost first:
// a "]" closes the last opening before it, so a construct nested in another
// is rewritten before the one around it and its result becomes part of the
// outer construct's content. A construct of one of the other kinds inside is
// carried whole into the content (its own step rewrites it). 'converte' gets
// the content between an opening and its "]" and gives what replaces the
// whole construct. The text a construct turns into is not searched again (an
// Oracle LIST carries "]" in its regular expressions), so each opening is
// rewritten once and the step always ends. An opening without a "]" after it
// stays as it is, with the rest of the text after it.
QString ConverteConstrucoes(const QString& texto, QStringView abertura,
                            const std::function<QString(const QString& conteudo)>& converte);
