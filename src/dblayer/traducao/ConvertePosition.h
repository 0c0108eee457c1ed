#pragma once

#include <QString>

// POSITION(a IN b) and POSITION(a, b) -> INSTR(b,a) (Oracle). "POSITION ("
// is first closed up to "POSITION("; then only the upper-case name is
// rewritten. The arguments end at the first ")" (no nesting), and the comma
// or " IN " that splits them must come before it; a call without either is
// left as it stands, with the rest of the text.
QString ConvertePosition(const QString& texto);
