#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QSslConfiguration>
#include <QString>
#include <QUrlQuery>

#include <functional>
#include <memory>
#include <optional>

// The small HTTP/1.1 server of the monitor's own endpoints (/metrics and
// /saude, the web console), on Qt Network, over plain TCP or TLS. It lives
// on the thread of the process's main loop, which goes on handling its
// events while a cycle runs, so it answers during a cycle too.
//
// Nobody on the network can use up the process's file handles or memory
// through it, which the cycle needs for its connections and logs:
// - a connection is closed after the answer when the client asks for it
//   (HTTP/1.0 without keep-alive, "Connection: close") or the request was
//   refused (a head or body too large, a malformed one);
// - a client has EsperaRequisicaoMs from the moment it connects, or from the
//   previous answer, to send a whole request (and, under TLS, to finish the
//   handshake); trickling bytes does not extend it. Past it the connection
//   is closed;
// - a request's head holds at most MaximoCabeca bytes (431), its body, sent
//   with Content-Length, at most MaximoCorpo (413); a body in chunks is not
//   taken (411);
// - at most MaximoConexoes connections are open. A new one past that takes
//   the place of the connection idle the longest (connected, or answered,
//   and sending nothing), so idle clients cannot lock out a scraper; when
//   every open connection is in the middle of a request, the new one is
//   answered 503 and closed at once.
//
// A request is handed to the server's owner from the loop, never from
// inside the reading of its connection, and may be answered later (a
// delayed answer, work posted elsewhere): the connection reads nothing more
// until then, within EsperaRespostaMs.
class TServidorHttp {
public:
    static constexpr int MaximoConexoes = 64;
    static constexpr int EsperaRequisicaoMs = 5000;
    static constexpr int EsperaRespostaMs = 300000;
    static constexpr qsizetype MaximoCabeca = 8192;
    static constexpr qsizetype MaximoCorpo = 1024 * 1024;

    struct TPedido {
        QByteArray Metodo;
        QString Caminho;  // decoded; never holds a ".." segment
        QUrlQuery Consulta;
        QList<std::pair<QByteArray, QByteArray>> Cabecalhos;  // names in lower case
        QByteArray Corpo;
        QHostAddress Cliente;
        bool Seguro = false;  // came over TLS

        // The first header of that name (lower case), empty when none.
        QByteArray Cabecalho(const QByteArray& nome) const;
        // A cookie's value, empty when the request has none of that name.
        QByteArray Cookie(const QByteArray& nome) const;
        // The body of a form (application/x-www-form-urlencoded).
        QUrlQuery Formulario() const;
    };

    struct TResposta {
        int Status = 200;
        QByteArray Tipo;
        QByteArray Corpo;
        QList<QByteArray> Cabecalhos;  // extra header lines, "Nome: valor"

        static TResposta Texto(int status, const QString& texto);
    };

    // Answers one request; call it once, now or later.
    using TResponde = std::function<void(const TResposta&)>;
    using TAtende = std::function<void(const TPedido&, const TResponde&)>;

    // `recusa` is the body of the 503 given to a connection past the cap.
    TServidorHttp(TAtende atende, const QString& recusa);
    ~TServidorHttp();
    TServidorHttp(const TServidorHttp&) = delete;
    TServidorHttp& operator=(const TServidorHttp&) = delete;

    // Starts listening, under TLS when `tls` is given; raises Exception
    // naming `nome` ("Métricas", "Console"), the address and the reason
    // when it cannot (a port in use, an address not of this machine).
    void Escuta(const QHostAddress& host, quint16 porta, const QString& nome,
                const std::optional<QSslConfiguration>& tls = std::nullopt);
    // The port listened on (the one given, or the system's choice for 0).
    quint16 Porta() const;
    int ConexoesAbertas() const;

    class TEscuta;

private:
    std::unique_ptr<TEscuta> FEscuta;
};

// "host:port" as the messages show it (IPv6 in brackets).
QString TextoEndereco(const QHostAddress& host, quint16 porta);
