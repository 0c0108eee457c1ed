#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QString>

#include <functional>
#include <memory>

class QHttpServer;

// The address of [Monitor] Metricas: "host:port", the host an IP address
// (IPv6 in brackets) or "localhost". Raises Exception, naming the value,
// when it is not one.
struct TEnderecoMetricas {
    QHostAddress Host;
    quint16 Porta = 0;
};
TEnderecoMetricas LeEnderecoMetricas(const QString& valor);

// The HTTP endpoint for the site's monitoring: GET /metrics (Prometheus text
// exposition) and GET /saude (a JSON body; 200 when healthy, 503 when not).
// It lives on the thread of the process's main loop, which goes on handling
// its events while a cycle runs, so it answers during a cycle too.
class TServidorMetricas {
public:
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

private:
    std::unique_ptr<QHttpServer> FServidor;
};
