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
#include <memory>

namespace {

// The body of a POST, readable once. The network library posts a request
// again by itself when a kept-alive connection closes after the request went
// out and before any answer came; with a body it cannot read twice it fails
// the call instead (ContentReSendError), so a request the service may have
// received is never repeated without the caller knowing.
class TCorpoUnico : public QIODevice {
public:
    explicit TCorpoUnico(const QByteArray& corpo) : FCorpo(corpo) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return FCorpo.size() - FLidos + QIODevice::bytesAvailable(); }

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

[[noreturn]] void FalhaSemResposta(const QNetworkReply& resposta, const QString& url, bool comCorpo)
{
    const auto erro = resposta.error();
    if (comCorpo && (erro == QNetworkReply::ContentReSendError || erro == QNetworkReply::RemoteHostClosedError))
        throw ESoapTransporte(QStringLiteral(
            "A conexão com %1 foi fechada depois do envio e antes de qualquer resposta: o serviço pode ter "
            "recebido o pedido.").arg(url));
    if (erro == QNetworkReply::OperationCanceledError || erro == QNetworkReply::TimeoutError)
        throw ESoapTransporte(QStringLiteral(
            "Sem resposta de %1 em %2 (tempo limite esgotado).")
            .arg(url, TextoLimiteTransferenciaSoap()));
    throw ESoapTransporte(QStringLiteral("Falha na comunicação com %1: %2")
                              .arg(url, resposta.errorString()));
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
                          const QByteArray* corpo, bool verificaCertificado)
{
    QNetworkRequest pedido{QUrl(url)};
    pedido.setTransferTimeout(int(LimiteTransferenciaSoap().count()));
    for (const auto& [nome, valor] : cabecalhos)
        pedido.setRawHeader(nome, valor);

    QNetworkAccessManager& rede = RedeDaThread(verificaCertificado);
    std::unique_ptr<TCorpoUnico> envio;
    if (corpo) {
        envio = std::make_unique<TCorpoUnico>(*corpo);
        pedido.setHeader(QNetworkRequest::ContentLengthHeader, corpo->size());
        pedido.setAttribute(QNetworkRequest::DoNotBufferUploadDataAttribute, true);
    }
    std::unique_ptr<QNetworkReply> resposta(envio ? rede.post(pedido, envio.get()) : rede.get(pedido));
#if QT_CONFIG(ssl)
    if (!verificaCertificado)
        QObject::connect(resposta.get(), &QNetworkReply::sslErrors, resposta.get(),
                         [r = resposta.get()](const QList<QSslError>&) { r->ignoreSslErrors(); });
#endif
    // The limit bounds the whole call, not only a silence: a server that
    // trickles its answer a byte at a time is cut off at the limit too.
    QTimer limite;
    limite.setSingleShot(true);
    QObject::connect(&limite, &QTimer::timeout, resposta.get(), &QNetworkReply::abort);
    QEventLoop espera;
    QObject::connect(resposta.get(), &QNetworkReply::finished, &espera, &QEventLoop::quit);
    if (!resposta->isFinished()) {
        limite.start(LimiteTransferenciaSoap());
        espera.exec(QEventLoop::ExcludeUserInputEvents);
    }

    const QVariant status = resposta->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const auto erro = resposta->error();
    if (!status.isValid() || erro == QNetworkReply::OperationCanceledError)
        FalhaSemResposta(*resposta, url, corpo != nullptr);

    TRespostaHttp http;
    http.Status = status.toInt();
    http.Frase = resposta->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    http.Corpo = resposta->readAll();
    if (erro != QNetworkReply::NoError)
        http.ErroRede = resposta->errorString();
    return http;
}
