#pragma once

#include <QString>

// Oracle rejects AS before a table alias; the keyword is dropped wherever it
// follows a closing parenthesis and introduces an alias. The AS of a type
// cast (DECIMAL, INTEGER, VARCHAR, NUMERIC, DATE..., TIME...) stays, and an
// AS in mixed case that stays comes back in lower case. The pair is found
// as letters anywhere, inside words too, and masked as "@%" / "%@" while
// the step runs, so such characters of the text's own become AS / as.
QString RemoveAliasAs(const QString& texto);
