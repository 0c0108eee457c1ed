#!/usr/bin/python3
"""The web console in a real browser (Debian's chromium, headless, driven by
chromedriver through Selenium) against the executable run as a service:
log in, pause polling and see the cycles stop, resume and see them come
again, and "Verificar configuração" with its lines. A picture of the page is left beside the test (console-acoes.png)."""
import os
import pty
import select
import subprocess
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions as condicao
from selenium.webdriver.support.ui import WebDriverWait

QUELIX = sys.argv[1]
FOTO = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.getcwd(), "console-acoes.png")
PORTA = 26792
SENHA = b"senha-do-navegador-1"


def cria_usuario(pasta, nome):
    """quelix --usuario-console on a pty, the password typed twice."""
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(QUELIX, [QUELIX, "--pasta", pasta, "--usuario-console", nome])
    fim = time.monotonic() + 60
    while time.monotonic() < fim:
        prontos, _, _ = select.select([fd], [], [], 0.2)
        if not prontos:
            continue
        try:
            dados = os.read(fd, 4096)
        except OSError:
            break
        if not dados:
            break
        if dados.rstrip().endswith(b":"):
            os.write(fd, SENHA + b"\n")
    _, status = os.waitpid(pid, 0)
    os.close(fd)
    return os.waitstatus_to_exitcode(status)


class Saida:
    """The service's standard output, read on a thread of its own."""

    def __init__(self, processo):
        self.linhas = []
        self.trava = threading.Lock()
        threading.Thread(target=self._le, args=(processo,), daemon=True).start()

    def _le(self, processo):
        for linha in processo.stdout:
            with self.trava:
                self.linhas.append(linha.decode("utf-8", "replace").rstrip("\n"))

    def conta(self, texto):
        with self.trava:
            return sum(texto in linha for linha in self.linhas)

    def espera(self, texto, limite=30):
        fim = time.monotonic() + limite
        while time.monotonic() < fim:
            if self.conta(texto):
                return True
            time.sleep(0.1)
        return False


def main():
    with tempfile.TemporaryDirectory() as pasta:
        with open(os.path.join(pasta, "QX.ini"), "w") as ini:
            ini.write("[ModeloAtivo]\nModelo=0\n[Monitor]\nConsole=127.0.0.1:%d\n" % PORTA)
        if cria_usuario(pasta, "operador") != 0:
            print("FALHOU: the user was not made")
            return 1
        ambiente = dict(os.environ, QUELIX_INTERVALO_MS="500")
        servico = subprocess.Popen([QUELIX, "--sem-janela", "--pasta", pasta], stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, env=ambiente)
        saida = Saida(servico)
        navegador = None
        try:
            if not saida.espera("Console em http://127.0.0.1:%d/" % PORTA):
                print("FALHOU: the console did not start:\n" + "\n".join(saida.linhas))
                return 1
            # Every cycle of this folder (no database configured) ends with this line.
            ciclo = "O ciclo de Bruma parou"
            if not saida.espera(ciclo):
                print("FALHOU: no cycle ran:\n" + "\n".join(saida.linhas))
                return 1

            opcoes = webdriver.ChromeOptions()
            opcoes.binary_location = "/usr/bin/chromium"
            for argumento in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                              "--window-size=1000,640", "--user-data-dir=" + os.path.join(pasta, "chromium")]:
                opcoes.add_argument(argumento)
            navegador = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=opcoes)
            navegador.set_page_load_timeout(30)
            espera = WebDriverWait(navegador, 30)

            # The actions ask for a login, and come back after it.
            navegador.get("http://127.0.0.1:%d/acoes" % PORTA)
            espera.until(condicao.presence_of_element_located((By.ID, "usuario"))).send_keys("operador")
            navegador.find_element(By.ID, "senha").send_keys(SENHA.decode())
            navegador.find_element(By.ID, "entrar").click()
            espera.until(condicao.element_to_be_clickable((By.ID, "pausar"))).click()
            resultado = espera.until(condicao.presence_of_element_located((By.ID, "resultado"))).text
            if resultado != "Monitoramento pausado.":
                print("FALHOU: pause: %r" % resultado)
                return 1
            # Paused: no cycle for 4 intervals (a cycle running at the click ends first).
            time.sleep(1)
            antes = saida.conta(ciclo)
            time.sleep(2)
            if saida.conta(ciclo) != antes:
                print("FALHOU: cycles went on after the pause")
                return 1

            navegador.get("http://127.0.0.1:%d/acoes" % PORTA)
            navegador.save_screenshot(FOTO)
            espera.until(condicao.element_to_be_clickable((By.ID, "continuar"))).click()
            resultado = espera.until(condicao.presence_of_element_located((By.ID, "resultado"))).text
            if resultado != "Monitoramento retomado.":
                print("FALHOU: resume: %r" % resultado)
                return 1
            fim = time.monotonic() + 30
            while saida.conta(ciclo) == antes and time.monotonic() < fim:
                time.sleep(0.1)
            if saida.conta(ciclo) == antes:
                print("FALHOU: no cycle after resuming")
                return 1
            navegador.get("http://127.0.0.1:%d/acoes" % PORTA)
            # "Verificar configuração": the lines of --verifica, on the page.
            espera.until(condicao.element_to_be_clickable((By.ID, "verificar"))).click()
            linhas = WebDriverWait(navegador, 120).until(
                condicao.presence_of_element_located((By.ID, "verificacao"))).text
            if "ok: QX.ini " + pasta not in linhas or "FALHA: " not in linhas or "Verificação concluída" not in linhas:
                print("FALHOU: the check's lines: %r" % linhas)
                return 1

            for linha in ["Console: operador entrou, de 127.0.0.1.", "Console: operador pausou o monitoramento, de 127.0.0.1.",
                          "Console: operador retomou o monitoramento, de 127.0.0.1."]:
                if not saida.conta(linha):
                    print("FALHOU: the log lacks %r" % linha)
                    return 1
            print("ok; picture in " + FOTO)
            return 0
        finally:
            if navegador is not None:
                navegador.quit()
            servico.terminate()
            try:
                servico.wait(timeout=30)
            except subprocess.TimeoutExpired:
                servico.kill()
                servico.wait()


if __name__ == "__main__":
    sys.exit(main())
