#include "servico/console/ServidorConsole.h"

#include "base/Erros.h"
#include "integracao/Configuracao.h"
#include "integracao/Relator.h"
#include "integracao/Verificacao.h"
#include "servico/console/AcoesConsole.h"
#include "servico/console/LayoutConsole.h"
#include "servico/console/SessoesConsole.h"
#include "servico/console/UsuariosConsole.h"

#include <QDir>
#include <QFile>
#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <exception>

namespace {

using TPedido = TServidorHttp::TPedido;
using TResposta = TServidorHttp::TResposta;
using TResponde = TServidorHttp::TResponde;

const QByteArray CookieSessao = QByteArrayLiteral("qx_sessao");
const QByteArray CookieEntrada = QByteArrayLiteral("qx_entrada");

// A PEM file of the keys: its bytes; raises Exception naming the key.
QByteArray LePem(const TConfiguracao& ini, const QString& chave, const QString& valor)
{
    QFile arquivo(QDir(ini.Pasta()).absoluteFilePath(valor));
    if (!arquivo.open(QIODevice::ReadOnly))
        throw Exception(QStringLiteral("[Monitor] %1 \"%2\" não pode ser lido: %3.")
                            .arg(chave, arquivo.fileName(), arquivo.errorString()));
    return arquivo.readAll();
}

QSslConfiguration ConfiguracaoTls(const TConfiguracao& ini, const QString& certificado, const QString& chave)
{
    const QList<QSslCertificate> cadeia = QSslCertificate::fromData(LePem(ini, QStringLiteral("ConsoleCertificado"), certificado), QSsl::Pem);
    if (cadeia.isEmpty() || cadeia.front().isNull())
        throw Exception(QStringLiteral("[Monitor] ConsoleCertificado \"%1\" não é um certificado PEM.").arg(certificado));
    const QByteArray pem = LePem(ini, QStringLiteral("ConsoleChave"), chave);
    QSslKey privada(pem, QSsl::Rsa, QSsl::Pem, QSsl::PrivateKey);
    if (privada.isNull())
        privada = QSslKey(pem, QSsl::Ec, QSsl::Pem, QSsl::PrivateKey);
    if (privada.isNull())
        throw Exception(QStringLiteral("[Monitor] ConsoleChave \"%1\" não é uma chave privada PEM (RSA ou EC, sem senha).")
                            .arg(chave));
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(cadeia);
    tls.setPrivateKey(privada);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    tls.setProtocol(QSsl::TlsV1_2OrLater);
    return tls;
}

QString Endereco(const TConfiguracaoConsole& configuracao)
{
    return TextoEnderecoMetricas(configuracao.Endereco);
}

// The headers of every page: nothing from elsewhere, no framing, nothing
// kept in caches or sent on in a referrer.
void Protege(TResposta& resposta)
{
    resposta.Cabecalhos << QByteArrayLiteral("Content-Security-Policy: default-src 'none'; script-src 'self'; "
                                             "style-src 'self'; img-src 'self' data:; form-action 'self'; "
                                             "frame-ancestors 'none'; base-uri 'none'")
                        << QByteArrayLiteral("X-Content-Type-Options: nosniff")
                        << QByteArrayLiteral("X-Frame-Options: DENY") << QByteArrayLiteral("Referrer-Policy: no-referrer")
                        << QByteArrayLiteral("Cache-Control: no-store");
}

TResposta Html(int status, const QString& pagina)
{
    return {status, QByteArrayLiteral("text/html; charset=utf-8"), pagina.toUtf8(), {}};
}

// `destino` is a path of this console, in printable ASCII (encoded).
TResposta Redireciona(const QString& destino)
{
    TResposta resposta = Html(303, QString());
    resposta.Cabecalhos << "Location: " + destino.toLatin1();
    return resposta;
}

// Where a login goes back to: a path of this console as its links encode
// it, nothing else.
QString Volta(const QString& pedida)
{
    const bool imprimivel = std::all_of(pedida.cbegin(), pedida.cend(), [](QChar c) { return c > u' ' && c < u'\x7f'; });
    if (!imprimivel || !pedida.startsWith(u'/') || pedida.startsWith(QStringLiteral("//")) || pedida.contains(u'\\')
        || pedida.startsWith(QStringLiteral("/login")))
        return QStringLiteral("/");
    return pedida;
}

QString CaminhoComConsulta(const TPedido& pedido)
{
    const QString consulta = pedido.Consulta.toString(QUrl::FullyEncoded);
    return consulta.isEmpty() ? pedido.Caminho : pedido.Caminho + u'?' + consulta;
}

// A request that names another host than this machine, to a console open
// without a login: a page of another site that a name now points here.
bool HostDestaMaquina(const QByteArray& host)
{
    if (host.isEmpty())
        return true;
    QByteArray nome = host.toLower();
    if (nome.startsWith('[')) {
        nome = nome.mid(1, nome.indexOf(']') - 1);
    } else if (nome.count(':') == 1) {
        nome = nome.left(nome.indexOf(':'));
    }
    if (nome == "localhost")
        return true;
    const QHostAddress endereco(QString::fromLatin1(nome));
    return !endereco.isNull() && endereco.isLoopback();
}

} // namespace

std::optional<TConfiguracaoConsole> LeConfiguracaoConsole(const TConfiguracao& ini)
{
    const QString secao = QStringLiteral("Monitor");
    const QString valor = ini.LerIni(secao, QStringLiteral("Console")).trimmed();
    if (valor.isEmpty())
        return std::nullopt;
    TConfiguracaoConsole configuracao;
    configuracao.Endereco = LeEnderecoEscuta(QStringLiteral("Console"), valor, QStringLiteral("127.0.0.1:9465"));
    configuracao.ArquivoUsuarios = UsuariosConsole::Arquivo(ini.Pasta());
    configuracao.SemTls = ini.LerIni(secao, QStringLiteral("ConsoleSemTls")).trimmed().compare(u"S", Qt::CaseInsensitive) == 0;
    const QString certificado = ini.LerIni(secao, QStringLiteral("ConsoleCertificado")).trimmed();
    const QString chave = ini.LerIni(secao, QStringLiteral("ConsoleChave")).trimmed();
    if (certificado.isEmpty() != chave.isEmpty())
        throw Exception(QStringLiteral("[Monitor] %1 sem %2: o HTTPS do console pede os dois arquivos PEM.")
                            .arg(certificado.isEmpty() ? QStringLiteral("ConsoleChave") : QStringLiteral("ConsoleCertificado"),
                                 certificado.isEmpty() ? QStringLiteral("ConsoleCertificado") : QStringLiteral("ConsoleChave")));
    if (!certificado.isEmpty())
        configuracao.Tls = ConfiguracaoTls(ini, certificado, chave);
    else if (!configuracao.Endereco.Host.isLoopback() && !configuracao.SemTls)
        throw Exception(QStringLiteral("Console: %1 não é um endereço de loopback e não há [Monitor] ConsoleCertificado "
                                       "e ConsoleChave; o console não foi iniciado, para que senhas e sessões não "
                                       "passem pela rede sem criptografia. Dê um certificado, ou ConsoleSemTls=S para "
                                       "servir HTTP assim mesmo.")
                            .arg(Endereco(configuracao)));
    return configuracao;
}

void VerificaConsole(const TConfiguracao& ini, TVerificacao& verificacao)
{
    const QString valor = ini.LerIni(QStringLiteral("Monitor"), QStringLiteral("Console")).trimmed();
    if (valor.isEmpty())
        return;
    verificacao.ChaveSimNao(ini, QStringLiteral("Monitor"), QStringLiteral("ConsoleSemTls"));
    QString motivo;
    std::optional<TConfiguracaoConsole> configuracao;
    try {
        configuracao = LeConfiguracaoConsole(ini);
    } catch (const Exception& e) {
        motivo = e.Message();
    }
    verificacao.Confere(QStringLiteral("[Monitor] Console = %1").arg(valor), motivo);
    const QString arquivo = UsuariosConsole::Arquivo(ini.Pasta());
    try {
        if (UsuariosConsole::Le(arquivo).isEmpty())
            verificacao.Aviso(QStringLiteral("console: nenhum usuário em %1; as ações pedem entrada "
                                             "(crie um com quelix --usuario-console NOME)")
                                  .arg(arquivo));
        else
            verificacao.Ok(QStringLiteral("usuários do console em ") + arquivo);
    } catch (const Exception& e) {
        verificacao.Falha(QStringLiteral("usuários do console"), e.Message());
    }
}

class TServidorConsole::TAtendimento {
public:
    TAtendimento(TConfiguracaoConsole configuracao, TFontesConsole fontes, TRelator& relator)
        : FConfiguracao(std::move(configuracao))
        , FFontes(std::move(fontes))
        , FRelator(relator)
        , FbAberto(FConfiguracao.Endereco.Host.isLoopback())
        , FServidor([this](const TPedido& pedido, const TResponde& responde) { Atende(pedido, responde); },
                    QStringLiteral("Conexões demais abertas com o console."))
    {
        FConferencias.setMaxThreadCount(1);
    }

    ~TAtendimento() { FConferencias.waitForDone(); }

    void Escuta()
    {
        FServidor.Escuta(FConfiguracao.Endereco.Host, FConfiguracao.Endereco.Porta, QStringLiteral("Console"),
                         FConfiguracao.Tls);
    }

    TConfiguracaoConsole FConfiguracao;
    TFontesConsole FFontes;
    TRelator& FRelator;
    // Read-only pages without a login: only on a loopback address.
    const bool FbAberto;
    TSessoesConsole FSessoes;
    TFreioEntrada FFreio;
    int FConferindo = 0;
    QObject FContexto;
    QThreadPool FConferencias;  // after FContexto: gone first, its work done
    TServidorHttp FServidor;

private:
    void Atende(const TPedido& pedido, const TResponde& responde)
    {
        const TResponde protegida = [responde](const TResposta& resposta) {
            TResposta final = resposta;
            Protege(final);
            responde(final);
        };
        try {
            Roteia(pedido, protegida);
        } catch (const std::exception& e) {
            FRelator.AdicionaLinha(QStringLiteral("Console: erro ao responder %1 %2: %3")
                                       .arg(QString::fromLatin1(pedido.Metodo), pedido.Caminho, QString::fromUtf8(e.what())));
            protegida(Erro(500, QStringLiteral("Erro interno"),
                           QStringLiteral("O console não conseguiu montar esta página; o motivo está no log do monitor.")));
        } catch (...) {
            FRelator.AdicionaLinha(QStringLiteral("Console: erro ao responder %1 %2.")
                                       .arg(QString::fromLatin1(pedido.Metodo), pedido.Caminho));
            protegida(Erro(500, QStringLiteral("Erro interno"),
                           QStringLiteral("O console não conseguiu montar esta página; o motivo está no log do monitor.")));
        }
    }

    struct TQuem {
        bool Logado = false;
        QByteArray Token;
        TSessoesConsole::TSessao Sessao;  // a copy: an action may outlive it
    };

    TQuem Sessao(const TPedido& pedido)
    {
        TQuem quem;
        quem.Token = pedido.Cookie(CookieSessao);
        if (quem.Token.isEmpty())
            return quem;
        if (const TSessoesConsole::TSessao* sessao = FSessoes.Busca(quem.Token)) {
            quem.Logado = true;
            quem.Sessao = *sessao;
        }
        return quem;
    }

    TResposta Pagina(int status, const QString& titulo, const QString& ativa, const TQuem& quem, const QString& corpo) const
    {
        return Html(status, PaginaConsole({titulo, ativa, quem.Logado ? quem.Sessao.Usuario : QString(), quem.Sessao.Csrf,
                                           !quem.Logado, corpo}));
    }

    TResposta Erro(int status, const QString& titulo, const QString& texto) const
    {
        return Html(status, PaginaConsole({titulo, QString(), QString(), {}, false,
                                           QStringLiteral("<p class=\"erro\">%1</p>").arg(Escapa(texto))}));
    }

    static TResposta SoMetodos(const char* metodos)
    {
        TResposta resposta = TResposta::Texto(405, QStringLiteral("Método não aceito neste caminho."));
        resposta.Cabecalhos << QByteArray("Allow: ") + metodos;
        return resposta;
    }

    void Roteia(const TPedido& pedido, const TResponde& responde)
    {
        const QString& caminho = pedido.Caminho;
        const bool leitura = pedido.Metodo == "GET" || pedido.Metodo == "HEAD";
        if (caminho.startsWith(QStringLiteral("/estatico/"))) {
            const auto arquivo = ArquivoEstatico(caminho.mid(10));
            if (!arquivo)
                return responde(Erro(404, QStringLiteral("Não encontrado"), QStringLiteral("Esta página não existe.")));
            if (!leitura)
                return responde(SoMetodos("GET, HEAD"));
            return responde({200, arquivo->Tipo, arquivo->Conteudo, {}});
        }
        if (FbAberto && !HostDestaMaquina(pedido.Cabecalho("host")))
            return responde(TResposta::Texto(421, QStringLiteral("Este console só atende pelo nome desta máquina.")));
        const TQuem quem = Sessao(pedido);
        if (caminho == QLatin1String("/login"))
            return pedido.Metodo == "POST" ? Entra(pedido, responde) : leitura ? responde(PaginaEntrada(pedido, {}, 200))
                                                                              : responde(SoMetodos("GET, HEAD, POST"));
        if (caminho == QLatin1String("/logout")) {
            if (pedido.Metodo != "POST")
                return responde(SoMetodos("POST"));
            if (quem.Logado && CsrfConfere(pedido, quem))
                FSessoes.Remove(quem.Token);
            TResposta resposta = Redireciona(QStringLiteral("/login"));
            resposta.Cabecalhos << CookieDeSessao({}, pedido.Seguro, true);
            return responde(resposta);
        }
        if (caminho.startsWith(QStringLiteral("/acoes/")))
            return pedido.Metodo == "POST" ? Age(caminho.mid(7), pedido, quem, responde) : responde(SoMetodos("POST"));
        static const QStringList paginas = {QStringLiteral("/"), QStringLiteral("/historico"), QStringLiteral("/fila"),
                                            QStringLiteral("/acoes"), QStringLiteral("/historico.csv"),
                                            QStringLiteral("/historico.json")};
        if (!paginas.contains(caminho))
            return responde(Erro(404, QStringLiteral("Não encontrado"), QStringLiteral("Esta página não existe.")));
        if (!leitura)
            return responde(SoMetodos("GET, HEAD"));
        if (!quem.Logado && (!FbAberto || caminho == QLatin1String("/acoes")))
            return responde(Redireciona(QStringLiteral("/login?volta=")
                                        + QString::fromLatin1(QUrl::toPercentEncoding(CaminhoComConsulta(pedido)))));
        if (caminho == QLatin1String("/fila") && FFontes.Fila) {
            FFontes.Fila(quem.Logado ? quem.Sessao.Csrf : QByteArray(), [this, caminho, quem, responde](const QString& corpo) {
                responde(Pagina(200, QStringLiteral("Fila"), caminho, quem, corpo));
            });
            return;
        }
        responde(Le(caminho, pedido, quem));
    }

    TResposta Le(const QString& caminho, const TPedido& pedido, const TQuem& quem)
    {
        const QString indisponivel = QStringLiteral("<p class=\"aviso\">Esta página ainda não está disponível neste monitor.</p>");
        if (caminho == QLatin1String("/"))
            return Pagina(200, QStringLiteral("Estado"), caminho, quem,
                          FFontes.Estado ? FFontes.Estado(pedido.Consulta) : CorpoEstadoMinimo());
        if (caminho == QLatin1String("/historico")) {
            if (FFontes.Historico)
                return Pagina(200, QStringLiteral("Histórico"), caminho, quem, FFontes.Historico(pedido.Consulta));
            // What was asked is shown back, as text.
            const QString chave = pedido.Consulta.queryItemValue(QStringLiteral("chave"), QUrl::FullyDecoded);
            return Pagina(200, QStringLiteral("Histórico"), caminho, quem,
                          indisponivel + QStringLiteral("<p>Chave pedida: <span id=\"chave\">%1</span></p>").arg(Escapa(chave)));
        }
        if (caminho.startsWith(QStringLiteral("/historico."))) {
            const QString formato = caminho.mid(11);
            if (!FFontes.HistoricoArquivo)
                return Erro(404, QStringLiteral("Não encontrado"), QStringLiteral("Esta página não existe."));
            TResposta resposta{200,
                               formato == QLatin1String("csv") ? QByteArrayLiteral("text/csv; charset=utf-8")
                                                               : QByteArrayLiteral("application/json"),
                               FFontes.HistoricoArquivo(pedido.Consulta, formato),
                               {}};
            resposta.Cabecalhos << "Content-Disposition: attachment; filename=\"historico." + formato.toLatin1() + '"';
            return resposta;
        }
        if (caminho == QLatin1String("/fila"))
            return Pagina(200, QStringLiteral("Fila"), caminho, quem, indisponivel);
        return Pagina(200, QStringLiteral("Ações"), caminho, quem,
                      CorpoAcoes(FFontes.Monitorando ? std::optional(FFontes.Monitorando()) : std::nullopt,
                                 quem.Sessao.Csrf, bool(FFontes.Reenvia)));
    }

    QString CorpoEstadoMinimo() const
    {
        QString corpo = QStringLiteral("<p class=\"aviso\">O resumo do estado ainda não está disponível neste monitor.</p>");
        if (FFontes.Monitorando)
            corpo += QStringLiteral("<p>Monitorando: <strong id=\"monitorando\">%1</strong>.</p>")
                         .arg(FFontes.Monitorando() ? QStringLiteral("sim") : QStringLiteral("não"));
        return corpo;
    }

    static bool CsrfConfere(const TPedido& pedido, const TQuem& quem)
    {
        const QByteArray enviado = pedido.Formulario().queryItemValue(QStringLiteral("csrf"), QUrl::FullyDecoded).toLatin1();
        return !quem.Sessao.Csrf.isEmpty() && IguaisEmTempoConstante(enviado, quem.Sessao.Csrf);
    }

    static QByteArray CookieDeSessao(const QByteArray& token, bool seguro, bool apaga)
    {
        QByteArray cookie = "Set-Cookie: " + CookieSessao + '=' + token + "; Path=/; HttpOnly; SameSite=Strict";
        if (seguro)
            cookie += "; Secure";
        if (apaga)
            cookie += "; Max-Age=0";
        return cookie;
    }

    // The login form, with a token of its own kept in a cookie of the form
    // (the CSRF token of a visitor without a session yet).
    TResposta PaginaEntrada(const TPedido& pedido, const QString& aviso, int status)
    {
        const QByteArray token = TokenAleatorio();
        const QString volta = Volta(pedido.Metodo == "POST"
                                        ? pedido.Formulario().queryItemValue(QStringLiteral("volta"), QUrl::FullyDecoded)
                                        : pedido.Consulta.queryItemValue(QStringLiteral("volta"), QUrl::FullyDecoded));
        QString corpo;
        if (!aviso.isEmpty())
            corpo += QStringLiteral("<p class=\"erro\" id=\"aviso\">%1</p>").arg(Escapa(aviso));
        corpo += QStringLiteral("<form method=\"post\" action=\"/login\" class=\"entrada\">%1"
                                "<input type=\"hidden\" name=\"volta\" value=\"%2\">"
                                "<label>Usuário <input type=\"text\" name=\"usuario\" id=\"usuario\" autocomplete=\"username\" required></label>"
                                "<label>Senha <input type=\"password\" name=\"senha\" id=\"senha\" autocomplete=\"current-password\" required></label>"
                                "<button type=\"submit\" id=\"entrar\">Entrar</button></form>")
                     .arg(CampoCsrf(token), Escapa(volta));
        TResposta resposta = Html(status, PaginaConsole({QStringLiteral("Entrar"), QString(), QString(), {}, false, corpo}));
        QByteArray cookie = "Set-Cookie: " + CookieEntrada + '=' + token + "; Path=/login; HttpOnly; SameSite=Strict";
        if (pedido.Seguro)
            cookie += "; Secure";
        resposta.Cabecalhos << cookie;
        return resposta;
    }

    void Entra(const TPedido& pedido, const TResponde& responde)
    {
        const QUrlQuery formulario = pedido.Formulario();
        const QByteArray csrf = formulario.queryItemValue(QStringLiteral("csrf"), QUrl::FullyDecoded).toLatin1();
        const QByteArray esperado = pedido.Cookie(CookieEntrada);
        if (esperado.isEmpty() || !IguaisEmTempoConstante(csrf, esperado))
            return responde(PaginaEntrada(pedido, QStringLiteral("O formulário venceu; entre de novo."), 403));
        if (const qint64 espera = FFreio.Espera(pedido.Cliente); espera > 0) {
            TResposta resposta = PaginaEntrada(
                pedido, QStringLiteral("Tentativas demais; espere %1 s e tente de novo.").arg((espera + 999) / 1000), 429);
            resposta.Cabecalhos << "Retry-After: " + QByteArray::number((espera + 999) / 1000);
            return responde(resposta);
        }
        if (FConferindo >= MaximoConferencias) {
            TResposta resposta =
                PaginaEntrada(pedido, QStringLiteral("Muitas entradas ao mesmo tempo; tente de novo em instantes."), 503);
            resposta.Cabecalhos << QByteArrayLiteral("Retry-After: 1");
            return responde(resposta);
        }
        const QString usuario = formulario.queryItemValue(QStringLiteral("usuario"), QUrl::FullyDecoded);
        const QByteArray senha = formulario.queryItemValue(QStringLiteral("senha"), QUrl::FullyDecoded).toUtf8();
        QByteArray registro;
        try {
            registro = UsuariosConsole::Le(FConfiguracao.ArquivoUsuarios).value(usuario);
        } catch (const Exception& e) {
            FRelator.AdicionaLinha(QStringLiteral("Console: ") + e.Message());
        }
        ++FConferindo;
        FConferencias.start([this, pedido, responde, usuario, senha, registro] {
            const bool passou = UsuariosConsole::Confere(senha, registro);
            QMetaObject::invokeMethod(
                &FContexto, [this, pedido, responde, usuario, passou] { Conferida(pedido, responde, usuario, passou); },
                Qt::QueuedConnection);
        });
    }

    void Conferida(const TPedido& pedido, const TResponde& responde, const QString& usuario, bool passou)
    {
        --FConferindo;
        if (!passou) {
            FFreio.Falhou(pedido.Cliente);
            const TResposta resposta = PaginaEntrada(pedido, QStringLiteral("Usuário ou senha incorretos."), 401);
            QTimer::singleShot(AtrasoFalhaMs, &FContexto, [responde, resposta] { responde(resposta); });
            return;
        }
        FFreio.Passou(pedido.Cliente);
        FRelator.AdicionaLinha(QStringLiteral("Console: %1 entrou, de %2.").arg(usuario, pedido.Cliente.toString()));
        TResposta resposta = Redireciona(Volta(pedido.Formulario().queryItemValue(QStringLiteral("volta"), QUrl::FullyDecoded)));
        resposta.Cabecalhos << CookieDeSessao(FSessoes.Cria(usuario), pedido.Seguro, false)
                            << "Set-Cookie: " + CookieEntrada + "=; Path=/login; HttpOnly; SameSite=Strict; Max-Age=0";
        responde(resposta);
    }

    void Age(const QString& acao, const TPedido& pedido, const TQuem& quem, const TResponde& responde)
    {
        if (!quem.Logado)
            return responde(Erro(403, QStringLiteral("Ações"), QStringLiteral("É preciso entrar para esta ação.")));
        if (!CsrfConfere(pedido, quem))
            return responde(Erro(403, QStringLiteral("Ações"),
                                 QStringLiteral("O formulário venceu ou não veio desta página; recarregue-a e tente de novo.")));
        const auto resultado = [this, quem, responde](int status, const QString& titulo, const QString& corpo) {
            responde(Pagina(status, titulo, QStringLiteral("/acoes"), quem, corpo));
        };
        const QString usuario = quem.Sessao.Usuario;
        if (acao == QLatin1String("pausar") || acao == QLatin1String("continuar")) {
            const bool pausa = acao == QLatin1String("pausar");
            const auto& fonte = pausa ? FFontes.Pausa : FFontes.Continua;
            if (!fonte)
                return resultado(503, QStringLiteral("Ações"), CorpoResultado(false, QStringLiteral("Esta ação não está disponível neste monitor.")));
            FRelator.AdicionaLinha(QStringLiteral("Console: %1 %2 o monitoramento, de %3.")
                                       .arg(usuario, pausa ? QStringLiteral("pausou") : QStringLiteral("retomou"),
                                            pedido.Cliente.toString()));
            const bool ok = fonte();
            return resultado(ok ? 200 : 500, QStringLiteral("Ações"),
                             CorpoResultado(ok, ok ? (pausa ? QStringLiteral("Monitoramento pausado.")
                                                            : QStringLiteral("Monitoramento retomado."))
                                                   : QStringLiteral("A ação terminou com erro; veja o log do monitor.")));
        }
        if (acao == QLatin1String("verificar")) {
            if (!FFontes.Verifica)
                return resultado(503, QStringLiteral("Ações"), CorpoResultado(false, QStringLiteral("Esta ação não está disponível neste monitor.")));
            return resultado(200, QStringLiteral("Verificar configuração"), CorpoVerificacao(FFontes.Verifica()));
        }
        if (acao == QLatin1String("reenviar")) {
            bool ok = false;
            const qint64 ordem = pedido.Formulario().queryItemValue(QStringLiteral("ordem")).trimmed().toLongLong(&ok);
            if (!ok || ordem <= 0)
                return resultado(400, QStringLiteral("Reenviar"), CorpoResultado(false, QStringLiteral("ORDEM não é um número inteiro positivo.")));
            if (!FFontes.Reenvia)
                return resultado(503, QStringLiteral("Reenviar"), CorpoResultado(false, QStringLiteral("Esta ação não está disponível neste monitor.")));
            FFontes.Reenvia(ordem, usuario, pedido.Cliente.toString(), [resultado](bool certo, const QString& mensagem) {
                resultado(certo ? 200 : 409, QStringLiteral("Reenviar"), CorpoResultado(certo, mensagem));
            });
            return;
        }
        responde(Erro(404, QStringLiteral("Não encontrado"), QStringLiteral("Esta página não existe.")));
    }
};

TServidorConsole::TServidorConsole(TConfiguracaoConsole configuracao, TFontesConsole fontes, TRelator& relator)
    : FAtendimento(std::make_unique<TAtendimento>(std::move(configuracao), std::move(fontes), relator))
{
}

TServidorConsole::~TServidorConsole() = default;

void TServidorConsole::Escuta() { FAtendimento->Escuta(); }

quint16 TServidorConsole::Porta() const { return FAtendimento->FServidor.Porta(); }

int TServidorConsole::EnderecosFreados() const { return FAtendimento->FFreio.Enderecos(); }

int TServidorConsole::Sessoes() const { return FAtendimento->FSessoes.Quantas(); }

std::unique_ptr<TServidorConsole> TServidorConsole::Inicia(const TConfiguracao& ini, TFontesConsole fontes, TRelator& relator)
{
    try {
        std::optional<TConfiguracaoConsole> configuracao = LeConfiguracaoConsole(ini);
        if (!configuracao)
            return nullptr;
        const QString url = (configuracao->Tls ? QStringLiteral("https://") : QStringLiteral("http://"))
            + Endereco(*configuracao) + u'/';
        const bool semCriptografiaNaRede = !configuracao->Tls && !configuracao->Endereco.Host.isLoopback();
        const QString arquivo = configuracao->ArquivoUsuarios;
        auto console = std::make_unique<TServidorConsole>(std::move(*configuracao), std::move(fontes), relator);
        console->Escuta();
        relator.AdicionaLinha(QStringLiteral("Console em %1").arg(url));
        if (semCriptografiaNaRede)
            relator.AdicionaLinha(QStringLiteral("Console: HTTP sem criptografia fora do loopback (ConsoleSemTls=S): "
                                                 "senhas e sessões passam pela rede às claras."));
        try {
            if (UsuariosConsole::Le(arquivo).isEmpty())
                relator.AdicionaLinha(QStringLiteral("Console: nenhum usuário em %1; as ações pedem entrada "
                                                     "(crie um com quelix --usuario-console NOME).")
                                          .arg(arquivo));
        } catch (const Exception& e) {
            relator.AdicionaLinha(QStringLiteral("Console: ") + e.Message());
        }
        return console;
    } catch (const Exception& e) {
        relator.AdicionaLinha(e.Message() + QStringLiteral(" O monitor segue sem o console."));
        return nullptr;
    }
}
