#include "soap/TransporteHttp.h"

#include "soap/ErrosSoap.h"
#include "soap/LimiteTransferencia.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#if QT_CONFIG(ssl)
#include <QSslError>
#endif

#include <memory>

namespace {

[[noreturn]] void FalhaSemResposta(const QNetworkReply& resposta, const QString& url)
{
    const auto erro = resposta.error();
    if (erro == QNetworkReply::OperationCanceledError || erro == QNetworkReply::TimeoutError)
        throw ESoapTransporte(QStringLiteral(
            "Sem resposta de %1 em %2 (tempo limite esgotado).")
            .arg(url, TextoLimiteTransferenciaSoap()));
    throw ESoapTransporte(QStringLiteral("Falha na comunicação com %1: %2")
                              .arg(url, resposta.errorString()));
}

} // namespace

TRespostaHttp ExecutaHttp(const QString& url, const TCabecalhosHttp& cabecalhos,
                          const QByteArray* corpo)
{
    QNetworkRequest pedido{QUrl(url)};
    pedido.setTransferTimeout(int(LimiteTransferenciaSoap().count()));
    for (const auto& [nome, valor] : cabecalhos)
        pedido.setRawHeader(nome, valor);

    QNetworkAccessManager rede;
    std::unique_ptr<QNetworkReply> resposta(corpo ? rede.post(pedido, *corpo) : rede.get(pedido));
#if QT_CONFIG(ssl)
    QObject::connect(resposta.get(), &QNetworkReply::sslErrors, resposta.get(),
                     [r = resposta.get()](const QList<QSslError>&) { r->ignoreSslErrors(); });
#endif
    QEventLoop espera;
    QObject::connect(resposta.get(), &QNetworkReply::finished, &espera, &QEventLoop::quit);
    if (!resposta->isFinished())
        espera.exec(QEventLoop::ExcludeUserInputEvents);

    const QVariant status = resposta->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const auto erro = resposta->error();
    if (!status.isValid() || erro == QNetworkReply::OperationCanceledError)
        FalhaSemResposta(*resposta, url);

    TRespostaHttp http;
    http.Status = status.toInt();
    http.Frase = resposta->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    http.Corpo = resposta->readAll();
    if (erro != QNetworkReply::NoError)
        http.ErroRede = resposta->errorString();
    return http;
}
