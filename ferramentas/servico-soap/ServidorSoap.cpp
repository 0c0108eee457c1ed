#include "ServidorSoap.h"

#include "RespostasSoap.h"

#include <QFile>
#include <QTimer>
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
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 504: return "Gateway Timeout";
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

const QList<QPair<QString, TModoResposta::TTipo>>& NomesModos()
{
    using T = TModoResposta::TTipo;
    static const QList<QPair<QString, T>> nomes = {
        {QStringLiteral("sucesso"), T::Sucesso},
        {QStringLiteral("falha"), T::Falha},
        {QStringLiteral("http"), T::ErroHttp},
        {QStringLiteral("lixo"), T::Lixo},
        {QStringLiteral("mudo"), T::Mudo},
        {QStringLiteral("fecha"), T::Fecha},
        {QStringLiteral("cortada"), T::Cortada},
        {QStringLiteral("cortada-sem-tamanho"), T::CortadaSemTamanho},
        {QStringLiteral("cortada-chunked"), T::CortadaChunked},
        {QStringLiteral("vazia"), T::Vazia},
        {QStringLiteral("html"), T::Html},
    };
    return nomes;
}

QString NomeModo(TModoResposta::TTipo tipo)
{
    for (const auto& [nome, t] : NomesModos())
        if (t == tipo)
            return nome;
    return {};
}

std::optional<TModoResposta> LeModo(const QUrlQuery& consulta)
{
    TModoResposta modo;
    const QString resposta = consulta.queryItemValue(QStringLiteral("resposta"));
    bool conhecido = false;
    for (const auto& [nome, tipo] : NomesModos())
        if (nome == resposta) {
            modo.Tipo = tipo;
            conhecido = true;
        }
    if (!conhecido)
        return std::nullopt;
    modo.TextoFalha = consulta.queryItemValue(QStringLiteral("texto"), QUrl::FullyDecoded);
    if (consulta.hasQueryItem(QStringLiteral("status")))
        modo.Status = consulta.queryItemValue(QStringLiteral("status")).toInt();
    modo.AtrasoMs = qMax(0, consulta.queryItemValue(QStringLiteral("atraso")).toInt());
    return modo;
}

// A maintenance page, as a web server in front of a service serves it.
const QByteArray PaginaManutencao =
    "<!DOCTYPE html>\n<html><head><title>Em manuten&ccedil;&atilde;o</title></head>\n"
    "<body><h1>Sistema em manuten&ccedil;&atilde;o</h1><p>Voltamos em breve.<br></p></body></html>\n";

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
        if (!pedeDescricao) {
            Registra(pedido, servico, {}, QStringLiteral("404"));
            RespondeTexto(conexao, 404, QStringLiteral("Peça a descrição com ?wsdl"), mantem);
            return;
        }
        const TModoResposta modo = FModosDescricao.value(
            servico, FModosDescricao.value(QStringLiteral("*")));
        Registra(pedido, servico, {},
                 modo.Tipo == TModoResposta::TTipo::Sucesso ? QStringLiteral("descricao")
                                                            : QStringLiteral("descricao: ") + NomeModo(modo.Tipo));
        RespondePorModo(conexao, modo, servico, Descricao(servico), mantem);
        return;
    }
    if (pedido.Metodo != "POST") {
        Registra(pedido, servico, {}, QStringLiteral("405"));
        RespondeTexto(conexao, 405, QStringLiteral("Só GET e POST"), mantem);
        return;
    }

    const QString operacao = OperacaoDoPedido(pedido.Corpo);
    const TModoResposta modo = Modo(servico, operacao, pedido.Corpo);
    Registra(pedido, servico, operacao,
             modo.Tipo == TModoResposta::TTipo::Falha      ? QStringLiteral("falha: ") + modo.TextoFalha
             : modo.Tipo == TModoResposta::TTipo::ErroHttp ? QStringLiteral("HTTP %1").arg(modo.Status)
                                                           : NomeModo(modo.Tipo));
    RespondePorModo(conexao, modo, servico, EnvelopeSucesso(operacao), mantem);
}

void TServidorSoap::RespondePorModo(QTcpSocket* conexao, const TModoResposta& modo, const QString& servico,
                                    const QByteArray& sucesso, bool mantem)
{
    if (modo.AtrasoMs > 0) {
        // Nothing more is read from the connection until the answer is out.
        conexao->setProperty("muda", true);
        TModoResposta semAtraso = modo;
        semAtraso.AtrasoMs = 0;
        QTimer::singleShot(modo.AtrasoMs, conexao, [this, conexao, semAtraso, servico, sucesso, mantem] {
            conexao->setProperty("muda", false);
            RespondePorModo(conexao, semAtraso, servico, sucesso, mantem);
        });
        return;
    }
    const QByteArray xml = "text/xml; charset=utf-8";
    switch (modo.Tipo) {
    case TModoResposta::TTipo::Sucesso:
        Responde(conexao, 200, xml, sucesso, mantem);
        break;
    case TModoResposta::TTipo::Falha:
        Responde(conexao, 500, xml, EnvelopeFalha(servico, modo.TextoFalha), mantem);
        break;
    case TModoResposta::TTipo::ErroHttp:
        RespondeTexto(conexao, modo.Status, QStringLiteral("Erro simulado"), mantem);
        break;
    case TModoResposta::TTipo::Lixo:
        Responde(conexao, 200, xml, "isto <nao> e' XML &&", mantem);
        break;
    case TModoResposta::TTipo::Vazia:
        Responde(conexao, 200, xml, {}, mantem);
        break;
    case TModoResposta::TTipo::Html:
        Responde(conexao, 200, "text/html; charset=utf-8", PaginaManutencao, mantem);
        break;
    case TModoResposta::TTipo::Mudo:
        conexao->setProperty("muda", true);
        break;
    case TModoResposta::TTipo::Fecha:
        conexao->setProperty("muda", true);
        conexao->disconnectFromHost();
        break;
    case TModoResposta::TTipo::Cortada:
        conexao->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: "
                       + QByteArray::number(sucesso.size()) + "\r\n\r\n" + sucesso.left(sucesso.size() / 2));
        conexao->flush();
        conexao->disconnectFromHost();
        break;
    case TModoResposta::TTipo::CortadaSemTamanho:
        // Without a length the body ends where the connection does: the
        // client sees half a document.
        conexao->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nConnection: close\r\n\r\n"
                       + sucesso.left(sucesso.size() / 2));
        conexao->flush();
        conexao->disconnectFromHost();
        break;
    case TModoResposta::TTipo::CortadaChunked: {
        const QByteArray metade = sucesso.left(sucesso.size() / 2);
        conexao->write("HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nTransfer-Encoding: chunked\r\n\r\n"
                       + QByteArray::number(metade.size(), 16) + "\r\n" + metade + "\r\n");
        conexao->flush();
        conexao->disconnectFromHost();
        break;
    }
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
        FModosFiltrados.clear();
        FModosDescricao.clear();
        RespondeTexto(conexao, 200, QStringLiteral("ok"), mantem);
    } else if (caminho == QLatin1String("/controle/modo") && pedido.Metodo == "POST") {
        const auto modo = LeModo(consulta);
        if (!modo) {
            QStringList nomes;
            for (const auto& nome : NomesModos())
                nomes << nome.first;
            RespondeTexto(conexao, 400, QStringLiteral("resposta: ") + nomes.join(QStringLiteral(", ")), mantem);
            return;
        }
        const QString servico = consulta.queryItemValue(QStringLiteral("servico"));
        const QString operacao = consulta.queryItemValue(QStringLiteral("operacao"));
        const QString contem = consulta.queryItemValue(QStringLiteral("contem"), QUrl::FullyDecoded);
        const QString chaveServico = servico.isEmpty() ? QStringLiteral("*") : servico;
        const QString chave = chaveServico + QLatin1Char('/') + (operacao.isEmpty() ? QStringLiteral("*") : operacao);
        if (consulta.queryItemValue(QStringLiteral("descricao")) == QLatin1String("1"))
            FModosDescricao.insert(chaveServico, *modo);
        else if (!contem.isEmpty())
            FModosFiltrados.prepend({chave, contem.toUtf8(), *modo});
        else
            FModos.insert(chave, *modo);
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

TModoResposta TServidorSoap::Modo(const QString& servico, const QString& operacao, const QByteArray& corpo) const
{
    const QString chaves[] = {servico + QLatin1Char('/') + operacao, servico + QStringLiteral("/*"),
                              QStringLiteral("*/") + operacao, QStringLiteral("*/*")};
    for (const QString& chave : chaves)
        for (const TModoFiltrado& filtrado : FModosFiltrados)
            if (filtrado.Chave == chave && corpo.contains(filtrado.Contem))
                return filtrado.Modo;
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
