#!/usr/bin/python3
"""quelix --usuario-console NOME on a real terminal (a pty): the password is
asked twice without echo and only its salted hash is written beside QX.ini;
a mismatch, a short password and standard input that is not a terminal are
refused, and nothing is written then."""
import os
import pty
import select
import subprocess
import sys
import tempfile
import time

QUELIX = sys.argv[1]
falhas = []


def confere(condicao, texto):
    if not condicao:
        falhas.append(texto)
        print("FALHOU: " + texto)


def no_terminal(pasta, nome, respostas, limite=60):
    """Runs quelix on a new pty; answers each password question in turn.
    Returns the exit status and everything the terminal showed."""
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(QUELIX, [QUELIX, "--pasta", pasta, "--usuario-console", nome])
    visto = b""
    pendentes = list(respostas)
    fim = time.monotonic() + limite
    while time.monotonic() < fim:
        prontos, _, _ = select.select([fd], [], [], 0.2)
        if prontos:
            try:
                dados = os.read(fd, 4096)
            except OSError:
                break
            if not dados:
                break
            visto += dados
            if pendentes and dados.rstrip().endswith(b":"):
                os.write(fd, pendentes.pop(0) + b"\n")
    else:
        os.kill(pid, 9)
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return os.waitstatus_to_exitcode(status), visto.decode("utf-8", "replace")


with tempfile.TemporaryDirectory() as pasta:
    open(os.path.join(pasta, "QX.ini"), "w").write("[Monitor]\nConsole=127.0.0.1:9465\n")
    arquivo = os.path.join(pasta, "ConsoleUsuarios.ini")

    status, tela = no_terminal(pasta, "maria", [b"senha-boa-123", b"senha-boa-123"])
    confere(status == 0, "a user made: status %d, %r" % (status, tela))
    confere("senha-boa-123" not in tela, "the password was echoed: %r" % tela)
    texto = open(arquivo).read() if os.path.exists(arquivo) else ""
    linha = [l for l in texto.splitlines() if l.startswith("maria=")]
    confere(len(linha) == 1 and linha[0].startswith("maria=pbkdf2-sha256:600000:"),
            "the line of the user: %r" % texto)
    confere("senha-boa-123" not in texto, "the password is in the file")
    confere(oct(os.stat(arquivo).st_mode & 0o777) == "0o600", "the file is readable by its owner alone")

    # A second user keeps the first; the first's new password replaces the line.
    no_terminal(pasta, "joao", [b"outra-senha-9", b"outra-senha-9"])
    status, _ = no_terminal(pasta, "maria", [b"senha-nova-456", b"senha-nova-456"])
    texto = open(arquivo).read()
    confere(status == 0 and texto.count("maria=") == 1 and "joao=" in texto and linha[0] not in texto,
            "users kept and replaced: %r" % texto)

    antes = open(arquivo).read()
    for nome, respostas, motivo in [
        ("ana", [b"senha-boa-123", b"senha-errada-1"], "as senhas não conferem"),
        ("ana", [b"curta"], "pelo menos 8 caracteres"),
        ("../ana", [], "não é um nome de usuário"),
    ]:
        status, tela = no_terminal(pasta, nome, respostas)
        confere(status == 1 and motivo in tela, "%s: refused with %r: status %d, %r" % (nome, motivo, status, tela))
    confere(open(arquivo).read() == antes, "a refusal wrote nothing")

    # Standard input that is not a terminal: refused before any question.
    processo = subprocess.run([QUELIX, "--pasta", pasta, "--usuario-console", "ana"], input=b"senha-boa-123\n" * 2,
                              capture_output=True, timeout=60)
    erros = processo.stderr.decode()
    confere(processo.returncode == 1 and "a entrada padrão não é um terminal" in erros,
            "stdin not a terminal: %d, %r" % (processo.returncode, erros))
    confere(open(arquivo).read() == antes, "stdin not a terminal wrote nothing")

if falhas:
    sys.exit(1)
print("ok")
