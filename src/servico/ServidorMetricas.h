#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <memory>

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

// The HTTP endpoint for the site's monitoring: GET (or HEAD) /metrics
// (Prometheus text exposition) and /saude (a JSON body; 200 when healthy,
// 503 when not). It lives on the thread of the process's main loop, which
// goes on handling its events while a cycle runs, so it answers during a
// cycle too.
//
// Nobody on the network can use up the process's file handles through it,
// which the cycle needs for its connections and logs:
// - a connection is closed after the answer when the client asks for it
//   (HTTP/1.0 without keep-alive, "Connection: close") or sent a body;
// - a client has EsperaRequisicaoMs from the moment it connects, or from the
//   previous answer, to send a whole request; trickling bytes does not
//   extend it. Past it the connection is closed;
// - at most MaximoConexoes connections are open. A new one past that takes
//   the place of the connection idle the longest (connected, or answered,
//   and sending nothing), so idle clients cannot lock out a scraper; when
//   every open connection is in the middle of a request, the new one is
//   answered 503 and closed at once.
class TServidorMetricas {
public:
    static constexpr int MaximoConexoes = 64;
    static constexpr int EsperaRequisicaoMs = 5000;

    struct TRespostaSaude {
        QJsonObject Corpo;
        bool Saudavel = false;
    };
    using TFonteMetricas = std::function<QByteArray()>;
    using TFonteSaude = std::function<TRespostaSaude()>;

    TServidorMetricas(TFonteMetricas metricas, TFonteSaude saude);
    ~TServidorMetricas();
    TServidorMetricas(const TServidorMetricas&) = delete;
    TServidorMetricas& operator=(const TServidorMetricas&) = delete;

    // Starts listening; raises Exception with the address and the reason
    // when it cannot (a port in use, an address not of this machine).
    void Escuta(const TEnderecoMetricas& endereco);

    class TEscuta;

private:
    std::unique_ptr<TEscuta> FEscuta;
};
