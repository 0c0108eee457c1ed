#include "ServidorSoap.h"

#include "RespostasSoap.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSslServer>
#include <QTcpSocket>
#include <QUrl>
#include <QUrlQuery>

#include <cstdio>

namespace {

const QStringList Servicos = {
    QStringLiteral("ArtigoWS"), QStringLiteral("ClienteWS"), QStringLiteral("CorWS"),
    QStringLiteral("ClasseProdutoWS"), QStringLiteral("SubClasseProdutoWS"),
    QStringLiteral("ProdutoWS"), QStringLiteral("GerarOPWS"), QStringLiteral("ProgramacaoWS"),
    QStringLiteral("TipoFioWS")};

const QString PrefixoServicos = QStringLiteral("/integracao/");
const QByteArray BufferDaConexao = "buffer";
const QByteArray PaginaManutencao =
    "<!DOCTYPE html>\n<html><head><title>Em manuten\xc3\xa7\xc3\xa3o</title></head>"
    "<body><h1>Sistema em manuten\xc3\xa7\xc3\xa3o</h1></body></html>\n";

QByteArray FraseStatus(int status)
{
    switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

void Responde(QTcpSocket* conexao, int status, const QByteArray& tipo, const QByteArray& corpo,
              bool mantem)
{
    QByteArray http = "HTTP/1.1 " + QByteArray::number(status) + ' ' + FraseStatus(status) + "\r\n";
    http += "Content-Type: " + tipo + "\r\n";
    http += "Content-Length: " + QByteArray::number(corpo.size()) + "\r\n";
    http += mantem ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    http += "\r\n" + corpo;
    conexao->write(http);
    if (!mantem)
        conexao->disconnectFromHost();
}

void RespondeTexto(QTcpSocket* conexao, int status, const QString& texto, bool mantem)
{
    Responde(conexao, status, "text/plain; charset=utf-8", texto.toUtf8() + '\n', mantem);
}

QJsonObject ComoJson(const TPedidoHttp& pedido)
{
    QJsonObject cabecalhos;
    for (const auto& [nome, valor] : pedido.Cabecalhos)
        cabecalhos.insert(QString::fromLatin1(nome).toLower(), QString::fromUtf8(valor));
    return {
        {QStringLiteral("metodo"), QString::fromLatin1(pedido.Metodo)},
        {QStringLiteral("alvo"), QString::fromUtf8(pedido.Alvo)},
        {QStringLiteral("cabecalhos"), cabecalhos},
        {QStringLiteral("corpo"), QString::fromUtf8(pedido.Corpo)},
    };
}

std::optional<TModoResposta> LeModo(const QUrlQuery& consulta)
{
    TModoResposta modo;
    const QString resposta = consulta.queryItemValue(QStringLiteral("resposta"));
    if (resposta == QLatin1String("sucesso"))
        modo.Tipo = TModoResposta::TTipo::Sucesso;
    else if (resposta == QLatin1String("falha"))
        modo.Tipo = TModoResposta::TTipo::Falha;
    else if (resposta == QLatin1String("http"))
        modo.Tipo = TModoResposta::TTipo::ErroHttp;
    else if (resposta == QLatin1String("lixo"))
        modo.Tipo = TModoResposta::TTipo::Lixo;
    else if (resposta == QLatin1String("mudo"))
        modo.Tipo = TModoResposta::TTipo::Mudo;
    else if (resposta == QLatin1String("cortada"))
        modo.Tipo = TModoResposta::TTipo::Cortada;
    else if (resposta == QLatin1String("cortada-sem-tamanho"))
        modo.Tipo = TModoResposta::TTipo::CortadaSemTamanho;
    else if (resposta == QLatin1String("html"))
        modo.Tipo = TModoResposta::TTipo::Html;
    else
        return std::nullopt;
    modo.TextoFalha = consulta.queryItemValue(QStringLiteral("texto"), QUrl::FullyDecoded);
    if (consulta.hasQueryItem(QStringLiteral("status")))
        modo.Status = consulta.queryItemValue(QStringLiteral("status")).toInt();
    return modo;
}

} // namespace

TServidorSoap::TServidorSoap(bool imprimePedidos, const QSslConfiguration* tls)
    : FbTls(tls != nullptr)
    , FbImprimePedidos(imprimePedidos)
{
    if (tls) {
        auto servidor = std::make_unique<QSslServer>();
        servidor->setSslConfiguration(*tls);
        FServidor = std::move(servidor);
    } else {
        FServidor = std::make_unique<QTcpServer>();
    }
    // A TLS connection is pending only once its handshake is done.
    connect(FServidor.get(), &QTcpServer::pendingConnectionAvailable, this, &TServidorSoap::NovaConexao);
}

bool TServidorSoap::Escuta(const QHostAddress& endereco, quint16 porta)
{
    return FServidor->listen(endereco, porta);
}

QString TServidorSoap::Base() const
{
    QHostAddress endereco = FServidor->serverAddress();
    if (endereco == QHostAddress::Any || endereco == QHostAddress::AnyIPv4)
        endereco = QHostAddress::LocalHost;
    else if (endereco == QHostAddress::AnyIPv6)
        endereco = QHostAddress::LocalHostIPv6;
    QUrl url;
    url.setScheme(FbTls ? QStringLiteral("https") : QStringLiteral("http"));
    url.setHost(endereco.toString());
    url.setPort(FServidor->serverPort());
    return url.toString();
}

void TServidorSoap::NovaConexao()
{
    while (QTcpSocket* conexao = FServidor->nextPendingConnection()) {
        connect(conexao, &QTcpSocket::readyRead, this, [this, conexao] { Le(conexao); });
        connect(conexao, &QTcpSocket::disconnected, conexao, &QObject::deleteLater);
    }
}

void TServidorSoap::Le(QTcpSocket* conexao)
{
    // A connection told to stay silent is never read again.
    if (conexao->property("muda").toBool())
        return;
    QByteArray buffer = conexao->property(BufferDaConexao).toByteArray() + conexao->readAll();
    for (;;) {
        const TLeituraHttp leitura = LePedidoHttp(buffer);
        if (leitura.Tipo == TLeituraHttp::TTipo::Incompleto)
            break;
        if (leitura.Tipo == TLeituraHttp::TTipo::Invalido) {
            RespondeTexto(conexao, leitura.Status, leitura.Problema, false);
            buffer.clear();
            break;
        }
        Atende(conexao, leitura.Pedido);
        if (conexao->property("muda").toBool() || conexao->state() != QAbstractSocket::ConnectedState)
            break;
    }
    conexao->setProperty(BufferDaConexao, buffer);
}

void TServidorSoap::Atende(QTcpSocket* conexao, const TPedidoHttp& pedido)
{
    const QUrl url(QString::fromUtf8(pedido.Alvo));
    const QString caminho = url.path();
    if (caminho.startsWith(QLatin1String("/controle/"))) {
        Controla(conexao, pedido, caminho);
        return;
    }
    QString servico = caminho.mid(PrefixoServicos.size());
    if (servico == QLatin1String("TipoFioWS.xml") && pedido.Metodo == "GET")
        servico = QStringLiteral("TipoFioWS");
    if (!caminho.startsWith(PrefixoServicos) || !Servicos.contains(servico)) {
        Registra(pedido, {}, {}, QStringLiteral("404"));
        RespondeTexto(conexao, 404, QStringLiteral("Não há serviço em ") + caminho, pedido.MantemConexao());
        return;
    }
    AtendeServico(conexao, pedido, servico);
}

void TServidorSoap::AtendeServico(QTcpSocket* conexao, const TPedidoHttp& pedido,
                                  const QString& servico)
{
    const bool mantem = pedido.MantemConexao();
    const QString consulta = QUrl(QString::fromUtf8(pedido.Alvo)).query().toLower();
    if (pedido.Metodo == "GET") {
        const bool pedeDescricao = consulta.startsWith(QLatin1String("wsdl"))
                                || pedido.Alvo.endsWith("TipoFioWS.xml");
        // A site under maintenance answers its descriptions with a web page.
        if (pedeDescricao && Modo(servico, QStringLiteral("wsdl")).Tipo == TModoResposta::TTipo::Html) {
            Registra(pedido, servico, {}, QStringLiteral("html"));
            Responde(conexao, 200, "text/html; charset=utf-8", PaginaManutencao, mantem);
            return;
        }
        Registra(pedido, servico, {}, pedeDescricao ? QStringLiteral("descricao") : QStringLiteral("404"));
        if (pedeDescricao)
            Responde(conexao, 200, "text/xml; charset=utf-8", Descricao(servico), mantem);
        else
            RespondeTexto(conexao, 404, QStringLiteral("Peça a descrição com ?wsdl"), mantem);
        return;
    }
    if (pedido.Metodo != "POST") {
        Registra(pedido, servico, {}, QStringLiteral("405"));
        RespondeTexto(conexao, 405, QStringLiteral("Só GET e POST"), mantem);
        return;
    }

    const QString operacao = OperacaoDoPedido(pedido.Corpo);
    const TModoResposta modo = Modo(servico, operacao);
    switch (modo.Tipo) {
    case TModoResposta::TTipo::Sucesso:
        Registra(pedido, servico, operacao, QStringLiteral("sucesso"));
        Responde(conexao, 200, "text/xml; charset=utf-8", EnvelopeSucesso(operacao), mantem);
        break;
    case TModoResposta::TTipo::Falha:
        Registra(pedido, servico, operacao, QStringLiteral("falha: ") + modo.TextoFalha);
        Responde(conexao, 500, "text/xml; charset=utf-8", EnvelopeFalha(servico, modo.TextoFalha), mantem);
        break;
    case TModoResposta::TTipo::ErroHttp:
        Registra(pedido, servico, operacao, QStringLiteral("HTTP %1").arg(modo.Status));
        RespondeTexto(conexao, modo.Status, QStringLiteral("Erro simulado"), mantem);
        break;
    case TModoResposta::TTipo::Lixo:
        Registra(pedido, servico, operacao, QStringLiteral("lixo"));
        Responde(conexao, 200, "text/xml; charset=utf-8", "isto <nao> e' XML &&", mantem);
        break;
    case TModoResposta::TTipo::Mudo:
        Registra(pedido, servico, operacao, QStringLiteral("mudo"));
        conexao->setProperty("muda", true);
        break;
    case TModoResposta::TTipo::Cortada: {
        Registra(pedido, servico, operacao, QStringLiteral("cortada"));
        const QByteArray corpo = EnvelopeSucesso(operacao);
        conexao->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: "
                       + QByteArray::number(corpo.size()) + "\r\n\r\n" + corpo.left(corpo.size() / 2));
        conexao->flush();
        conexao->disconnectFromHost();
        break;
    }
    case TModoResposta::TTipo::CortadaSemTamanho: {
        Registra(pedido, servico, operacao, QStringLiteral("cortada-sem-tamanho"));
        const QByteArray corpo = EnvelopeSucesso(operacao);
        conexao->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nConnection: close\r\n\r\n"
                       + corpo.left(corpo.size() / 2));
        conexao->flush();
        conexao->disconnectFromHost();
        break;
    }
    case TModoResposta::TTipo::Html:
        Registra(pedido, servico, operacao, QStringLiteral("html"));
        Responde(conexao, 200, "text/html; charset=utf-8", PaginaManutencao, mantem);
        break;
    }
}

void TServidorSoap::Controla(QTcpSocket* conexao, const TPedidoHttp& pedido, const QString& caminho)
{
    const bool mantem = pedido.MantemConexao();
    const QUrlQuery consulta(QUrl(QString::fromUtf8(pedido.Alvo)).query(QUrl::FullyEncoded));
    if (caminho == QLatin1String("/controle/pedidos") && pedido.Metodo == "GET") {
        Responde(conexao, 200, "application/json",
                 QJsonDocument(FPedidos).toJson(QJsonDocument::Compact), mantem);
    } else if (caminho == QLatin1String("/controle/limpa") && pedido.Metodo == "POST") {
        FPedidos = {};
        FModos.clear();
        RespondeTexto(conexao, 200, QStringLiteral("ok"), mantem);
    } else if (caminho == QLatin1String("/controle/modo") && pedido.Metodo == "POST") {
        const auto modo = LeModo(consulta);
        if (!modo) {
            RespondeTexto(conexao, 400, QStringLiteral("resposta: sucesso, falha, http, lixo, mudo, cortada, cortada-sem-tamanho ou html"), mantem);
            return;
        }
        const QString servico = consulta.queryItemValue(QStringLiteral("servico"));
        const QString operacao = consulta.queryItemValue(QStringLiteral("operacao"));
        FModos.insert((servico.isEmpty() ? QStringLiteral("*") : servico) + QLatin1Char('/')
                          + (operacao.isEmpty() ? QStringLiteral("*") : operacao),
                      *modo);
        RespondeTexto(conexao, 200, QStringLiteral("ok"), mantem);
    } else {
        RespondeTexto(conexao, 404, QStringLiteral("Controle desconhecido: ") + caminho, mantem);
    }
}

void TServidorSoap::Registra(const TPedidoHttp& pedido, const QString& servico,
                             const QString& operacao, const QString& resposta)
{
    QJsonObject registro = ComoJson(pedido);
    registro.insert(QStringLiteral("servico"), servico);
    registro.insert(QStringLiteral("operacao"), operacao);
    registro.insert(QStringLiteral("resposta"), resposta);
    FPedidos.append(registro);
    if (FbImprimePedidos) {
        const QString linha = QStringLiteral("%1 %2 %3%4: %5\n")
            .arg(QString::fromLatin1(pedido.Metodo), QString::fromUtf8(pedido.Alvo), servico,
                 operacao.isEmpty() ? QString() : QLatin1Char('.') + operacao, resposta);
        std::fputs(linha.toUtf8().constData(), stdout);
        std::fflush(stdout);
    }
}

TModoResposta TServidorSoap::Modo(const QString& servico, const QString& operacao) const
{
    const QString chaves[] = {servico + QLatin1Char('/') + operacao, servico + QStringLiteral("/*"),
                              QStringLiteral("*/") + operacao, QStringLiteral("*/*")};
    for (const QString& chave : chaves)
        if (FModos.contains(chave))
            return FModos.value(chave);
    return {};
}

QByteArray TServidorSoap::Descricao(const QString& servico) const
{
    QFile arquivo(QStringLiteral(":/wsdl/%1.wsdl").arg(servico));
    arquivo.open(QIODevice::ReadOnly);
    QByteArray wsdl = arquivo.readAll();
    return wsdl.replace("http://ENDERECO-DO-SERVICO", Base().toUtf8());
}
