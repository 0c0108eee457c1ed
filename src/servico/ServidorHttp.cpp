#include "servico/ServidorHttp.h"

#include "base/Erros.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <list>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

QString TextoEndereco(const QHostAddress& host, quint16 porta)
{
    const QString texto =
        host.protocol() == QAbstractSocket::IPv6Protocol ? u'[' + host.toString() + u']' : host.toString();
    return texto + u':' + QString::number(porta);
}

QByteArray TServidorHttp::TPedido::Cabecalho(const QByteArray& nome) const
{
    for (const auto& [chave, valor] : Cabecalhos)
        if (chave == nome)
            return valor;
    return {};
}

QByteArray TServidorHttp::TPedido::Cookie(const QByteArray& nome) const
{
    for (const auto& [chave, valor] : Cabecalhos) {
        if (chave != "cookie")
            continue;
        for (const QByteArray& par : valor.split(';')) {
            const qsizetype igual = par.indexOf('=');
            if (igual > 0 && par.left(igual).trimmed() == nome)
                return par.mid(igual + 1).trimmed();
        }
    }
    return {};
}

QUrlQuery TServidorHttp::TPedido::Formulario() const
{
    // '+' stands for a space in a form's body, which QUrlQuery leaves as is.
    QByteArray corpo = Corpo;
    corpo.replace('+', ' ');
    return QUrlQuery(QString::fromUtf8(corpo));
}

TServidorHttp::TResposta TServidorHttp::TResposta::Texto(int status, const QString& texto)
{
    return {status, QByteArrayLiteral("text/plain; charset=utf-8"), texto.toUtf8() + '\n', {}};
}

namespace {

using TResposta = TServidorHttp::TResposta;

QByteArray FraseDoStatus(int status)
{
    switch (status) {
    case 200: return "OK";
    case 303: return "See Other";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 421: return "Misdirected Request";
    case 429: return "Too Many Requests";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

// `comCorpo` false for HEAD: the head announces the body it leaves out.
QByteArray Monta(const TResposta& resposta, bool comCorpo, const QByteArray& conexao)
{
    QByteArray texto = "HTTP/1.1 " + QByteArray::number(resposta.Status) + ' ' + FraseDoStatus(resposta.Status)
        + "\r\nContent-Type: " + resposta.Tipo + "\r\nContent-Length: " + QByteArray::number(resposta.Corpo.size())
        + "\r\n";
    for (const QByteArray& linha : resposta.Cabecalhos)
        texto += linha + "\r\n";
    if (!conexao.isEmpty())
        texto += "Connection: " + conexao + "\r\n";
    texto += "\r\n";
    if (comCorpo)
        texto += resposta.Corpo;
    return texto;
}

// A request's head, parsed; a refusal when it is not one this server takes.
struct TCabeca {
    std::optional<TResposta> Recusa;
    TServidorHttp::TPedido Pedido;
    qsizetype TamanhoCorpo = 0;
    bool Fecha = false;        // the connection ends with this answer
    bool MantemHttp10 = false; // an HTTP/1.0 client asked to keep it
};

// A path that climbs out of where it points (a ".." segment, written as is
// or encoded, or with a backslash) is refused whatever it would name.
bool CaminhoSobe(const QByteArray& bruto, const QString& decodificado)
{
    for (const QByteArray& parte : bruto.split('/'))
        if (parte == "..")
            return true;
    QString normal = decodificado;
    normal.replace(u'\\', u'/');
    return normal.split(u'/').contains(QStringLiteral("..")) || normal.contains(QChar(0));
}

TCabeca LeCabeca(const QByteArray& bruta)
{
    TCabeca cabeca;
    const auto recusa = [&cabeca](int status, const QString& texto) {
        cabeca.Recusa = TResposta::Texto(status, texto);
        cabeca.Fecha = true;
        return cabeca;
    };
    const QList<QByteArray> linhas = bruta.split('\n');
    const QList<QByteArray> partes = linhas.front().trimmed().split(' ');
    if (partes.size() != 3 || !partes[2].startsWith("HTTP/1.") || !partes[1].startsWith('/') || partes[0].isEmpty())
        return recusa(400, QStringLiteral("Requisição HTTP inválida."));
    auto& pedido = cabeca.Pedido;
    pedido.Metodo = partes[0];
    const qsizetype interrogacao = partes[1].indexOf('?');
    const QByteArray caminho = interrogacao < 0 ? partes[1] : partes[1].left(interrogacao);
    pedido.Caminho = QUrl::fromPercentEncoding(caminho);
    if (CaminhoSobe(caminho, pedido.Caminho))
        return recusa(400, QStringLiteral("Caminho inválido."));
    if (interrogacao >= 0) {
        QByteArray consulta = partes[1].mid(interrogacao + 1);
        consulta.replace('+', ' ');
        pedido.Consulta = QUrlQuery(QString::fromUtf8(consulta));
    }
    const bool http10 = partes[2] == "HTTP/1.0";
    bool pedeFechar = false;
    bool pedeManter = false;
    std::optional<qsizetype> tamanho;
    for (qsizetype i = 1; i < linhas.size(); ++i) {
        const qsizetype doisPontos = linhas[i].indexOf(':');
        if (doisPontos <= 0)
            continue;
        const QByteArray nome = linhas[i].left(doisPontos).trimmed().toLower();
        const QByteArray valor = linhas[i].mid(doisPontos + 1).trimmed();
        pedido.Cabecalhos.append({nome, valor});
        if (nome == "connection") {
            for (const QByteArray& opcao : valor.toLower().split(',')) {
                pedeFechar = pedeFechar || opcao.trimmed() == "close";
                pedeManter = pedeManter || opcao.trimmed() == "keep-alive";
            }
        } else if (nome == "transfer-encoding") {
            // Where a body in chunks ends is not looked for: none is taken.
            return recusa(411, QStringLiteral("Corpo sem Content-Length."));
        } else if (nome == "content-length") {
            bool ok = false;
            const qlonglong valorNumerico = valor.toLongLong(&ok);
            if (!ok || valorNumerico < 0 || (tamanho && *tamanho != valorNumerico))
                return recusa(400, QStringLiteral("Content-Length inválido."));
            if (valorNumerico > TServidorHttp::MaximoCorpo)
                return recusa(413, QStringLiteral("Requisição grande demais."));
            tamanho = qsizetype(valorNumerico);
        }
    }
    cabeca.TamanhoCorpo = tamanho.value_or(0);
    cabeca.MantemHttp10 = http10 && pedeManter && !pedeFechar;
    cabeca.Fecha = pedeFechar || (http10 && !pedeManter);
    return cabeca;
}

// A connection refused for want of room: a short answer, then closed. What
// the client sent is read first, so that the close does not reset the
// connection before the answer is read.
void Recusa(qintptr descritor, const QByteArray& texto)
{
    char descarte[4096];
    while (::recv(int(descritor), descarte, sizeof descarte, MSG_DONTWAIT) > 0) {
    }
    const QByteArray resposta = Monta(TResposta{503, QByteArrayLiteral("text/plain; charset=utf-8"), texto, {}}, true,
                                      QByteArrayLiteral("close"));
    [[maybe_unused]] const auto enviados =
        ::send(int(descritor), resposta.constData(), size_t(resposta.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::close(int(descritor));
}

QHostAddress SemMapeamento(const QHostAddress& endereco)
{
    bool ok = false;
    const quint32 ipv4 = endereco.toIPv4Address(&ok);
    return ok ? QHostAddress(ipv4) : endereco;
}

} // namespace

class TServidorHttp::TEscuta : public QTcpServer {
public:
    TEscuta(TAtende atende, const QString& recusa);

    std::optional<QSslConfiguration> FTls;
    int Abertas() const { return int(FConexoes.size()); }

protected:
    void incomingConnection(qintptr descritor) override;

private:
    class TConexao;

    bool LiberaAOciosa();
    void Encerra(TConexao* conexao);

    TAtende FAtende;
    QByteArray FRecusa;
    QElapsedTimer FRelogio;  // the clock of OciosaDesde
    std::list<TConexao*> FConexoes;
};

// One client's connection: reads its requests, one after the other, and
// answers each in turn.
class TServidorHttp::TEscuta::TConexao : public QObject {
public:
    // The server owns it, and it owns the socket.
    TConexao(TEscuta& servidor, QTcpSocket* socket, bool seguro)
        : QObject(&servidor)
        , FServidor(servidor)
        , FSocket(socket)
        , FPrazo(new QTimer(this))
        , FbSeguro(seguro)
    {
        FSocket->setParent(this);
        FCliente = SemMapeamento(FSocket->peerAddress());
        FPrazo->setSingleShot(true);
        connect(FPrazo, &QTimer::timeout, this, [this] { FServidor.Encerra(this); });
        connect(FSocket, &QTcpSocket::readyRead, this, [this] { Le(); });
        connect(FSocket, &QTcpSocket::disconnected, this, [this] { FServidor.Encerra(this); });
        connect(FSocket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError erro) {
            // A handshake that fails leaves nothing to answer.
            if (erro == QAbstractSocket::SslHandshakeFailedError)
                FServidor.Encerra(this);
        });
        AguardaRequisicao();
    }

    // The socket is closed at once, which gives its file handle back; the
    // object goes when the loop gets to it.
    void Fecha()
    {
        FFechando = true;
        FPrazo->stop();
        FSocket->disconnect(this);
        FSocket->abort();
        deleteLater();
    }

    // Connected or answered, and sending nothing: neither in Qt's buffer
    // nor in the system's yet to be read.
    bool Ociosa() const
    {
        if (FFechando || FbAguardando || !FRecebido.isEmpty() || FSocket->bytesAvailable() > 0
            || FSocket->bytesToWrite() > 0)
            return false;
        int pendentes = 0;
        return ::ioctl(int(FSocket->socketDescriptor()), FIONREAD, &pendentes) == 0 && pendentes == 0;
    }
    qint64 OciosaDesde() const { return FOciosaDesde; }

private:
    void AguardaRequisicao()
    {
        FOciosaDesde = FServidor.FRelogio.elapsed();
        FPrazo->start(EsperaRequisicaoMs);
    }

    void Le()
    {
        const QByteArray dados = FSocket->readAll();
        if (FFechando)
            return;
        FRecebido += dados;
        if (FbAguardando) {
            // Requests sent ahead of the answer wait for it, within bounds.
            if (FRecebido.size() > MaximoCabeca + MaximoCorpo)
                FServidor.Encerra(this);
            return;
        }
        Processa();
    }

    // Takes the next whole request in what was received, if there is one.
    void Processa()
    {
        while (!FFechando && !FbAguardando) {
            if (!FCabeca) {
                const qsizetype fimCabeca = FRecebido.indexOf("\r\n\r\n");
                if (fimCabeca < 0 || fimCabeca > MaximoCabeca) {
                    if (FRecebido.size() > MaximoCabeca)
                        RecusaERecebeOResto(TResposta::Texto(431, QStringLiteral("Requisição grande demais.")));
                    return;
                }
                TCabeca cabeca = LeCabeca(FRecebido.left(fimCabeca));
                FRecebido.remove(0, fimCabeca + 4);
                if (cabeca.Recusa) {
                    RecusaERecebeOResto(*cabeca.Recusa);
                    return;
                }
                FCabeca = std::move(cabeca);
            }
            if (FRecebido.size() < FCabeca->TamanhoCorpo)
                return;
            TPedido pedido = std::move(FCabeca->Pedido);
            pedido.Corpo = FRecebido.left(FCabeca->TamanhoCorpo);
            FRecebido.remove(0, FCabeca->TamanhoCorpo);
            pedido.Cliente = FCliente;
            pedido.Seguro = FbSeguro;
            FbFechaDepois = FCabeca->Fecha;
            FbMantemHttp10 = FCabeca->MantemHttp10;
            FbHead = pedido.Metodo == "HEAD";
            FCabeca.reset();
            Entrega(std::move(pedido));
        }
    }

    // The request goes to the owner from the loop, away from this reading;
    // the answer comes back through a guard, since the connection may be
    // gone by then.
    void Entrega(TPedido pedido)
    {
        FbAguardando = true;
        const quint64 serie = ++FSerie;
        FPrazo->start(EsperaRespostaMs);
        QPointer<TConexao> conexao(this);
        const TResponde responde = [conexao, serie](const TResposta& resposta) {
            if (conexao && conexao->FbAguardando && conexao->FSerie == serie)
                conexao->Responde(resposta);
        };
        TAtende& atende = FServidor.FAtende;
        QTimer::singleShot(0, &FServidor, [&atende, pedido = std::move(pedido), responde, conexao] {
            if (conexao)
                atende(pedido, responde);
        });
    }

    void Responde(const TResposta& resposta)
    {
        FbAguardando = false;
        const QByteArray conexao = FbFechaDepois    ? QByteArrayLiteral("close")
                                 : FbMantemHttp10 ? QByteArrayLiteral("keep-alive")
                                                  : QByteArray();
        Envia(Monta(resposta, !FbHead, conexao), FbFechaDepois);
        if (!FFechando)
            Processa();
    }

    // The answer; then the connection waits for the next request, or closes
    // once the answer has gone out. A client that does not read the answer
    // within the time of a request is cut off.
    void Envia(const QByteArray& resposta, bool fecha)
    {
        FSocket->write(resposta);
        if (!fecha) {
            AguardaRequisicao();
            return;
        }
        FFechando = true;
        FRecebido.clear();
        FPrazo->start(EsperaRequisicaoMs);
        FSocket->disconnectFromHost();
    }

    // A refused request may be followed by the rest of its body, still
    // coming: the connection is closed for writing once the answer is out,
    // and what comes in meanwhile is read and dropped, so that the close
    // does not reset the connection before the client reads the answer.
    void RecusaERecebeOResto(const TResposta& resposta)
    {
        if (FbSeguro) {
            Envia(Monta(resposta, true, "close"), true);
            return;
        }
        FFechando = true;
        FRecebido.clear();
        FPrazo->start(EsperaRequisicaoMs);
        disconnect(FSocket, &QTcpSocket::readyRead, this, nullptr);
        connect(FSocket, &QTcpSocket::readyRead, this, [this] { FSocket->readAll(); });
        const auto fechaEscrita = [this] {
            if (FSocket->bytesToWrite() == 0)
                ::shutdown(int(FSocket->socketDescriptor()), SHUT_WR);
        };
        connect(FSocket, &QTcpSocket::bytesWritten, this, fechaEscrita);
        FSocket->write(Monta(resposta, true, "close"));
        FSocket->flush();
        fechaEscrita();
    }

    TEscuta& FServidor;
    QTcpSocket* FSocket;
    QTimer* FPrazo;
    QHostAddress FCliente;
    QByteArray FRecebido;
    std::optional<TCabeca> FCabeca;  // of the request whose body is awaited
    quint64 FSerie = 0;
    qint64 FOciosaDesde = 0;
    bool FbSeguro;
    bool FFechando = false;
    bool FbAguardando = false;
    bool FbFechaDepois = false;
    bool FbMantemHttp10 = false;
    bool FbHead = false;
};

TServidorHttp::TEscuta::TEscuta(TAtende atende, const QString& recusa)
    : FAtende(std::move(atende))
    , FRecusa(recusa.toUtf8() + '\n')
{
    // With no file handle left (the process's limit), accepting fails and
    // the socket stops accepting; it is tried again a moment later.
    connect(this, &QTcpServer::acceptError, this, [this] {
        QTimer::singleShot(1000, this, [this] { resumeAccepting(); });
    });
    FRelogio.start();
}

void TServidorHttp::TEscuta::incomingConnection(qintptr descritor)
{
    if (FConexoes.size() >= std::size_t(MaximoConexoes) && !LiberaAOciosa()) {
        Recusa(descritor, FRecusa);
        return;
    }
    QTcpSocket* socket = nullptr;
    if (FTls) {
        auto* seguro = new QSslSocket;
        seguro->setSslConfiguration(*FTls);
        socket = seguro;
    } else {
        socket = new QTcpSocket;
    }
    if (!socket->setSocketDescriptor(descritor)) {
        delete socket;
        ::close(int(descritor));
        return;
    }
    FConexoes.push_back(new TConexao(*this, socket, FTls.has_value()));
    if (FTls)
        static_cast<QSslSocket*>(socket)->startServerEncryption();
}

// Closes the connection idle the longest, if any is; false when none.
bool TServidorHttp::TEscuta::LiberaAOciosa()
{
    TConexao* ociosa = nullptr;
    for (TConexao* conexao : FConexoes)
        if (conexao->Ociosa() && (!ociosa || conexao->OciosaDesde() < ociosa->OciosaDesde()))
            ociosa = conexao;
    if (!ociosa)
        return false;
    Encerra(ociosa);
    return true;
}

void TServidorHttp::TEscuta::Encerra(TConexao* conexao)
{
    const auto it = std::find(FConexoes.begin(), FConexoes.end(), conexao);
    if (it == FConexoes.end())
        return;
    FConexoes.erase(it);
    conexao->Fecha();
}

TServidorHttp::TServidorHttp(TAtende atende, const QString& recusa)
    : FEscuta(std::make_unique<TEscuta>(std::move(atende), recusa))
{
}

TServidorHttp::~TServidorHttp() = default;

void TServidorHttp::Escuta(const QHostAddress& host, quint16 porta, const QString& nome,
                           const std::optional<QSslConfiguration>& tls)
{
    FEscuta->FTls = tls;
    if (FEscuta->listen(host, porta))
        return;
    throw Exception(QStringLiteral("%1: não foi possível escutar em %2: %3.")
                        .arg(nome, TextoEndereco(host, porta), FEscuta->errorString()));
}

quint16 TServidorHttp::Porta() const { return FEscuta->serverPort(); }

int TServidorHttp::ConexoesAbertas() const { return FEscuta->Abertas(); }
