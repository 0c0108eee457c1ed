#!/usr/bin/python3
"""The web console in a real browser over a Vapora site: an ERP on the test
Firebird server, the nine services on a test SOAP service of this test's own
(it counts what it gets), the executable run as a service with a short
interval. The customer service refuses one queue row for real; in the
browser the operator filters the history down to that row's failure, opens
what was sent, and "Reenviar"s the row from the Fila page; the next cycle
sends it, once. A picture of the filtered history is left beside the test
(console-historico.png).

    console_navegador_vapora_test.py QUELIX SERVICO_SOAP SQL_DIR [PICTURE]

Reads the test servers' environment (QX_FB_*); QX_CONSOLE_PORT picks the
console's port (26793)."""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support import expected_conditions as condicao
from selenium.webdriver.support.ui import WebDriverWait

# The login and the service's output come from the browser test beside this one;
# importing it leaves no bytecode in the source tree.
sys.dont_write_bytecode = True
import console_navegador_test as base  # noqa: E402

QUELIX, SERVICO_SOAP, SQL = sys.argv[1], sys.argv[2], sys.argv[3]
FOTO = sys.argv[4] if len(sys.argv) > 4 else os.path.join(os.getcwd(), "console-historico.png")
PORTA = int(os.environ.get("QX_CONSOLE_PORT", "26793"))
SERVICOS = ["Artigo", "Cliente", "Cor", "ClasseProduto", "SubClasseProduto", "Produto", "GerarOP", "Programacao",
            "TipoFio"]
# The refused row, found in the envelope by its customer's name.
RECUSADO = "Tinturaria Reenvio"


def ambiente(nome):
    valor = os.environ.get(nome)
    if valor is None:
        raise SystemExit("FALHOU: %s is not set; start the test servers (scripts/servidores-teste.sh iniciar)" % nome)
    return valor


class Erp:
    """A database of the test Firebird server, reached with isql-fb, so the
    service's connection and this test's are both the server's clients."""

    def __init__(self):
        self.caminho = os.path.join(ambiente("QX_FB_DIR"), "console-vapora-%d-%d.fdb" % (os.getpid(), time.time_ns()))
        self.base = "%s/%s:%s" % (ambiente("QX_FB_HOST"), ambiente("QX_FB_PORT"), self.caminho)
        self.usuario, self.senha = ambiente("QX_FB_USER"), ambiente("QX_FB_PASSWORD")

    def _isql(self, argumentos, sql):
        r = subprocess.run(["isql-fb", "-q", "-b"] + argumentos, input=sql.encode(), capture_output=True, timeout=60)
        if r.returncode != 0:
            raise SystemExit("FALHOU: isql-fb: " + (r.stdout + r.stderr).decode("utf-8", "replace"))
        return r.stdout.decode("utf-8", "replace")

    def cria(self, sql):
        self._isql([], "CREATE DATABASE '%s' USER '%s' PASSWORD '%s' PAGE_SIZE 4096 DEFAULT CHARACTER SET UTF8;\n%s\n"
                       "COMMIT;\n" % (self.base, self.usuario, self.senha, sql))

    def executa(self, sql):
        return self._isql(["-u", self.usuario, "-p", self.senha, self.base], sql + "\nCOMMIT;\n")

    def status(self, ordem):
        saida = self.executa("SELECT 'STATUS=' || COALESCE(STATUS, -1) FROM QX_INTEGRA WHERE ORDEM = %d;" % ordem)
        for palavra in saida.split():
            if palavra.startswith("STATUS="):
                return int(palavra[len("STATUS="):])
        return None

    def espera_status(self, ordem, esperado, limite=60):
        fim = time.monotonic() + limite
        while time.monotonic() < fim:
            if self.status(ordem) == esperado:
                return True
            time.sleep(0.2)
        return False

    def remove(self):
        try:
            os.remove(self.caminho)
        except OSError:
            pass


def fila(ordem, codigo, nome, status):
    return ("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, CAMPO3, STATUS) "
            "VALUES (%d, 'CL', 'S', '%s', '%s', '', %d);" % (ordem, codigo, nome, status))


class Soap:
    """This test's own SOAP service: its modes and the requests it got."""

    def __init__(self):
        self.processo = subprocess.Popen([SERVICO_SOAP, "--porta", "0", "--silencioso"], stdout=subprocess.PIPE)
        linha = self.processo.stdout.readline().decode().strip()
        self.endereco = linha[linha.index("http://"):].rstrip("/")

    def post(self, caminho):
        with urllib.request.urlopen(urllib.request.Request(self.endereco + caminho, method="POST"), timeout=30) as r:
            return r.read()

    def modo(self, **parametros):
        self.post("/controle/modo?" + urllib.parse.urlencode(parametros, quote_via=urllib.parse.quote))

    def envios(self, texto):
        """The calls (POSTs) whose envelope holds the text."""
        with urllib.request.urlopen(self.endereco + "/controle/pedidos", timeout=30) as r:
            pedidos = json.load(r)
        return [p for p in pedidos if p["metodo"] == "POST" and texto in p["corpo"]]

    def para(self):
        self.processo.terminate()
        self.processo.wait(timeout=30)


def main():
    erp = Erp()  # says first when the test servers are not there
    soap = Soap()
    servico = navegador = None
    pasta = tempfile.mkdtemp()
    try:
        with open(os.path.join(SQL, "erp_firebird.sql"), encoding="utf-8") as script:
            erp.cria(script.read() + "\n" + fila(1, "1", "Malharia Serra Azul", 0) + "\n" + fila(2, "2", RECUSADO, 0))
        soap.modo(servico="ClienteWS", resposta="falha", texto="cliente recusado", contem=RECUSADO)

        with open(os.path.join(pasta, "QX.ini"), "w", encoding="utf-8") as ini:
            ini.write("[Banco1]\nProtocolo=firebird\nBase=%s\nUsuario=%s\nSenha=%s\n" % (erp.base, erp.usuario, erp.senha))
            ini.write("[Vapora]\n" + "".join("%s=%s/integracao/%sWS?wsdl\n" % (s, soap.endereco, s) for s in SERVICOS))
            ini.write("[ModeloAtivo]\nModelo=1\n[Monitor]\nConsole=127.0.0.1:%d\n" % PORTA)
        if base.cria_usuario(pasta, "operador") != 0:
            print("FALHOU: the user was not made")
            return 1
        servico = subprocess.Popen([QUELIX, "--sem-janela", "--pasta", pasta], stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, env=dict(os.environ, QUELIX_INTERVALO_MS="500"))
        saida = base.Saida(servico)
        if not saida.espera("Console em http://127.0.0.1:%d/" % PORTA):
            print("FALHOU: the console did not start:\n" + "\n".join(saida.linhas))
            return 1
        # The first cycle sends row 1 and the service refuses row 2: STATUS 2.
        if not erp.espera_status(2, 2) or erp.status(1) != 1:
            print("FALHOU: row 2 did not fail (STATUS %r, row 1 %r):\n%s"
                  % (erp.status(2), erp.status(1), "\n".join(saida.linhas)))
            return 1
        if not saida.espera("Erro no envio do Cliente - 2 - " + RECUSADO):
            print("FALHOU: the failure was not said:\n" + "\n".join(saida.linhas))
            return 1

        opcoes = webdriver.ChromeOptions()
        opcoes.binary_location = "/usr/bin/chromium"
        for argumento in ["--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                          "--window-size=1200,720", "--user-data-dir=" + os.path.join(pasta, "chromium")]:
            opcoes.add_argument(argumento)
        navegador = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=opcoes)
        navegador.set_page_load_timeout(30)
        espera = WebDriverWait(navegador, 30)
        console = "http://127.0.0.1:%d" % PORTA

        navegador.get(console + "/acoes")
        espera.until(condicao.presence_of_element_located((By.ID, "usuario"))).send_keys("operador")
        navegador.find_element(By.ID, "senha").send_keys(base.SENHA.decode())
        navegador.find_element(By.ID, "entrar").click()
        espera.until(condicao.element_to_be_clickable((By.ID, "pausar")))

        # The history, filtered with its form: Vapora, key 2, failed.
        navegador.get(console + "/historico")
        filtros = espera.until(condicao.presence_of_element_located((By.ID, "filtros")))
        filtros.find_element(By.NAME, "chave").send_keys("2")
        for nome, valor in [("integracao", "Vapora"), ("desfecho", "falhou")]:
            filtros.find_element(By.CSS_SELECTOR, "select[name=%s] option[value='%s']" % (nome, valor)).click()
        filtros.find_element(By.CSS_SELECTOR, "button[type=submit]").click()
        espera.until(condicao.url_contains("chave=2"))
        linhas = espera.until(condicao.presence_of_element_located((By.ID, "registros"))).find_elements(
            By.CSS_SELECTOR, "tbody tr")
        celulas = [[c.text for c in linha.find_elements(By.CSS_SELECTOR, "td")[1:6]] for linha in linhas]
        if not celulas or any(c != ["Vapora", "saída", "CL", "2", "falhou"] for c in celulas):
            print("FALHOU: the filtered history: %r" % celulas)
            return 1
        # The record's content, folded under its lines: what was posted.
        linha = linhas[0]
        if "cliente recusado" not in linha.text:
            print("FALHOU: the failure's cause is not on its row: %r" % linha.text)
            return 1
        conteudo = linha.find_element(By.CSS_SELECTOR, "details.conteudo pre")
        if conteudo.is_displayed():
            print("FALHOU: the content is not folded")
            return 1
        linha.find_element(By.CSS_SELECTOR, "details.conteudo summary").click()
        espera.until(condicao.visibility_of(conteudo))
        if RECUSADO not in conteudo.text or "ClienteWS" not in conteudo.text:
            print("FALHOU: the record's content: %r" % conteudo.text)
            return 1
        navegador.save_screenshot(FOTO)

        # The service takes the row from now on; what it got before is forgotten.
        soap.post("/controle/limpa")
        navegador.get(console + "/fila")
        tabela = espera.until(condicao.presence_of_element_located((By.CSS_SELECTOR, "table.reenviaveis")))
        if navegador.find_elements(By.CSS_SELECTOR, "input[name=ordem][value='1']"):
            print("FALHOU: the sent row is offered for resending")
            return 1
        formulario = tabela.find_element(By.XPATH, ".//input[@name='ordem'][@value='2']/ancestor::form")
        formulario.find_element(By.CSS_SELECTOR, "button[type=submit]").click()
        resultado = espera.until(condicao.presence_of_element_located((By.ID, "resultado"))).text
        if resultado != "Tarefa ORDEM 2 de volta à fila: STATUS 2 → 0; o próximo ciclo a envia.":
            print("FALHOU: Reenviar: %r" % resultado)
            return 1

        # The next cycle sends it; a row queued after it is sent by a
        # later cycle, which must not send row 2 again.
        if not erp.espera_status(2, 1):
            print("FALHOU: the resent row was not sent (STATUS %r):\n%s" % (erp.status(2), "\n".join(saida.linhas)))
            return 1
        erp.executa(fila(3, "3", "Depois do reenvio", 0))
        if not erp.espera_status(3, 1):
            print("FALHOU: no cycle after the resend:\n" + "\n".join(saida.linhas))
            return 1
        enviados = soap.envios(RECUSADO)
        if len(enviados) != 1:
            print("FALHOU: row 2 was posted %d times after Reenviar" % len(enviados))
            return 1
        for linha in ["Reenviar pedido por operador (127.0.0.1): Tarefa ORDEM 2 de volta à fila: STATUS 2 → 0",
                      "Grava Cliente - 2 - " + RECUSADO]:
            if not saida.conta(linha):
                print("FALHOU: the log lacks %r:\n%s" % (linha, "\n".join(saida.linhas)))
                return 1
        print("ok; picture in " + FOTO)
        return 0
    finally:
        if navegador is not None:
            navegador.quit()
        if servico is not None:
            servico.terminate()
            try:
                servico.wait(timeout=30)
            except subprocess.TimeoutExpired:
                servico.kill()
                servico.wait()
        soap.para()
        erp.remove()
        shutil.rmtree(pasta, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
