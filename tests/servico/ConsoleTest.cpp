// The web console over real sockets: who may do what (sessions, CSRF,
// failed logins slowed), what it refuses (paths that climb, bodies too
// large, another host), TLS with a certificate made for the test, and the
// keys that keep it off the network without one.
#include "servico/console/ServidorConsole.h"

#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "IntegracaoTeste.h"
#include "base/Erros.h"
#include "integracao/Configuracao.h"
#include "integracao/Verificacao.h"
#include "monitor/Monitora.h"
#include "servico/console/SessoesConsole.h"
#include "servico/console/UsuariosConsole.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <future>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <thread>
#include <unistd.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

const QByteArray Senha = "senha-boa-123";

// An answer as the client read it.
struct TRecebida {
    int Status = 0;  // 0: none
    QList<std::pair<QByteArray, QByteArray>> Cabecalhos;
    QByteArray Corpo;

    QByteArray Cabecalho(const QByteArray& nome) const
    {
        for (const auto& [chave, valor] : Cabecalhos)
            if (chave == nome)
                return valor;
        return {};
    }
    // The value a Set-Cookie gives `nome`.
    QByteArray Cookie(const QByteArray& nome) const
    {
        for (const auto& [chave, valor] : Cabecalhos)
            if (chave == "set-cookie" && valor.startsWith(nome + '='))
                return valor.mid(nome.size() + 1).split(';').front();
        return {};
    }
    QByteArray LinhaCookie(const QByteArray& nome) const
    {
        for (const auto& [chave, valor] : Cabecalhos)
            if (chave == "set-cookie" && valor.startsWith(nome + '='))
                return valor;
        return {};
    }
};

// One exchange on a socket of its own, from `origem` (an address of
// 127.0.0.0/8) to 127.0.0.1:porta, blocking and bounded, from any thread.
TRecebida Troca(quint16 porta, const QByteArray& pedido, const char* origem = "127.0.0.1")
{
    TRecebida recebida;
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    timeval limite{15, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &limite, sizeof limite);
    ::setsockopt(socket, SOL_SOCKET, SO_SNDTIMEO, &limite, sizeof limite);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, origem, &local.sin_addr);
    sockaddr_in destino{};
    destino.sin_family = AF_INET;
    destino.sin_port = htons(porta);
    ::inet_pton(AF_INET, "127.0.0.1", &destino.sin_addr);
    if (::bind(socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0
        || ::connect(socket, reinterpret_cast<sockaddr*>(&destino), sizeof destino) != 0) {
        ::close(socket);
        return recebida;
    }
    for (qsizetype enviados = 0; enviados < pedido.size();) {
        const auto n = ::send(socket, pedido.constData() + enviados, size_t(pedido.size() - enviados), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        enviados += n;
    }
    QByteArray dados;
    char bloco[65536];
    qsizetype fimCabeca = -1;
    qsizetype tamanho = -1;
    while (true) {
        if (fimCabeca < 0 && (fimCabeca = dados.indexOf("\r\n\r\n")) >= 0) {
            const QList<QByteArray> linhas = dados.left(fimCabeca).split('\n');
            recebida.Status = linhas.front().split(' ').value(1).toInt();
            for (qsizetype i = 1; i < linhas.size(); ++i) {
                const qsizetype doisPontos = linhas[i].indexOf(':');
                recebida.Cabecalhos.append({linhas[i].left(doisPontos).trimmed().toLower(), linhas[i].mid(doisPontos + 1).trimmed()});
            }
            tamanho = recebida.Cabecalho("content-length").toLongLong();
        }
        if (fimCabeca >= 0 && dados.size() >= fimCabeca + 4 + tamanho)
            break;
        const auto n = ::recv(socket, bloco, sizeof bloco, 0);
        if (n <= 0)
            break;
        dados.append(bloco, n);
    }
    ::close(socket);
    if (fimCabeca >= 0)
        recebida.Corpo = dados.mid(fimCabeca + 4, tamanho);
    return recebida;
}

// Runs `cliente` on another thread while this one, the server's, handles
// its events.
template <typename F>
auto NoOutroThread(F cliente)
{
    auto resultado = std::async(std::launch::async, std::move(cliente));
    while (resultado.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return resultado.get();
}

QByteArray Pedido(quint16 porta, const QByteArray& metodo, const QByteArray& caminho, const QByteArray& cookies = {},
                  const QByteArray& corpo = {})
{
    QByteArray texto = metodo + ' ' + caminho + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(porta)
        + "\r\nConnection: close\r\n";
    if (!cookies.isEmpty())
        texto += "Cookie: " + cookies + "\r\n";
    if (metodo == "POST")
        texto += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " + QByteArray::number(corpo.size())
            + "\r\n";
    return texto + "\r\n" + corpo;
}

QByteArray CsrfDaPagina(const QByteArray& pagina)
{
    const QRegularExpressionMatch achado =
        QRegularExpression(QStringLiteral("name=\"csrf\" value=\"([^\"]+)\"")).match(QString::fromUtf8(pagina));
    return achado.captured(1).toLatin1();
}

// A session of the user: its cookie and the CSRF token of its forms.
struct TSessaoTeste {
    QByteArray Cookie;
    QByteArray Csrf;
};

// From a thread other than the server's.
TSessaoTeste Entra(quint16 porta, const QByteArray& usuario, const QByteArray& senha, const char* origem = "127.0.0.1")
{
    const TRecebida formulario = Troca(porta, Pedido(porta, "GET", "/login"), origem);
    const QByteArray entrada = "qx_entrada=" + formulario.Cookie("qx_entrada");
    const TRecebida entrou =
        Troca(porta,
              Pedido(porta, "POST", "/login", entrada,
                     "csrf=" + CsrfDaPagina(formulario.Corpo) + "&usuario=" + usuario + "&senha=" + senha + "&volta=%2Facoes"),
              origem);
    if (entrou.Status != 303)
        return {};
    const QByteArray cookie = "qx_sessao=" + entrou.Cookie("qx_sessao");
    return {cookie, CsrfDaPagina(Troca(porta, Pedido(porta, "GET", "/acoes", cookie), origem).Corpo)};
}

class Console : public ::testing::Test {
protected:
    TRelatorGravador relator;
    QTemporaryDir pasta;
    int pausas = 0;
    int verificacoes = 0;

    TFontesConsole Fontes()
    {
        TFontesConsole fontes;
        fontes.Monitorando = [this] { return pausas % 2 == 0; };
        fontes.Pausa = [this] { return ++pausas, true; };
        fontes.Continua = [this] { return ++pausas, true; };
        fontes.Verifica = [this] {
            ++verificacoes;
            return QStringList{QStringLiteral("ok: QX.ini <aqui>")};
        };
        return fontes;
    }

    std::unique_ptr<TServidorConsole> Inicia(const QHostAddress& host, TFontesConsole fontes,
                                             std::optional<QSslConfiguration> tls = std::nullopt)
    {
        TConfiguracaoConsole configuracao;
        configuracao.Endereco = {host, PortaLivreDoTeste()};
        configuracao.Tls = std::move(tls);
        configuracao.ArquivoUsuarios = UsuariosConsole::Arquivo(pasta.path());
        auto console = std::make_unique<TServidorConsole>(configuracao, std::move(fontes), relator);
        console->Escuta();
        return console;
    }

    void SetUp() override
    {
        ASSERT_TRUE(pasta.isValid());
        UsuariosConsole::Grava(UsuariosConsole::Arquivo(pasta.path()), QStringLiteral("maria"),
                               UsuariosConsole::Deriva(Senha));
    }

    static quint16 PortaLivreDoTeste()
    {
        QTcpServer servidor;
        servidor.listen(QHostAddress::LocalHost, 0);
        return servidor.serverPort();
    }
};

TEST(UsuariosConsole, HashSalgadoComIteracoesBastantes)
{
    const QByteArray registro = UsuariosConsole::Deriva("segredo-1");
    const QList<QByteArray> partes = registro.split(':');
    ASSERT_EQ(partes.size(), 4);
    EXPECT_EQ(partes[0], "pbkdf2-sha256");
    EXPECT_GE(partes[1].toInt(), 600000);
    EXPECT_NE(UsuariosConsole::Deriva("segredo-1"), registro);  // a salt of its own
    EXPECT_TRUE(UsuariosConsole::Confere("segredo-1", registro));
    EXPECT_FALSE(UsuariosConsole::Confere("segredo-2", registro));
    EXPECT_FALSE(UsuariosConsole::Confere("segredo-1", {}));
    // Fewer rounds than the floor let nobody in, even with the right password.
    EXPECT_FALSE(UsuariosConsole::Confere("segredo-1", UsuariosConsole::Deriva("segredo-1", 1000)));
}

// The table of what the console refuses and lets through, on a loopback
// address: the read-only pages without a login, every action with one.
TEST_F(Console, QuemPodeOQue)
{
    TFontesConsole fontes = Fontes();
    fontes.Estado = [](const QUrlQuery& consulta) -> QString {
        if (consulta.hasQueryItem(QStringLiteral("falha")))
            throw Exception(QStringLiteral("SELECT * FROM QX_INTEGRA em /var/lib/quelix/QX.ini"));
        return QStringLiteral("<p id=\"estado\">tudo bem</p>");
    };
    // Answered later, as a resend that waits on the database would be.
    fontes.Reenvia = [](qint64 ordem, const QString& usuario, const QString& endereco,
                        const TFontesConsole::TFimReenvio& fim) {
        QTimer::singleShot(100, [=] {
            fim(true, QStringLiteral("ORDEM %1 de volta à fila por %2 de %3 <b>").arg(ordem).arg(usuario, endereco));
        });
    };
    const auto console = Inicia(QHostAddress::LocalHost, fontes);
    const quint16 porta = console->Porta();

    struct TCaso {
        const char* nome;
        std::function<QByteArray(const TSessaoTeste&)> pedido;
        int status;
        const char* contem = nullptr;
        const char* naoContem = nullptr;
    };
    const auto get = [porta](const QByteArray& caminho, const QByteArray& cookie = {}) {
        return Pedido(porta, "GET", caminho, cookie);
    };
    const auto post = [porta](const QByteArray& caminho, const QByteArray& cookie, const QByteArray& corpo) {
        return Pedido(porta, "POST", caminho, cookie, corpo);
    };
    const QByteArray grande = "POST /acoes/pausar HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: "
        + QByteArray::number(1024 * 1024 + 1) + "\r\n\r\n" + QByteArray(64 * 1024, 'x');
    const std::vector<TCaso> casos = {
        {"estado sem entrar", [&](auto&) { return get("/"); }, 200, "tudo bem"},
        {"ações pedem entrada", [&](auto&) { return get("/acoes"); }, 303},
        {"ação sem sessão", [&](auto&) { return post("/acoes/pausar", {}, "csrf=x"); }, 403, "É preciso entrar"},
        {"ação com sessão vencida", [&](auto&) { return post("/acoes/pausar", "qx_sessao=inventada", "csrf=x"); }, 403},
        {"ação sem CSRF", [&](auto& s) { return post("/acoes/pausar", s.Cookie, {}); }, 403, "formulário venceu"},
        {"ação com CSRF errado", [&](auto& s) { return post("/acoes/pausar", s.Cookie, "csrf=" + s.Csrf.left(10) + "AAAA"); }, 403},
        {"ação por GET", [&](auto& s) { return get("/acoes/pausar", s.Cookie); }, 405},
        {"chave com <script>", [&](auto&) { return get("/historico?chave=%3Cscript%3Ealert(1)%3C%2Fscript%3E"); }, 200,
         "&lt;script&gt;alert(1)&lt;/script&gt;", "<script>alert"},
        {"../ no caminho", [&](auto&) { return get("/estatico/../QX.ini"); }, 400},
        {"../ codificado", [&](auto&) { return get("/estatico/%2e%2e/%2e%2e/etc/passwd"); }, 400},
        {"..\\ codificado", [&](auto&) { return get("/estatico/..%5cQX.ini"); }, 400},
        {"mais de 1 MB", [&](auto&) { return grande; }, 413},
        {"Content-Length negativo", [&](auto&) { return QByteArray("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: -5\r\n\r\n"); }, 400},
        {"corpo em pedaços", [&](auto&) { return QByteArray("POST /login HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n"); }, 411},
        {"linha de pedido inválida", [&](auto&) { return QByteArray("QUALQUER COISA\r\n\r\n"); }, 400},
        {"cabeça de mais de 8 KB", [&](auto&) { return "GET / HTTP/1.1\r\nX: " + QByteArray(9000, 'a') + "\r\n\r\n"; }, 431},
        {"outro host", [&](auto&) { return QByteArray("GET / HTTP/1.1\r\nHost: atacante.example\r\nConnection: close\r\n\r\n"); }, 421},
        {"erro sem SQL nem caminho", [&](auto&) { return get("/?falha=1"); }, 500, "log do monitor", "QX_INTEGRA"},
        {"página desconhecida", [&](auto&) { return get("/config"); }, 404},
        {"estilo embutido", [&](auto&) { return get("/estatico/console.css"); }, 200, "--destaque"},
        {"ação com sessão e CSRF", [&](auto& s) { return post("/acoes/pausar", s.Cookie, "csrf=" + s.Csrf); }, 200, "Monitoramento pausado."},
        {"reenvio respondido depois", [&](auto& s) { return post("/acoes/reenviar", s.Cookie, "csrf=" + s.Csrf + "&ordem=7"); },
         200, "ORDEM 7 de volta à fila por maria de 127.0.0.1 &lt;b&gt;"},
        {"reenvio sem ORDEM", [&](auto& s) { return post("/acoes/reenviar", s.Cookie, "csrf=" + s.Csrf + "&ordem=x"); }, 400},
        {"verificação escapada", [&](auto& s) { return post("/acoes/verificar", s.Cookie, "csrf=" + s.Csrf); }, 200, "ok: QX.ini &lt;aqui&gt;"},
    };
    const auto [sessao, respostas] = NoOutroThread([&] {
        const TSessaoTeste entrou = Entra(porta, "maria", Senha);
        std::vector<TRecebida> lidas;
        for (const TCaso& caso : casos)
            lidas.push_back(Troca(porta, caso.pedido(entrou)));
        return std::pair(entrou, lidas);
    });
    ASSERT_FALSE(sessao.Cookie.isEmpty());
    ASSERT_FALSE(sessao.Csrf.isEmpty());
    for (std::size_t i = 0; i < casos.size(); ++i) {
        SCOPED_TRACE(casos[i].nome);
        const TRecebida& resposta = respostas[i];
        EXPECT_EQ(resposta.Status, casos[i].status) << resposta.Corpo.toStdString();
        if (casos[i].contem) {
            EXPECT_TRUE(resposta.Corpo.contains(casos[i].contem)) << resposta.Corpo.toStdString();
        }
        if (casos[i].naoContem) {
            EXPECT_FALSE(resposta.Corpo.contains(casos[i].naoContem)) << resposta.Corpo.toStdString();
        }
        if (resposta.Status < 400 || resposta.Status >= 500 || resposta.Status == 403 || resposta.Status == 404) {
            EXPECT_TRUE(resposta.Cabecalho("content-security-policy").contains("script-src 'self'"));
        }
    }
    EXPECT_EQ(pausas, 1);  // only the action with its session and token
    EXPECT_EQ(verificacoes, 1);
    EXPECT_EQ(respostas[1].Cabecalho("location"), "/login?volta=%2Facoes");
    EXPECT_TRUE(relator.Linhas.join('\n').contains(QStringLiteral("QX_INTEGRA")));  // the cause, in the log

    // The session's cookie, and its end.
    const auto [entrada, saiu, depois] = NoOutroThread([&] {
        const TRecebida formulario = Troca(porta, Pedido(porta, "GET", "/login"));
        const QByteArray cookieEntrada = "qx_entrada=" + formulario.Cookie("qx_entrada");
        const TRecebida entrou = Troca(porta, Pedido(porta, "POST", "/login", cookieEntrada,
                                                     "csrf=" + CsrfDaPagina(formulario.Corpo) + "&usuario=maria&senha=" + Senha));
        const TRecebida saida = Troca(porta, Pedido(porta, "POST", "/logout", sessao.Cookie, "csrf=" + sessao.Csrf));
        const TRecebida posterior = Troca(porta, Pedido(porta, "POST", "/acoes/pausar", sessao.Cookie, "csrf=" + sessao.Csrf));
        return std::tuple(entrou, saida, posterior);
    });
    const QByteArray cookie = entrada.LinhaCookie("qx_sessao");
    EXPECT_TRUE(cookie.contains("; HttpOnly") && cookie.contains("; SameSite=Strict")) << cookie.toStdString();
    EXPECT_FALSE(cookie.contains("Secure"));
    EXPECT_EQ(entrada.Cookie("qx_sessao").size(), 43);  // 32 random bytes
    EXPECT_EQ(saiu.Status, 303);
    EXPECT_EQ(depois.Status, 403);
}

// On an address other than a loopback one, every page needs a login.
TEST_F(Console, ForaDoLoopbackTudoPedeEntrada)
{
    const auto console = Inicia(QHostAddress::AnyIPv4, Fontes());
    const quint16 porta = console->Porta();
    const auto [anonimo, logado] = NoOutroThread([porta] {
        const TRecebida semEntrar = Troca(porta, Pedido(porta, "GET", "/historico?chave=1"));
        const TSessaoTeste sessao = Entra(porta, "maria", Senha);
        return std::pair(semEntrar, Troca(porta, Pedido(porta, "GET", "/", sessao.Cookie)));
    });
    EXPECT_EQ(anonimo.Status, 303);
    EXPECT_EQ(anonimo.Cabecalho("location"), "/login?volta=%2Fhistorico%3Fchave%3D1");
    EXPECT_EQ(logado.Status, 200);
    EXPECT_TRUE(logado.Corpo.contains("maria"));
}

// Sessions end when left unused, and past their absolute age; their count
// is bounded.
TEST(SessoesConsole, VencemEFicamLimitadas)
{
    TSessoesConsole sessoes;
    const QByteArray token = sessoes.Cria(QStringLiteral("maria"));
    ASSERT_NE(sessoes.Busca(token), nullptr);
    sessoes.Adianta(TSessoesConsole::OciosaMs - 1000);
    ASSERT_NE(sessoes.Busca(token), nullptr);  // used: its idle time starts again
    sessoes.Adianta(TSessoesConsole::OciosaMs + 1);
    EXPECT_EQ(sessoes.Busca(token), nullptr);

    const QByteArray longa = sessoes.Cria(QStringLiteral("maria"));
    for (qint64 passado = 0; passado <= TSessoesConsole::AbsolutaMs; passado += TSessoesConsole::OciosaMs / 2) {
        sessoes.Adianta(TSessoesConsole::OciosaMs / 2);
        if (!sessoes.Busca(longa))
            break;
    }
    EXPECT_EQ(sessoes.Busca(longa), nullptr);

    for (int i = 0; i < 3 * TSessoesConsole::MaximoSessoes; ++i)
        sessoes.Cria(QStringLiteral("u%1").arg(i));
    EXPECT_EQ(sessoes.Quantas(), TSessoesConsole::MaximoSessoes);
}

long MemoriaResidenteKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& linha : status.readAll().split('\n'))
        if (linha.startsWith("VmRSS:"))
            return linha.mid(6).trimmed().split(' ').front().toLong();
    return -1;
}

// 10 000 wrong logins from 2 500 addresses, 32 at a time, while the monitor
// cycles: each is answered (refused), the addresses remembered stay within
// their bound, the cycles go on, and the right password still gets in.
TEST_F(Console, DezMilEntradasErradasCustoLimitado)
{
    std::atomic<int> ciclos = 0;
    TDefinicaoTeste tipo = Tipo(0, QStringLiteral("Teste"));
    tipo.primeira = [&ciclos](TContextoIntegracao&) { ++ciclos; };
    TMonitora monitora(relator, TFabricasIntegracao{FabricaTeste(tipo)},
                       PastaComIni(QStringLiteral("[ModeloAtivo]\nModelo=0\n")));
    monitora.DefineIntervaloDoAmbiente(QStringLiteral("20"));
    ASSERT_TRUE(monitora.Inicia());
    const auto console = Inicia(QHostAddress::AnyIPv4, Fontes());
    const quint16 porta = console->Porta();

    const long memoriaAntes = MemoriaResidenteKb();
    const int ciclosAntes = ciclos;
    constexpr int Total = 10000;
    constexpr int Enderecos = 2500;
    constexpr int Clientes = 32;
    auto [porStatus, semResposta] = NoOutroThread([porta] {
        std::atomic<int> proximo = 0;
        std::mutex mutex;
        std::map<int, int> contagem;
        int perdidas = 0;
        std::vector<std::thread> clientes;
        for (int c = 0; c < Clientes; ++c)
            clientes.emplace_back([&] {
                for (int i = proximo++; i < Total; i = proximo++) {
                    const int endereco = i % Enderecos;
                    const QByteArray origem =
                        "127.1." + QByteArray::number(endereco / 250) + '.' + QByteArray::number(endereco % 250 + 1);
                    const TRecebida resposta = Troca(
                        porta, Pedido(porta, "POST", "/login", "qx_entrada=abc", "csrf=abc&usuario=maria&senha=errada"),
                        origem.constData());
                    const std::lock_guard trava(mutex);
                    ++contagem[resposta.Status];
                    perdidas += resposta.Status == 0 ? 1 : 0;
                }
            });
        for (std::thread& cliente : clientes)
            cliente.join();
        return std::pair(contagem, perdidas);
    });
    const long crescimentoKb = MemoriaResidenteKb() - memoriaAntes;
    std::printf("10 000 entradas erradas: %s; memória residente +%ld kB; %d ciclos no meio\n",
                [&] {
                    QStringList partes;
                    for (const auto& [status, quantas] : porStatus)
                        partes << QStringLiteral("%1: %2").arg(status).arg(quantas);
                    return partes.join(QStringLiteral(", ")).toStdString();
                }()
                    .c_str(),
                crescimentoKb, ciclos - ciclosAntes);
    EXPECT_EQ(semResposta, 0);
    EXPECT_EQ(porStatus.count(200) + porStatus.count(303), 0u);
    EXPECT_EQ(porStatus[401] + porStatus[429] + porStatus[503], Total);
    EXPECT_LE(console->EnderecosFreados(), TFreioEntrada::MaximoEnderecos);
    EXPECT_GT(ciclos - ciclosAntes, 5);
    EXPECT_LT(crescimentoKb, 64 * 1024);

    // Another address is not slowed by them, and gets in.
    const TSessaoTeste sessao = NoOutroThread([porta] { return Entra(porta, "maria", Senha, "127.2.0.1"); });
    EXPECT_FALSE(sessao.Cookie.isEmpty());
    monitora.Encerra();
}

// A failure slows the next attempt of that address only.
TEST(FreioEntrada, EsperaDobraPorEnderecoELimitada)
{
    TFreioEntrada freio;
    const QHostAddress a(QStringLiteral("10.0.0.1"));
    EXPECT_EQ(freio.Espera(a), 0);
    freio.Falhou(a);
    const qint64 primeira = freio.Espera(a);
    EXPECT_GT(primeira, 0);
    freio.Falhou(a);
    EXPECT_GT(freio.Espera(a), primeira);
    EXPECT_EQ(freio.Espera(QHostAddress(QStringLiteral("10.0.0.2"))), 0);
    for (int i = 0; i < 40; ++i)
        freio.Falhou(a);
    EXPECT_LE(freio.Espera(a), TFreioEntrada::MaximaEsperaMs);
    freio.Passou(a);
    EXPECT_EQ(freio.Espera(a), 0);
    for (quint32 i = 0; i < 3 * TFreioEntrada::MaximoEnderecos; ++i)
        freio.Falhou(QHostAddress(0x0b000000 + i));
    EXPECT_EQ(freio.Enderecos(), TFreioEntrada::MaximoEnderecos);
}

// HTTPS with a certificate made now by openssl: a client that trusts it
// gets the pages and a session cookie marked Secure; plain HTTP gets no page.
TEST_F(Console, HttpsComCertificadoDoTeste)
{
    QProcess openssl;
    openssl.setWorkingDirectory(pasta.path());
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                   QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:P-256"), QStringLiteral("-nodes"),
                   QStringLiteral("-keyout"), QStringLiteral("chave.pem"), QStringLiteral("-out"),
                   QStringLiteral("certificado.pem"), QStringLiteral("-days"), QStringLiteral("1"),
                   QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                   QStringLiteral("subjectAltName=IP:127.0.0.1")});
    ASSERT_TRUE(openssl.waitForFinished(60000)) << "openssl is missing";
    ASSERT_EQ(openssl.exitCode(), 0) << openssl.readAllStandardError().toStdString();

    // A port of this test's own: one the system picks may still be held, on
    // another address, by a client socket of the test before.
    const quint16 porta = 26790;
    QFile ini(QDir(pasta.path()).filePath(QStringLiteral("QX.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(QStringLiteral("[Monitor]\nConsole=0.0.0.0:%1\nConsoleCertificado=certificado.pem\nConsoleChave=chave.pem\n")
                  .arg(porta)
                  .toUtf8());
    ini.close();
    const auto console = TServidorConsole::Inicia(TConfiguracao(pasta.path()), Fontes(), relator);
    ASSERT_NE(console, nullptr) << relator.Linhas.join('\n').toStdString();
    EXPECT_EQ(relator.Linhas.value(0), QStringLiteral("Console em https://0.0.0.0:%1/").arg(porta));

    const QList<QSslCertificate> confiavel =
        QSslCertificate::fromPath(QDir(pasta.path()).filePath(QStringLiteral("certificado.pem")));
    const auto [pagina, simples] = NoOutroThread([porta, confiavel] {
        QSslSocket socket;
        QSslConfiguration configuracao = socket.sslConfiguration();
        configuracao.setCaCertificates(confiavel);
        socket.setSslConfiguration(configuracao);
        socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), porta);
        QByteArray resposta;
        if (socket.waitForEncrypted(15000)) {
            socket.write("GET /login HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
            while (socket.waitForReadyRead(15000))
                resposta += socket.readAll();
        } else {
            resposta = "sem TLS: " + socket.errorString().toUtf8();
        }
        return std::pair(resposta, Troca(porta, Pedido(porta, "GET", "/login")));
    });
    EXPECT_TRUE(pagina.startsWith("HTTP/1.1 200 OK\r\n")) << pagina.toStdString();
    EXPECT_TRUE(pagina.contains("; SameSite=Strict; Secure\r\n")) << pagina.toStdString();
    EXPECT_EQ(simples.Status, 0);
}

// The keys: off, an address the console refuses with the reason, and what
// --verifica says of them.
TEST(ConfiguracaoConsole, ChavesERecusas)
{
    const struct {
        QString ini;
        QString erro;  // empty: accepted
    } casos[] = {
        {QStringLiteral("Console=127.0.0.1:9465\n"), {}},
        {QStringLiteral("Console=localhost:9465\n"), {}},
        {QStringLiteral("Console=0.0.0.0:9465\nConsoleSemTls=S\n"), {}},
        {QStringLiteral("Console=9465\n"),
         QStringLiteral("[Monitor] Console \"9465\" não é um endereço host:porta (por exemplo 127.0.0.1:9465).")},
        {QStringLiteral("Console=0.0.0.0:9465\n"),
         QStringLiteral("Console: 0.0.0.0:9465 não é um endereço de loopback e não há [Monitor] ConsoleCertificado e "
                        "ConsoleChave; o console não foi iniciado, para que senhas e sessões não passem pela rede sem "
                        "criptografia. Dê um certificado, ou ConsoleSemTls=S para servir HTTP assim mesmo.")},
        {QStringLiteral("Console=0.0.0.0:9465\nConsoleCertificado=c.pem\n"),
         QStringLiteral("[Monitor] ConsoleCertificado sem ConsoleChave: o HTTPS do console pede os dois arquivos PEM.")},
        {QStringLiteral("Console=0.0.0.0:9465\nConsoleCertificado=nao-ha.pem\nConsoleChave=nao-ha.pem\n"),
         QStringLiteral("[Monitor] ConsoleCertificado \"")},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.ini.toStdString());
        const TConfiguracao ini(PastaComIni(QStringLiteral("[Monitor]\n") + caso.ini));
        QString erro;
        try {
            EXPECT_TRUE(LeConfiguracaoConsole(ini).has_value());
        } catch (const Exception& e) {
            erro = e.Message();
        }
        if (caso.erro.isEmpty())
            EXPECT_TRUE(erro.isEmpty()) << erro.toStdString();
        else
            EXPECT_TRUE(erro.startsWith(caso.erro)) << erro.toStdString();
    }
    EXPECT_FALSE(LeConfiguracaoConsole(TConfiguracao(PastaComIni(QStringLiteral("[Monitor]\nConsole=\n")))).has_value());

    // Started from the keys: the refusal is one line, and no console.
    TRelatorGravador relator;
    EXPECT_EQ(TServidorConsole::Inicia(TConfiguracao(PastaComIni(QStringLiteral("[Monitor]\nConsole=0.0.0.0:9465\n"))),
                                       {}, relator),
              nullptr);
    ASSERT_EQ(relator.Linhas.size(), 1);
    EXPECT_TRUE(relator.Linhas.front().startsWith(QStringLiteral("Console: 0.0.0.0:9465 não é um endereço de loopback")));
    EXPECT_TRUE(relator.Linhas.front().endsWith(QStringLiteral(" O monitor segue sem o console.")));

    relator.Limpa();
    TVerificacao verificacao(relator);
    VerificaConsole(TConfiguracao(PastaComIni(QStringLiteral("[Monitor]\nConsole=0.0.0.0:9465\n"))), verificacao);
    EXPECT_FALSE(verificacao.Passou());
    EXPECT_TRUE(relator.Linhas.join('\n').contains(QStringLiteral("FALHA: [Monitor] Console = 0.0.0.0:9465")))
        << relator.Linhas.join('\n').toStdString();
}

} // namespace
