#pragma once

#include <QStringView>

// Where the ")" that closes the parenthesis at the text's first character
// stands (the first character itself is not examined): each "(" met before
// the next ")" is paired off with it. Parentheses inside string literals
// count like any others. When the text holds no such ")" the result is 0.
qsizetype FechaParenteses(QStringView texto);
