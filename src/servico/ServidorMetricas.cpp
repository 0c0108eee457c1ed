#include "servico/ServidorMetricas.h"

#include "base/Erros.h"
#include "operacao/TextoMetricas.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <list>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

TEnderecoMetricas LeEnderecoMetricas(const QString& valor)
{
    const QUrl url(QStringLiteral("http://") + valor.trimmed(), QUrl::StrictMode);
    const int porta = url.port();
    TEnderecoMetricas endereco;
    endereco.Host = url.host() == QLatin1String("localhost") ? QHostAddress(QHostAddress::LocalHost)
                                                              : QHostAddress(url.host());
    if (!url.isValid() || !url.path().isEmpty() || endereco.Host.isNull() || porta <= 0 || porta > 65535)
        throw Exception(QStringLiteral("[Monitor] Metricas \"%1\" não é um endereço host:porta "
                                       "(por exemplo 127.0.0.1:9464).")
                            .arg(valor));
    endereco.Porta = quint16(porta);
    return endereco;
}

QString TextoEnderecoMetricas(const TEnderecoMetricas& endereco)
{
    const QString host = endereco.Host.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + endereco.Host.toString() + u']'
                             : endereco.Host.toString();
    return host + u':' + QString::number(endereco.Porta);
}

namespace {

// A request's head larger than this is not one of ours.
constexpr qsizetype MaximoCabeca = 8192;

struct TResposta {
    int Status = 200;
    QByteArray Tipo;
    QByteArray Corpo;
    QByteArray Cabecalhos;  // extra header lines, each ending in CR LF
};

QByteArray FraseDoStatus(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

QByteArray Texto(const char* texto) { return QByteArray(texto) + '\n'; }

TResposta Erro(int status, const QByteArray& corpo)
{
    return {status, QByteArrayLiteral("text/plain; charset=utf-8"), corpo, {}};
}

// `comCorpo` false for HEAD: the head announces the body it leaves out.
QByteArray Monta(const TResposta& resposta, bool comCorpo, const QByteArray& conexao)
{
    QByteArray texto = "HTTP/1.1 " + QByteArray::number(resposta.Status) + ' ' + FraseDoStatus(resposta.Status)
        + "\r\nContent-Type: " + resposta.Tipo + "\r\nContent-Length: " + QByteArray::number(resposta.Corpo.size())
        + "\r\n" + resposta.Cabecalhos;
    if (!conexao.isEmpty())
        texto += "Connection: " + conexao + "\r\n";
    texto += "\r\n";
    if (comCorpo)
        texto += resposta.Corpo;
    return texto;
}

// What the server needs of one request: its head, parsed.
struct TRequisicao {
    bool Valida = false;
    QByteArray Metodo;
    QByteArray Caminho;
    bool Http10 = false;
    bool Fecha = false;       // the connection ends with this answer
    bool MantemHttp10 = false; // an HTTP/1.0 client asked to keep it
};

TRequisicao LeRequisicao(const QByteArray& cabeca)
{
    TRequisicao requisicao;
    const QList<QByteArray> linhas = cabeca.split('\n');
    const QList<QByteArray> partes = linhas.front().trimmed().split(' ');
    if (partes.size() != 3 || !partes[2].startsWith("HTTP/1.") || !partes[1].startsWith('/'))
        return requisicao;
    requisicao.Valida = true;
    requisicao.Metodo = partes[0];
    requisicao.Caminho = partes[1].split('?').front();
    requisicao.Http10 = partes[2] == "HTTP/1.0";
    bool pedeFechar = false;
    bool pedeManter = false;
    bool temCorpo = false;
    for (qsizetype i = 1; i < linhas.size(); ++i) {
        const qsizetype doisPontos = linhas[i].indexOf(':');
        if (doisPontos <= 0)
            continue;
        const QByteArray nome = linhas[i].left(doisPontos).trimmed().toLower();
        const QByteArray valor = linhas[i].mid(doisPontos + 1).trimmed().toLower();
        if (nome == "connection") {
            for (const QByteArray& opcao : valor.split(',')) {
                pedeFechar = pedeFechar || opcao.trimmed() == "close";
                pedeManter = pedeManter || opcao.trimmed() == "keep-alive";
            }
        } else if (nome == "transfer-encoding" || (nome == "content-length" && valor != "0")) {
            // Our answers take no body; one is not read, so where the next
            // request would begin is not known.
            temCorpo = true;
        }
    }
    requisicao.MantemHttp10 = requisicao.Http10 && pedeManter && !pedeFechar && !temCorpo;
    requisicao.Fecha = pedeFechar || temCorpo || (requisicao.Http10 && !pedeManter);
    return requisicao;
}

// A connection refused for want of room: a short answer, then closed. What
// the client sent is read first, so that the close does not reset the
// connection before the answer is read.
void Recusa(qintptr descritor)
{
    char descarte[4096];
    while (::recv(int(descritor), descarte, sizeof descarte, MSG_DONTWAIT) > 0) {
    }
    const QByteArray resposta = Monta(Erro(503, Texto("Conexões demais abertas com o endereço de métricas.")), true,
                                      QByteArrayLiteral("close"));
    [[maybe_unused]] const auto enviados =
        ::send(int(descritor), resposta.constData(), size_t(resposta.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    ::close(int(descritor));
}

} // namespace

class TServidorMetricas::TEscuta : public QTcpServer {
public:
    TEscuta(TFonteMetricas metricas, TFonteSaude saude);

protected:
    void incomingConnection(qintptr descritor) override;

private:
    class TConexao;

    bool LiberaAOciosa();
    void Encerra(TConexao* conexao);
    TResposta Responde(const TRequisicao& requisicao) const;

    TFonteMetricas FMetricas;
    TFonteSaude FSaude;
    QElapsedTimer FRelogio;  // the clock of OciosaDesde
    std::list<TConexao*> FConexoes;
};

// One client's connection: reads its requests, one after the other, and
// answers each in turn.
class TServidorMetricas::TEscuta::TConexao : public QObject {
public:
    // The server owns it, and it owns the socket.
    TConexao(TEscuta& servidor, QTcpSocket* socket)
        : QObject(&servidor)
        , FServidor(servidor)
        , FSocket(socket)
        , FPrazo(new QTimer(this))
    {
        FSocket->setParent(this);
        FPrazo->setSingleShot(true);
        FPrazo->setInterval(EsperaRequisicaoMs);
        connect(FPrazo, &QTimer::timeout, this, [this] { FServidor.Encerra(this); });
        connect(FSocket, &QTcpSocket::readyRead, this, [this] { Le(); });
        connect(FSocket, &QTcpSocket::disconnected, this, [this] { FServidor.Encerra(this); });
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
        if (FFechando || !FRecebido.isEmpty() || FSocket->bytesAvailable() > 0 || FSocket->bytesToWrite() > 0)
            return false;
        int pendentes = 0;
        return ::ioctl(int(FSocket->socketDescriptor()), FIONREAD, &pendentes) == 0 && pendentes == 0;
    }
    qint64 OciosaDesde() const { return FOciosaDesde; }

private:
    void AguardaRequisicao()
    {
        FOciosaDesde = FServidor.FRelogio.elapsed();
        FPrazo->start();
    }

    void Le()
    {
        const QByteArray dados = FSocket->readAll();
        if (FFechando)
            return;
        FRecebido += dados;
        while (!FFechando) {
            const qsizetype fimCabeca = FRecebido.indexOf("\r\n\r\n");
            if (fimCabeca < 0) {
                if (FRecebido.size() > MaximoCabeca)
                    Envia(Monta(Erro(431, Texto("Requisição grande demais.")), true, "close"), true);
                return;
            }
            const TRequisicao requisicao = LeRequisicao(FRecebido.left(fimCabeca));
            FRecebido.remove(0, fimCabeca + 4);
            if (!requisicao.Valida) {
                Envia(Monta(Erro(400, Texto("Requisição HTTP inválida.")), true, "close"), true);
                return;
            }
            const QByteArray conexao = requisicao.Fecha ? QByteArrayLiteral("close")
                                     : requisicao.MantemHttp10 ? QByteArrayLiteral("keep-alive")
                                                               : QByteArray();
            Envia(Monta(FServidor.Responde(requisicao), requisicao.Metodo != "HEAD", conexao), requisicao.Fecha);
        }
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
        FPrazo->start();
        FSocket->disconnectFromHost();
    }

    TEscuta& FServidor;
    QTcpSocket* FSocket;
    QTimer* FPrazo;
    QByteArray FRecebido;
    bool FFechando = false;
    qint64 FOciosaDesde = 0;
};

TServidorMetricas::TEscuta::TEscuta(TFonteMetricas metricas, TFonteSaude saude)
    : FMetricas(std::move(metricas))
    , FSaude(std::move(saude))
{
    // With no file handle left (the process's limit), accepting fails and
    // the socket stops accepting; it is tried again a moment later.
    connect(this, &QTcpServer::acceptError, this, [this] {
        QTimer::singleShot(1000, this, [this] { resumeAccepting(); });
    });
    FRelogio.start();
}

void TServidorMetricas::TEscuta::incomingConnection(qintptr descritor)
{
    if (FConexoes.size() >= std::size_t(MaximoConexoes) && !LiberaAOciosa()) {
        Recusa(descritor);
        return;
    }
    auto* socket = new QTcpSocket;
    if (!socket->setSocketDescriptor(descritor)) {
        delete socket;
        ::close(int(descritor));
        return;
    }
    FConexoes.push_back(new TConexao(*this, socket));
}

// Closes the connection idle the longest, if any is; false when none.
bool TServidorMetricas::TEscuta::LiberaAOciosa()
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

void TServidorMetricas::TEscuta::Encerra(TConexao* conexao)
{
    const auto it = std::find(FConexoes.begin(), FConexoes.end(), conexao);
    if (it == FConexoes.end())
        return;
    FConexoes.erase(it);
    conexao->Fecha();
}

TResposta TServidorMetricas::TEscuta::Responde(const TRequisicao& requisicao) const
{
    const bool metrics = requisicao.Caminho == "/metrics";
    const bool saude = requisicao.Caminho == "/saude";
    if (!metrics && !saude)
        return Erro(404, Texto("Caminho desconhecido; este endereço responde a /metrics e /saude."));
    if (requisicao.Metodo != "GET" && requisicao.Metodo != "HEAD") {
        TResposta resposta = Erro(405, Texto("Só GET e HEAD."));
        resposta.Cabecalhos = "Allow: GET, HEAD\r\n";
        return resposta;
    }
    if (metrics)
        return {200, QByteArray(TipoTextoPrometheus), FMetricas(), {}};
    const TRespostaSaude resposta = FSaude();
    return {resposta.Saudavel ? 200 : 503, QByteArrayLiteral("application/json"),
            QJsonDocument(resposta.Corpo).toJson(QJsonDocument::Compact), {}};
}

TServidorMetricas::TServidorMetricas(TFonteMetricas metricas, TFonteSaude saude)
    : FEscuta(std::make_unique<TEscuta>(std::move(metricas), std::move(saude)))
{
}

TServidorMetricas::~TServidorMetricas() = default;

void TServidorMetricas::Escuta(const TEnderecoMetricas& endereco)
{
    if (FEscuta->listen(endereco.Host, endereco.Porta))
        return;
    throw Exception(QStringLiteral("Métricas: não foi possível escutar em %1: %2.")
                        .arg(TextoEnderecoMetricas(endereco), FEscuta->errorString()));
}
