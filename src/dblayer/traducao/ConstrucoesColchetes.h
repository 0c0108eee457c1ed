#pragma once

#include <QString>
#include <QStringView>

#include <functional>

// Rewrites every bracket construct "abertura ... ]" of the text (abertura
// being "FIRST[", "LIST[", ...), left to right: 'converte' gets the text
// between the opening and the first "]" after it and gives what replaces
// the whole construct. The text a construct turns into is not scanned again,
// so constructs do not nest. An opening without a "]" after it ends the
// step and the rest of the text stays as it is.
QString ConverteConstrucoes(const QString& texto, QStringView abertura,
                            const std::function<QString(const QString& conteudo)>& converte);
