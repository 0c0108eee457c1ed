#include "servico/console/UsuarioTerminal.h"

#include "base/Erros.h"
#include "servico/console/UsuariosConsole.h"

#include <cstdio>
#include <optional>
#include <termios.h>
#include <unistd.h>

namespace {

// One line from the terminal with echo off. Ctrl-C is read as a character
// (the process keeps its signals blocked) and cancels, as the end of input
// does: none then.
std::optional<QByteArray> LeSenha(const char* pergunta)
{
    termios antes {};
    if (::tcgetattr(STDIN_FILENO, &antes) != 0)
        return std::nullopt;
    termios sem = antes;
    sem.c_lflag &= ~tcflag_t(ECHO | ISIG);
    sem.c_lflag |= ICANON;
    // Echo goes off before the question: nothing typed after it is shown.
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &sem);
    std::fputs(pergunta, stderr);
    std::fflush(stderr);
    QByteArray linha;
    bool completa = false;
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) == 1) {
        if (c == '\n' || c == '\r') {
            completa = true;
            break;
        }
        if (c == '\x03')
            break;
        linha += c;
        if (linha.size() > 4096)
            break;
    }
    ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &antes);
    std::fputs("\n", stderr);
    if (!completa)
        return std::nullopt;
    return linha;
}

int Recusa(const QString& texto)
{
    std::fprintf(stderr, "quelix: %s\n", qPrintable(texto));
    return 1;
}

} // namespace

int ExecutaUsuarioConsole(const QString& pastaIni, const QString& nome)
{
    if (!UsuariosConsole::NomeValido(nome))
        return Recusa(QStringLiteral("--usuario-console: \"%1\" não é um nome de usuário (letras, dígitos, '.', '_' "
                                     "e '-', até 64)").arg(nome));
    if (!::isatty(STDIN_FILENO))
        return Recusa(QStringLiteral("--usuario-console pede a senha no terminal, e a entrada padrão não é um terminal; "
                                     "rode o comando num terminal (a senha nunca vem da linha de comando nem de um arquivo)"));
    const QString arquivo = UsuariosConsole::Arquivo(pastaIni);
    const std::optional<QByteArray> senha =
        LeSenha(qPrintable(QStringLiteral("Senha de %1 no console: ").arg(nome)));
    if (!senha)
        return Recusa(QStringLiteral("cancelado; nada foi gravado"));
    if (QString::fromUtf8(*senha).size() < UsuariosConsole::MinimoSenha)
        return Recusa(QStringLiteral("a senha precisa de pelo menos %1 caracteres; nada foi gravado")
                          .arg(UsuariosConsole::MinimoSenha));
    const std::optional<QByteArray> repetida = LeSenha("Repita a senha: ");
    if (!repetida)
        return Recusa(QStringLiteral("cancelado; nada foi gravado"));
    if (*repetida != *senha)
        return Recusa(QStringLiteral("as senhas não conferem; nada foi gravado"));
    try {
        UsuariosConsole::Le(arquivo);  // a file this would not keep is not overwritten
        UsuariosConsole::Grava(arquivo, nome, UsuariosConsole::Deriva(*senha));
    } catch (const Exception& e) {
        return Recusa(e.Message());
    }
    std::fprintf(stdout, "Usuário %s gravado em %s.\n", qPrintable(nome), qPrintable(arquivo));
    return 0;
}
