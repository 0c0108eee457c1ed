#include "soap/TransporteHttp.h"

#include "soap/ErrosSoap.h"
#include "soap/LimiteTransferencia.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QThread>
#include <QThreadStorage>
#include <QTimer>
#include <QUrl>

#if QT_CONFIG(ssl)
#include <QSslError>
#endif

#include <cstring>
#include <limits>
#include <memory>

namespace {

// The body of a POST, readable once. The network library posts a request
// again by itself when a kept-alive connection closes after the request went
// out and before any answer came; with a body it cannot rewind it fails the
// call instead (ContentReSendError), so a request the service may have
// received is never repeated without the caller knowing. It says no to the
// rewind quietly: the library's own attempt to seek a sequential device
// would print a warning on standard error.
class TCorpoUnico : public QIODevice {
public:
    explicit TCorpoUnico(const QByteArray& corpo) : FCorpo(corpo) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return FCorpo.size() - FLidos + QIODevice::bytesAvailable(); }
    bool reset() override { return false; }
    bool seek(qint64) override { return false; }

protected:
    qint64 readData(char* dados, qint64 maximo) override
    {
        if (FLidos >= FCorpo.size())
            return -1;
        const qint64 quantos = qMin(maximo, FCorpo.size() - FLidos);
        std::memcpy(dados, FCorpo.constData() + FLidos, size_t(quantos));
        FLidos += quantos;
        return quantos;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    const QByteArray FCorpo;
    qint64 FLidos = 0;
};

// No status line came. Whether the service may have the call decides the
// error: a POST whose request went out (some of it at least) may have been
// received and processed.
[[noreturn]] void FalhaSemResposta(const QNetworkReply& resposta, const QString& url, bool pedidoSaiu)
{
    const auto erro = resposta.error();
    const bool limite = erro == QNetworkReply::OperationCanceledError || erro == QNetworkReply::TimeoutError;
    if (pedidoSaiu) {
        if (limite)
            throw ESoapIncerto(QStringLiteral(
                "Sem resposta de %1 em %2 (tempo limite esgotado) depois do envio: o serviço pode ter "
                "recebido o pedido.").arg(url, TextoLimiteTransferenciaSoap()));
        if (erro == QNetworkReply::ContentReSendError || erro == QNetworkReply::RemoteHostClosedError)
            throw ESoapIncerto(QStringLiteral(
                "A conexão com %1 foi fechada depois do envio e antes de qualquer resposta: o serviço pode ter "
                "recebido o pedido.").arg(url));
        throw ESoapIncerto(QStringLiteral(
            "A comunicação com %1 falhou depois do envio e antes de qualquer resposta (%2): o serviço pode ter "
            "recebido o pedido.").arg(url, resposta.errorString()));
    }
    if (limite)
        throw ESoapInalcancavel(QStringLiteral(
            "Sem resposta de %1 em %2 (tempo limite esgotado); nada foi enviado.")
            .arg(url, TextoLimiteTransferenciaSoap()));
    throw ESoapInalcancavel(QStringLiteral("Falha na comunicação com %1: %2")
                                .arg(url, resposta.errorString()));
}

// An error of the connection itself (not one Qt derives from the status):
// after a status line, the body was cut.
bool ErroDaConexao(QNetworkReply::NetworkError erro)
{
    return (erro > QNetworkReply::NoError && erro < QNetworkReply::ProxyConnectionRefusedError)
        || erro == QNetworkReply::ProtocolFailure;
}

// Two managers a thread: connections whose certificate was accepted
// unverified are never reused for a call that verifies.
struct TRedesDaThread {
    QNetworkAccessManager Aceita;
    QNetworkAccessManager Verifica;
};

QThreadStorage<TRedesDaThread*>& RedesPorThread()
{
    static QThreadStorage<TRedesDaThread*> redes;
    return redes;
}

bool GLiberacaoMarcada = false;

// The application's own thread keeps its storage past the application: its
// managers are freed with the application instead.
void LiberaRedeDaAplicacao()
{
    RedesPorThread().setLocalData(nullptr);
    GLiberacaoMarcada = false;
}

// The network managers of the calling thread, made at its first exchange and
// freed when the thread ends: one call after another reuses the open
// connections instead of connecting again each time.
QNetworkAccessManager& RedeDaThread(bool verificaCertificado)
{
    QThreadStorage<TRedesDaThread*>& redes = RedesPorThread();
    if (!redes.hasLocalData()) {
        redes.setLocalData(new TRedesDaThread);
        const QCoreApplication* aplicacao = QCoreApplication::instance();
        if (aplicacao && aplicacao->thread() == QThread::currentThread() && !GLiberacaoMarcada) {
            qAddPostRoutine(LiberaRedeDaAplicacao);
            GLiberacaoMarcada = true;
        }
    }
    return verificaCertificado ? redes.localData()->Verifica : redes.localData()->Aceita;
}

} // namespace

TRespostaHttp ExecutaHttp(const QString& url, const TCabecalhosHttp& cabecalhos,
                          const QByteArray* corpo, bool verificaCertificado, QDeadlineTimer prazo)
{
    // What is left of the call's deadline (a description read before may
    // have used some of it).
    const qint64 restante = prazo.isForever() ? LimiteTransferenciaSoap().count() : prazo.remainingTime();
    if (restante <= 0)
        throw ESoapInalcancavel(QStringLiteral(
            "O tempo limite de %2 acabou antes do envio a %1; nada foi enviado.")
            .arg(url, TextoLimiteTransferenciaSoap()));

    QNetworkRequest pedido{QUrl(url)};
    pedido.setTransferTimeout(int(qMin<qint64>(restante, std::numeric_limits<int>::max())));
    for (const auto& [nome, valor] : cabecalhos)
        pedido.setRawHeader(nome, valor);

    QNetworkAccessManager& rede = RedeDaThread(verificaCertificado);
    std::unique_ptr<TCorpoUnico> envio;
    if (corpo) {
        envio = std::make_unique<TCorpoUnico>(*corpo);
        pedido.setHeader(QNetworkRequest::ContentLengthHeader, corpo->size());
        pedido.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
        // A redirect is the service's answer, not a place to post again: the
        // library would follow it with a GET whose 200 (a login page, say)
        // would read as the call's confirmation.
        pedido.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    }
    std::unique_ptr<QNetworkReply> resposta(envio ? rede.post(pedido, envio.get()) : rede.get(pedido));
#if QT_CONFIG(ssl)
    if (!verificaCertificado)
        QObject::connect(resposta.get(), &QNetworkReply::sslErrors, resposta.get(),
                         [r = resposta.get()](const QList<QSslError>&) { r->ignoreSslErrors(); });
#endif
    // Whether any of the request went out: from then on the service may
    // have it.
    bool pedidoSaiu = false;
    QObject::connect(resposta.get(), &QNetworkReply::requestSent, resposta.get(), [&pedidoSaiu] { pedidoSaiu = true; });
    QObject::connect(resposta.get(), &QNetworkReply::uploadProgress, resposta.get(),
                     [&pedidoSaiu](qint64 enviados, qint64) { pedidoSaiu = pedidoSaiu || enviados > 0; });
    // The limit bounds the whole call, not only a silence: a server that
    // trickles its answer a byte at a time is cut off at the limit too.
    QTimer limite;
    limite.setSingleShot(true);
    QObject::connect(&limite, &QTimer::timeout, resposta.get(), &QNetworkReply::abort);
    QEventLoop espera;
    QObject::connect(resposta.get(), &QNetworkReply::finished, &espera, &QEventLoop::quit);
    if (!resposta->isFinished()) {
        limite.start(std::chrono::milliseconds(restante));
        espera.exec(QEventLoop::ExcludeUserInputEvents);
    }

    const QVariant status = resposta->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const auto erro = resposta->error();
    if (!status.isValid())
        FalhaSemResposta(*resposta, url, corpo != nullptr && (pedidoSaiu || erro == QNetworkReply::ContentReSendError));

    TRespostaHttp http;
    http.Status = status.toInt();
    http.Frase = resposta->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    http.Corpo = resposta->readAll();
    http.Cortada = ErroDaConexao(erro);
    if (erro == QNetworkReply::OperationCanceledError)
        http.ErroRede = QStringLiteral("tempo limite de %1 esgotado antes do fim do corpo")
                            .arg(TextoLimiteTransferenciaSoap());
    else if (erro != QNetworkReply::NoError)
        http.ErroRede = resposta->errorString();
    return http;
}
