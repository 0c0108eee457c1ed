#pragma once

#include <QStringList>

// The lots the export sends, with every field of the lot record: the
// largest statement the system sends, as the code writes it.
const QStringList& LinhasFals();
