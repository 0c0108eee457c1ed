#pragma once

#include "servico/ServidorHttp.h"

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QString>

#include <functional>

// The address of [Monitor] Metricas: "host:port", the host an IP address
// (IPv6 in brackets) or "localhost". Raises Exception, naming the value,
// when it is not one.
struct TEnderecoMetricas {
    QHostAddress Host;
    quint16 Porta = 0;
};
TEnderecoMetricas LeEnderecoMetricas(const QString& valor);
// "host:port" as the messages show it (IPv6 in brackets).
QString TextoEnderecoMetricas(const TEnderecoMetricas& endereco);

// The address of a [Monitor] key that names one to listen on ("Metricas",
// "Console"), read as LeEnderecoMetricas reads it; `exemplo` is shown in the
// message.
TEnderecoMetricas LeEnderecoEscuta(const QString& chave, const QString& valor, const QString& exemplo);

// The HTTP endpoint for the site's monitoring: GET (or HEAD) /metrics
// (Prometheus text exposition) and /saude (a JSON body; 200 when healthy,
// 503 when not), served by TServidorHttp with its bounds on connections
// and requests.
class TServidorMetricas {
public:
    static constexpr int MaximoConexoes = TServidorHttp::MaximoConexoes;
    static constexpr int EsperaRequisicaoMs = TServidorHttp::EsperaRequisicaoMs;

    struct TRespostaSaude {
        QJsonObject Corpo;
        bool Saudavel = false;
    };
    using TFonteMetricas = std::function<QByteArray()>;
    using TFonteSaude = std::function<TRespostaSaude()>;

    TServidorMetricas(TFonteMetricas metricas, TFonteSaude saude);
    TServidorMetricas(const TServidorMetricas&) = delete;
    TServidorMetricas& operator=(const TServidorMetricas&) = delete;

    // Starts listening; raises Exception with the address and the reason
    // when it cannot (a port in use, an address not of this machine).
    void Escuta(const TEnderecoMetricas& endereco);

private:
    TServidorHttp::TResposta Responde(const TServidorHttp::TPedido& pedido) const;

    TFonteMetricas FMetricas;
    TFonteSaude FSaude;
    TServidorHttp FServidor;
};
