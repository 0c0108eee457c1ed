#pragma once

#include "PedidoHttp.h"

#include <QHash>
#include <QHostAddress>
#include <QJsonArray>
#include <QObject>
#include <QTcpServer>

#include <memory>

class QSslConfiguration;
class QTcpSocket;

// How the service answers an operation, or a description.
struct TModoResposta {
    enum class TTipo {
        Sucesso, Falha, ErroHttp, Lixo, Mudo, Fecha, Cortada, CortadaSemTamanho, CortadaChunked, Vazia, Html
    } Tipo = TTipo::Sucesso;
    QString TextoFalha;   // Falha: the fault string
    int Status = 503;     // ErroHttp: the status
    int AtrasoMs = 0;     // the answer waits this long
};

// The test SOAP service: the nine services at /integracao/<Interface>, their
// descriptions at /integracao/<Interface>?wsdl (the yarn types' at
// /integracao/TipoFioWS.xml), and a control API whose modes switch at run
// time, for the tests and for a campaign of faults:
//   POST /controle/modo?servico=S&operacao=O&resposta=R[&texto=T][&status=N]
//                      [&contem=X][&atraso=MS][&descricao=1]
//        R: sucesso, falha (fault string T), http (status N, 503 if not
//        given, a plain-text body), lixo (200, not XML), mudo (never
//        answers), fecha (closes the connection without a word), cortada (a 200 whose connection closes halfway through
//        the body its Content-Length announced), cortada-sem-tamanho (a 200
//        without Content-Length whose connection closes halfway through the
//        body), cortada-chunked (a chunked 200 that stops halfway), vazia (a
//        200 without a body), html (a 200 with an HTML maintenance page).
//        Without servico or operacao the mode holds for every service or
//        every operation. contem=X: only for calls whose body holds X (one
//        row), before the modes without it. atraso=MS: the answer is
//        written MS milliseconds late. descricao=1: the mode of the
//        service's description (GET) instead of its calls; descriptions
//        follow only the modes set for them.
//   GET  /controle/pedidos   every request received, as JSON
//   POST /controle/limpa     forgets the requests and the modes
class TServidorSoap : public QObject {
public:
    // With a TLS configuration the service speaks HTTPS only.
    TServidorSoap(bool imprimePedidos, const QSslConfiguration* tls);

    bool Escuta(const QHostAddress& endereco, quint16 porta);
    QString ErroEscuta() const { return FServidor->errorString(); }
    // "http://127.0.0.1:port" ("https://..." with TLS)
    QString Base() const;

private:
    void NovaConexao();
    void Le(QTcpSocket* conexao);
    void Atende(QTcpSocket* conexao, const TPedidoHttp& pedido);
    void Controla(QTcpSocket* conexao, const TPedidoHttp& pedido, const QString& caminho);
    void AtendeServico(QTcpSocket* conexao, const TPedidoHttp& pedido, const QString& servico);
    void Registra(const TPedidoHttp& pedido, const QString& servico, const QString& operacao,
                  const QString& resposta);
    TModoResposta Modo(const QString& servico, const QString& operacao, const QByteArray& corpo) const;
    QByteArray Descricao(const QString& servico) const;
    // Answers by the mode; `sucesso` is the body of a success.
    void RespondePorModo(QTcpSocket* conexao, const TModoResposta& modo, const QString& servico,
                         const QByteArray& sucesso, bool mantem);

    // A mode for the calls whose body holds a text.
    struct TModoFiltrado {
        QString Chave;    // "servico/operacao", "*" for any
        QByteArray Contem;
        TModoResposta Modo;
    };

    std::unique_ptr<QTcpServer> FServidor;
    bool FbTls;
    bool FbImprimePedidos;
    QHash<QString, TModoResposta> FModos; // "servico/operacao", "*" for any
    QList<TModoFiltrado> FModosFiltrados; // the latest first
    QHash<QString, TModoResposta> FModosDescricao; // by service, "*" for any
    QJsonArray FPedidos;
};
