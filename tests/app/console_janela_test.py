#!/usr/bin/python3
"""The web console served by the monitor with its window (offscreen), on a
Vapora site with an empty queue (the ERP on the test Firebird server, so
that start-up has no question for the operator): the read-only pages open
on loopback, an action asks for a login, and SIGTERM ends the process with
its window."""
import os
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

sys.dont_write_bytecode = True
QUELIX = sys.argv[1]
SQL = sys.argv[2]
PORTA = int(os.environ.get("QX_CONSOLE_PORT", "26796"))


class SemRedirecionar(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *args, **kwargs):
        return None


def pede(caminho):
    """(status, Location, body) of a GET, redirects not followed."""
    abridor = urllib.request.build_opener(SemRedirecionar)
    try:
        with abridor.open("http://127.0.0.1:%d%s" % (PORTA, caminho), timeout=10) as resposta:
            return resposta.status, resposta.headers.get("Location", ""), resposta.read().decode("utf-8")
    except urllib.error.HTTPError as erro:
        return erro.code, erro.headers.get("Location", ""), erro.read().decode("utf-8", "replace")


def ambiente(nome):
    valor = os.environ.get(nome)
    if valor is None:
        raise SystemExit("FALHOU: %s is not set; start the test servers (scripts/servidores-teste.sh iniciar)" % nome)
    return valor


def cria_erp(caminho):
    """The ERP's tables in a new database of the test Firebird server; its
    Base= for QX.ini."""
    base = "%s/%s:%s" % (ambiente("QX_FB_HOST"), ambiente("QX_FB_PORT"), caminho)
    usuario, senha = ambiente("QX_FB_USER"), ambiente("QX_FB_PASSWORD")
    with open(os.path.join(SQL, "erp_firebird.sql"), encoding="utf-8") as script:
        sql = "CREATE DATABASE '%s' USER '%s' PASSWORD '%s' PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8;\n%s\nCOMMIT;\n" % (
            base, usuario, senha, script.read())
    r = subprocess.run(["isql-fb", "-q", "-b"], input=sql.encode(), capture_output=True, timeout=60)
    if r.returncode != 0:
        raise SystemExit("FALHOU: isql-fb: " + (r.stdout + r.stderr).decode("utf-8", "replace"))
    return "[Banco1]\nProtocolo=firebird\nBase=%s\nUsuario=%s\nSenha=%s\n" % (base, usuario, senha)


def main():
    caminho = os.path.join(ambiente("QX_FB_DIR"), "console-janela-%d-%d.fdb" % (os.getpid(), time.time_ns()))
    with tempfile.TemporaryDirectory() as pasta:
        with open(os.path.join(pasta, "QX.ini"), "w", encoding="utf-8") as ini:
            ini.write(cria_erp(caminho))
            # No service is called: the queue is empty.
            ini.write("[Vapora]\n" + "".join("%s=http://127.0.0.1:9/%s?wsdl\n" % (s, s) for s in (
                "Artigo", "Cliente", "Cor", "ClasseProduto", "SubClasseProduto", "Produto", "GerarOP", "Programacao",
                "TipoFio")))
            ini.write("[ModeloAtivo]\nModelo=1\n[Monitor]\nConsole=127.0.0.1:%d\n" % PORTA)
        variaveis = dict(os.environ, QT_QPA_PLATFORM="offscreen", QUELIX_INTERVALO_MS="500")
        janela = subprocess.Popen([QUELIX, "--pasta", pasta], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL, env=variaveis)
        try:
            fim = time.monotonic() + 60
            estado = None
            while time.monotonic() < fim and janela.poll() is None:
                try:
                    estado = pede("/")
                    break
                except (urllib.error.URLError, ConnectionError, TimeoutError):
                    time.sleep(0.2)
            if estado is None:
                print("FALHOU: the window's console did not answer (status %s)" % janela.poll())
                return 1
            if estado[0] != 200 or "Estado" not in estado[2]:
                print("FALHOU: Estado: %r" % (estado[:2],))
                return 1
            historico = pede("/historico")
            if historico[0] != 200 or "Histórico" not in historico[2]:
                print("FALHOU: Histórico: %r" % (historico[:2],))
                return 1
            acoes = pede("/acoes")
            if acoes[0] not in (302, 303) or not acoes[1].startswith("/login"):
                print("FALHOU: Ações without a login: %r" % (acoes[:2],))
                return 1
            janela.terminate()
            try:
                janela.wait(timeout=30)
            except subprocess.TimeoutExpired:
                print("FALHOU: SIGTERM did not end the window's process in 30 s")
                return 1
            print("ok")
            return 0
        finally:
            if janela.poll() is None:
                janela.kill()
                janela.wait()
            try:
                os.remove(caminho)
            except OSError:
                pass


if __name__ == "__main__":
    sys.exit(main())
