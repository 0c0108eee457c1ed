#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// The console's users: a file beside QX.ini, one line per user,
//   nome=pbkdf2-sha256:ITERACOES:SAL:HASH
// (salt and hash in base64), under a [Usuarios] section. Only a password's
// salted hash is kept, derived with PBKDF2-SHA-256 at IteracoesPbkdf2
// rounds or more; a line with fewer rounds does not let anyone in.
namespace UsuariosConsole {

inline constexpr int IteracoesPbkdf2 = 600000;
inline constexpr int MinimoSenha = 8;

// The file of the folder of QX.ini.
QString Arquivo(const QString& pastaIni);

// Letters, digits, '.', '_' and '-', at most 64 of them.
bool NomeValido(const QString& nome);

// The line's value for `senha`, with a new random salt.
QByteArray Deriva(const QByteArray& senha, int iteracoes = IteracoesPbkdf2);
// Whether `senha` is the one `registro` was derived from; the comparison
// takes the same time wherever the two differ. A registro that is not one
// (empty for an unknown user) costs the same derivation and fails.
bool Confere(const QByteArray& senha, const QByteArray& registro);

// The users of the file, by name; an absent file has none. Raises Exception
// naming the file and the line when one is not a user's line.
QMap<QString, QByteArray> Le(const QString& arquivo);

// Adds the user or replaces their password, keeping the other lines. The
// file is replaced whole (never left half written), readable by its owner
// alone, and given to the owner of the folder, so that a command run as
// root leaves it to the service's user. Raises Exception with the reason.
void Grava(const QString& arquivo, const QString& nome, const QByteArray& registro);

} // namespace UsuariosConsole

// Bytes equal in a time that does not depend on where they differ.
bool IguaisEmTempoConstante(const QByteArray& a, const QByteArray& b);
