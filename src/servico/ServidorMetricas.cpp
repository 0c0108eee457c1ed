#include "servico/ServidorMetricas.h"

#include "base/Erros.h"
#include "operacao/TextoMetricas.h"

#include <QHttpServer>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QTcpServer>
#include <QUrl>

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

TServidorMetricas::TServidorMetricas(TFonteMetricas metricas, TFonteSaude saude)
    : FServidor(std::make_unique<QHttpServer>())
{
    FServidor->route(QStringLiteral("/metrics"), QHttpServerRequest::Method::Get, [metricas] {
        return QHttpServerResponse(QByteArray(TipoTextoPrometheus), metricas());
    });
    FServidor->route(QStringLiteral("/saude"), QHttpServerRequest::Method::Get, [saude] {
        const TRespostaSaude resposta = saude();
        return QHttpServerResponse(QByteArrayLiteral("application/json"),
                                   QJsonDocument(resposta.Corpo).toJson(QJsonDocument::Compact),
                                   resposta.Saudavel ? QHttpServerResponse::StatusCode::Ok
                                                     : QHttpServerResponse::StatusCode::ServiceUnavailable);
    });
}

TServidorMetricas::~TServidorMetricas() = default;

void TServidorMetricas::Escuta(const TEnderecoMetricas& endereco)
{
    // A socket of our own, so that the reason it cannot listen is known;
    // the server owns it.
    auto* socket = new QTcpServer(FServidor.get());
    if (socket->listen(endereco.Host, endereco.Porta)) {
        FServidor->bind(socket);
        return;
    }
    const QString motivo = socket->errorString();
    delete socket;
    const QString host = endereco.Host.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + endereco.Host.toString() + u']'
                             : endereco.Host.toString();
    throw Exception(QStringLiteral("Métricas: não foi possível escutar em %1:%2: %3.")
                        .arg(host)
                        .arg(endereco.Porta)
                        .arg(motivo));
}
