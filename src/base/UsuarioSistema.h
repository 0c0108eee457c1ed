#pragma once

#include <QString>

// Who runs the process, as the journal names the author of an action taken
// in the window or on the command line: the account of the process, and
// the one sudo was run from when it was ("root (sudo de ana)").
QString UsuarioDoSistema();
