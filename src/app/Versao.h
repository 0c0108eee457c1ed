#pragma once

#include <QString>

// What `quelix --versao` prints: the version and the commit this build was
// made from (with "-modificado" when the tree had changes not committed).
QString VersaoQuelix();
QString CommitQuelix();
