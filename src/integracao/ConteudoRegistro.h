#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <utility>

// The content a journal record keeps of what went to, or came from, a
// database on the other side: one "COLUNA=valor" line per column, in the
// order given. Texts are quoted ('it''s', so that blanks at the end show),
// moments are ISO 8601 as bound, NULL is NULL, and numbers are written as
// the variant holds them, whatever the regional settings.
QString ConteudoDosValores(const QList<std::pair<QString, QVariant>>& valores);

// One value as ConteudoDosValores writes it.
QString TextoDoValor(const QVariant& valor);
