#include "servico/ServidorMetricas.h"

#include "base/Erros.h"
#include "operacao/TextoMetricas.h"

#include <QJsonDocument>
#include <QUrl>

TEnderecoMetricas LeEnderecoEscuta(const QString& chave, const QString& valor, const QString& exemplo)
{
    const QUrl url(QStringLiteral("http://") + valor.trimmed(), QUrl::StrictMode);
    const int porta = url.port();
    TEnderecoMetricas endereco;
    endereco.Host = url.host() == QLatin1String("localhost") ? QHostAddress(QHostAddress::LocalHost)
                                                              : QHostAddress(url.host());
    if (!url.isValid() || !url.path().isEmpty() || endereco.Host.isNull() || porta <= 0 || porta > 65535)
        throw Exception(QStringLiteral("[Monitor] %1 \"%2\" não é um endereço host:porta (por exemplo %3).")
                            .arg(chave, valor, exemplo));
    endereco.Porta = quint16(porta);
    return endereco;
}

TEnderecoMetricas LeEnderecoMetricas(const QString& valor)
{
    return LeEnderecoEscuta(QStringLiteral("Metricas"), valor, QStringLiteral("127.0.0.1:9464"));
}

QString TextoEnderecoMetricas(const TEnderecoMetricas& endereco) { return TextoEndereco(endereco.Host, endereco.Porta); }

TServidorMetricas::TServidorMetricas(TFonteMetricas metricas, TFonteSaude saude)
    : FMetricas(std::move(metricas))
    , FSaude(std::move(saude))
    , FServidor([this](const TServidorHttp::TPedido& pedido,
                       const TServidorHttp::TResponde& responde) { responde(Responde(pedido)); },
                QStringLiteral("Conexões demais abertas com o endereço de métricas."))
{
}

TServidorHttp::TResposta TServidorMetricas::Responde(const TServidorHttp::TPedido& pedido) const
{
    using TResposta = TServidorHttp::TResposta;
    const bool metrics = pedido.Caminho == QLatin1String("/metrics");
    const bool saude = pedido.Caminho == QLatin1String("/saude");
    if (!metrics && !saude)
        return TResposta::Texto(404, QStringLiteral("Caminho desconhecido; este endereço responde a /metrics e /saude."));
    if (pedido.Metodo != "GET" && pedido.Metodo != "HEAD") {
        TResposta resposta = TResposta::Texto(405, QStringLiteral("Só GET e HEAD."));
        resposta.Cabecalhos << QByteArrayLiteral("Allow: GET, HEAD");
        return resposta;
    }
    if (metrics)
        return {200, QByteArray(TipoTextoPrometheus), FMetricas(), {}};
    const TRespostaSaude resposta = FSaude();
    return {resposta.Saudavel ? 200 : 503, QByteArrayLiteral("application/json"),
            QJsonDocument(resposta.Corpo).toJson(QJsonDocument::Compact), {}};
}

void TServidorMetricas::Escuta(const TEnderecoMetricas& endereco)
{
    FServidor.Escuta(endereco.Host, endereco.Porta, QStringLiteral("Métricas"));
}
