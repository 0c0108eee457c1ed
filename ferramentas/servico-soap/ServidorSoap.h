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

// How the service answers an operation.
struct TModoResposta {
    enum class TTipo { Sucesso, Falha, ErroHttp, Lixo, Mudo, Cortada, CortadaSemTamanho, Html } Tipo = TTipo::Sucesso;
    QString TextoFalha;   // Falha: the fault string
    int Status = 503;     // ErroHttp: the status
};

// The test SOAP service: the nine services at /integracao/<Interface>, their
// descriptions at /integracao/<Interface>?wsdl (the yarn types' at
// /integracao/TipoFioWS.xml), and a control API:
//   POST /controle/modo?servico=S&operacao=O&resposta=R[&texto=T][&status=N]
//        R: sucesso, falha (fault string T), http (status N, 503 if not
//        given), lixo (not XML), mudo (never answers). Without servico or
//        operacao the mode holds for every service or every operation.
//        R may also be cortada: a 200 whose connection closes halfway
//        through the body it announced; cortada-sem-tamanho: the same
//        without Content-Length (Connection: close); html: a maintenance
//        page with 200, also at a description when operacao=wsdl.
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
    TModoResposta Modo(const QString& servico, const QString& operacao) const;
    QByteArray Descricao(const QString& servico) const;

    std::unique_ptr<QTcpServer> FServidor;
    bool FbTls;
    bool FbImprimePedidos;
    QHash<QString, TModoResposta> FModos; // "servico/operacao", "*" for any
    QJsonArray FPedidos;
};
