#pragma once

#include <QString>

// quelix --usuario-console NOME: asks the password twice on the terminal,
// without echo, and adds the user to the console's users file of the folder
// of QX.ini (or gives them the new password). Never reads a password from
// the command line, nor from standard input that is not a terminal.
// Returns the exit status: 0 done, 1 refused (said on standard error).
int ExecutaUsuarioConsole(const QString& pastaIni, const QString& nome);
