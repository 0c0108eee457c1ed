#pragma once

#include <QString>

// Oracle stores the empty string as NULL, so comparisons with '' become
// IS NULL / IS NOT NULL. In an UPDATE or DELETE only the WHERE part is
// rewritten, so that assignments such as SET X = '' stay.
QString ConverteVazio(const QString& texto);
