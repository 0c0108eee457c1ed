#include "ArvoreXml.h"
#include "ServicoSoapTeste.h"

#include "soap/ClienteSoap.h"
#include "soap/ErrosSoap.h"
#include "soap/LimiteTransferencia.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>

using namespace std::chrono_literals;

namespace {

class ClienteSoap : public ComServicoSoap {
protected:

    static TChamadaSoap Chamada(const QString& operacao)
    {
        TChamadaSoap chamada;
        chamada.Operacao = operacao;
        chamada.Estilo = TEstiloSoap::RpcCodificado;
        chamada.EspacoPadrao = QStringLiteral("urn:padrao");
        chamada.AcaoPadrao = QStringLiteral("urn:acao-padrao");
        chamada.Parametros = {ElementoSoap("aux", QStringLiteral("A1"))};
        return chamada;
    }

    // A description of our own in a file: service "Fios", port "FiosPort",
    // whose address is the test service's CorWS endpoint.
    QString EscreveDescricao(const QString& espaco, const QString& servico = QStringLiteral("Fios"))
    {
        const QString wsdl = QStringLiteral(R"(<?xml version="1.0"?>
<definitions targetNamespace="%1" xmlns="http://schemas.xmlsoap.org/wsdl/"
    xmlns:soap="http://schemas.xmlsoap.org/wsdl/soap/" xmlns:tns="%1">
  <binding name="FiosBinding" type="tns:Fios">
    <soap:binding style="rpc" transport="http://schemas.xmlsoap.org/soap/http"/>
    <operation name="save"><soap:operation soapAction="urn:fios#save"/></operation>
  </binding>
  <service name="%2">
    <port name="FiosPort" binding="tns:FiosBinding"><soap:address location="%3"/></port>
  </service>
</definitions>)").arg(espaco, servico, Servico().Endereco(QStringLiteral("CorWS")));
        const QString caminho = FPasta.filePath(QStringLiteral("fios-%1.wsdl").arg(++FArquivos));
        QFile arquivo(caminho);
        EXPECT_TRUE(arquivo.open(QIODevice::WriteOnly));
        arquivo.write(wsdl.toUtf8());
        return caminho;
    }

    QTemporaryDir FPasta;
    int FArquivos = 0;
};

template <class TErro>
QString ErroDe(const std::function<void()>& acao)
{
    try {
        acao();
    } catch (const TErro& e) {
        return e.Message();
    } catch (const Exception& e) {
        ADD_FAILURE() << "erro de outra classe: " << e.Message().toStdString();
        return e.Message();
    }
    ADD_FAILURE() << "sem erro";
    return {};
}

TEST_F(ClienteSoap, PorDescricaoUsaEnderecoEspacoEAcaoDaDescricao)
{
    TClienteSoap cliente;
    cliente.LigaPorDescricao(EscreveDescricao(QStringLiteral("urn:espaco:da:descricao")),
                             QStringLiteral("Fios"), QStringLiteral("FiosPort"));
    cliente.Chama(Chamada(QStringLiteral("save")));
    cliente.Chama(Chamada(QStringLiteral("delete"))); // not in the binding

    const auto chamadas = Servico().Chamadas();
    ASSERT_EQ(chamadas.size(), 2);
    EXPECT_EQ(chamadas[0].Alvo, QLatin1String("/integracao/CorWS"));
    EXPECT_EQ(chamadas[0].Cabecalho("soapaction"), QLatin1String("\"urn:fios#save\""));
    EXPECT_EQ(chamadas[1].Cabecalho("soapaction"), QLatin1String("\"urn:acao-padrao\""));
    EXPECT_EQ(OperacaoDoEnvelope(chamadas[0].Corpo).Espaco, QLatin1String("urn:espaco:da:descricao"));
}

// rpc/encoded: the operation element takes the namespace of its binding's
// soap:body when the description gives one; an operation without it keeps
// the target namespace.
TEST_F(ClienteSoap, RpcCodificadoUsaOEspacoDoSoapBody)
{
    const QString caminho = EscreveDescricao(QStringLiteral("urn:espaco:da:descricao"));
    QFile arquivo(caminho);
    ASSERT_TRUE(arquivo.open(QIODevice::ReadOnly));
    QString wsdl = QString::fromUtf8(arquivo.readAll());
    arquivo.close();
    wsdl.replace(QStringLiteral("<soap:operation soapAction=\"urn:fios#save\"/></operation>"),
                 QStringLiteral("<soap:operation soapAction=\"urn:fios#save\"/><input><soap:body use=\"encoded\" "
                                "namespace=\"urn:espaco:do:corpo\"/></input></operation>"));
    ASSERT_TRUE(arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate));
    arquivo.write(wsdl.toUtf8());
    arquivo.close();

    TClienteSoap cliente;
    cliente.LigaPorDescricao(caminho, QStringLiteral("Fios"), QStringLiteral("FiosPort"));
    cliente.Chama(Chamada(QStringLiteral("save")));
    cliente.Chama(Chamada(QStringLiteral("delete")));
    const auto chamadas = Servico().Chamadas();
    ASSERT_EQ(chamadas.size(), 2);
    EXPECT_EQ(OperacaoDoEnvelope(chamadas[0].Corpo).Espaco, QLatin1String("urn:espaco:do:corpo"));
    EXPECT_EQ(OperacaoDoEnvelope(chamadas[1].Corpo).Espaco, QLatin1String("urn:espaco:da:descricao"));
}

TEST_F(ClienteSoap, PorEnderecoUsaEspacoEAcaoDoContrato)
{
    TClienteSoap cliente;
    cliente.LigaPorEndereco(Servico().Endereco(QStringLiteral("CorWS")));
    TChamadaSoap chamada = Chamada(QStringLiteral("save"));
    chamada.AcaoPadrao.clear();
    cliente.Chama(chamada);

    const auto pedidos = Servico().Pedidos();
    ASSERT_EQ(pedidos.size(), 1); // no description was fetched
    EXPECT_EQ(pedidos[0].Metodo, QLatin1String("POST"));
    EXPECT_EQ(pedidos[0].Cabecalho("soapaction"), QLatin1String("\"\""));
    EXPECT_EQ(pedidos[0].Cabecalho("content-type"), QLatin1String("text/xml; charset=utf-8"));
    EXPECT_EQ(OperacaoDoEnvelope(pedidos[0].Corpo).Espaco, QLatin1String("urn:padrao"));
}

TEST_F(ClienteSoap, AceitaDescricaoPorUrlDeArquivo)
{
    TClienteSoap cliente;
    cliente.LigaPorDescricao(QUrl::fromLocalFile(EscreveDescricao(QStringLiteral("urn:x"))).toString(),
                             QStringLiteral("Fios"), QStringLiteral("FiosPort"));
    cliente.Chama(Chamada(QStringLiteral("save")));
    EXPECT_EQ(Servico().Chamadas().size(), 1);
}

TEST_F(ClienteSoap, DescricaoQueNaoServeFalhaSemChamar)
{
    const QString semServico = EscreveDescricao(QStringLiteral("urn:x"), QStringLiteral("Outro"));
    const QString naoExiste = FPasta.filePath(QStringLiteral("nao-existe.wsdl"));
    const QString http404 = Servico().Base() + QStringLiteral("/integracao/NenhumWS?wsdl");
    QTcpServer fechado;
    ASSERT_TRUE(fechado.listen(QHostAddress::LocalHost));
    const QString recusado = QStringLiteral("http://127.0.0.1:%1/CorWS?wsdl").arg(fechado.serverPort());
    fechado.close();
    const struct {
        QString local;
        const char* trecho;
    } casos[] = {
        {semServico, "não tem o serviço \"Fios\""},
        {naoExiste, "não pôde ser lida"},
        {http404, "HTTP 404"},
        {recusado, "não pôde ser lida: Falha na comunicação"},
        {QStringLiteral("ftp://servidor/fios.wsdl"), "não suportado"},
    };
    for (const auto& caso : casos) {
        TClienteSoap cliente;
        cliente.LigaPorDescricao(caso.local, QStringLiteral("Fios"), QStringLiteral("FiosPort"));
        const QString erro = ErroDe<ESoapDescricao>([&] { cliente.Chama(Chamada(QStringLiteral("save"))); });
        EXPECT_TRUE(erro.contains(QString::fromUtf8(caso.trecho))) << erro.toStdString();
        EXPECT_TRUE(erro.contains(caso.local)) << erro.toStdString();
    }
    EXPECT_TRUE(Servico().Chamadas().isEmpty());
}

TEST_F(ClienteSoap, SemDescricaoNemEnderecoFalha)
{
    TClienteSoap cliente;
    const QString erro = ErroDe<ESoapDescricao>([&] { cliente.Chama(Chamada(QStringLiteral("save"))); });
    EXPECT_TRUE(erro.contains(QString::fromUtf8("nem endereço"))) << erro.toStdString();
}

// Each answer that confirms nothing raises the error that tells the caller
// whether the service may have the call.
struct CasoFalha {
    const char* resposta;
    int status;
    const char* trecho; // in the error's message
    QString (*erroDe)(const std::function<void()>&);
};

class FalhaDaChamada : public ClienteSoap, public ::testing::WithParamInterface<CasoFalha> {};

TEST_P(FalhaDaChamada, ViraErroQueDizOQueHouve)
{
    Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("save"),
                         QString::fromLatin1(GetParam().resposta), {}, GetParam().status);
    TLimiteTransferenciaSoap limite(400ms);
    TClienteSoap cliente;
    cliente.LigaPorEndereco(Servico().Endereco(QStringLiteral("CorWS")));
    const QString erro = GetParam().erroDe([&] { cliente.Chama(Chamada(QStringLiteral("save"))); });
    EXPECT_TRUE(erro.contains(QString::fromUtf8(GetParam().trecho))) << erro.toStdString();
    EXPECT_TRUE(erro.contains(Servico().Endereco(QStringLiteral("CorWS")))) << erro.toStdString();
    EXPECT_TRUE(cliente.RespostaIncompleta().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Casos, FalhaDaChamada, ::testing::Values(
    CasoFalha{"http", 503, "HTTP 503 Service Unavailable", &ErroDe<ESoapInalcancavel>},
    CasoFalha{"http", 502, "HTTP 502 Bad Gateway", &ErroDe<ESoapInalcancavel>},
    CasoFalha{"http", 504, "HTTP 504 Gateway Timeout", &ErroDe<ESoapInalcancavel>},
    CasoFalha{"http", 404, "HTTP 404 Not Found: Erro simulado", &ErroDe<ESoapRecusa>},
    CasoFalha{"http", 400, "HTTP 400 Bad Request: Erro simulado", &ErroDe<ESoapRecusa>},
    CasoFalha{"http", 500, "HTTP 500 Internal Server Error: Erro simulado", &ErroDe<ESoapRecusa>},
    CasoFalha{"mudo", 0, "tempo limite esgotado) depois do envio: o serviço pode ter recebido o pedido",
              &ErroDe<ESoapIncerto>},
    CasoFalha{"fecha", 0, "o serviço pode ter recebido o pedido", &ErroDe<ESoapIncerto>}),
    [](const auto& caso) { return std::string(caso.param.resposta) + std::to_string(caso.param.status); });

// A 2xx status line is the service's confirmation: whatever follows it (a
// body cut with or without a Content-Length, a chunked body cut, an empty,
// unreadable or HTML body) the call returns, saying what was wrong with the
// answer; the service got the call once.
TEST_F(ClienteSoap, DoisXXConfirmaAChamadaComQualquerCorpo)
{
    const struct {
        const char* resposta;
        const char* trecho;
    } casos[] = {
        {"cortada", "o corpo foi interrompido"},
        {"cortada-sem-tamanho", "corpo ilegível"},
        // The network library may see the cut, or only a chunked body that
        // ended early: either way the answer is incomplete.
        {"cortada-chunked", "o corpo foi interrompido|corpo ilegível"},
        {"lixo", "corpo ilegível"},
        {"html", "corpo ilegível"},
        {"vazia", "corpo vazio"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.resposta);
        Servico().Limpa();
        Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("save"), QString::fromLatin1(caso.resposta));
        TClienteSoap cliente;
        cliente.LigaPorEndereco(Servico().Endereco(QStringLiteral("CorWS")));
        QString incompleta;
        try {
            incompleta = cliente.Chama(Chamada(QStringLiteral("save")));
        } catch (const Exception& e) {
            ADD_FAILURE() << "a 200 did not confirm the call: " << e.Message().toStdString();
        }
        EXPECT_EQ(incompleta, cliente.RespostaIncompleta());
        EXPECT_TRUE(incompleta.startsWith(QStringLiteral("a resposta de %1 (HTTP 200 OK) veio incompleta: ")
                                              .arg(Servico().Endereco(QStringLiteral("CorWS")))))
            << incompleta.toStdString();
        EXPECT_TRUE(incompleta.contains(QRegularExpression(QString::fromUtf8(caso.trecho)))) << incompleta.toStdString();
        EXPECT_EQ(Servico().Chamadas().size(), 1);
    }
    Servico().Limpa();
    TClienteSoap cliente;
    cliente.LigaPorEndereco(Servico().Endereco(QStringLiteral("CorWS")));
    EXPECT_TRUE(cliente.Chama(Chamada(QStringLiteral("save"))).isEmpty());
}

// One limit for the whole call: a description that takes 700 ms to come
// and a call answered 700 ms late do not fit in 1 s, though each would.
TEST_F(ClienteSoap, UmLimiteCobreADescricaoEAChamada)
{
    TServicoSoapTeste::TOpcoesModo lenta;
    lenta.AtrasoMs = 700;
    Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("save"), QStringLiteral("sucesso"), lenta);
    lenta.Descricao = true;
    Servico().DefineModo(QStringLiteral("CorWS"), {}, QStringLiteral("sucesso"), lenta);
    const TLimiteTransferenciaSoap limite(1s);
    TClienteSoap cliente;
    cliente.LigaPorDescricao(Servico().LocalDescricao(QStringLiteral("CorWS")), QStringLiteral("CorWSService"),
                             QStringLiteral("CorWSPort"));
    QString erro;
    try {
        cliente.Chama(Chamada(QStringLiteral("save")));
    } catch (const ESoapTransporte& e) {
        erro = e.Message();
    } catch (const ESoapDescricao& e) {
        erro = e.Message();
    }
    EXPECT_TRUE(erro.contains(QLatin1String("tempo limite esgotado"))) << "erro: " << erro.toStdString();
}

// A description location that serves an HTML page (a maintenance page with
// 200) is no description: the service is out of reach, nothing is posted.
TEST_F(ClienteSoap, PaginaHtmlNoLugarDaDescricaoEhServicoInalcancavel)
{
    TServicoSoapTeste::TOpcoesModo descricao;
    descricao.Descricao = true;
    Servico().DefineModo(QStringLiteral("CorWS"), {}, QStringLiteral("html"), descricao);
    TClienteSoap cliente;
    cliente.LigaPorDescricao(Servico().LocalDescricao(QStringLiteral("CorWS")), QStringLiteral("CorWSService"),
                             QStringLiteral("CorWSPort"));
    const QString erro = ErroDe<ESoapDescricaoInacessivel>([&] { cliente.Chama(Chamada(QStringLiteral("save"))); });
    EXPECT_TRUE(erro.contains(Servico().LocalDescricao(QStringLiteral("CorWS")))) << erro.toStdString();
    EXPECT_TRUE(Servico().Chamadas().isEmpty());

    // Back to the description, the next call reads it and goes through.
    Servico().Limpa();
    cliente.Chama(Chamada(QStringLiteral("save")));
    EXPECT_EQ(Servico().Chamadas().size(), 1);
}

TEST_F(ClienteSoap, FalhaSoapViraErroComOTextoDaFalha)
{
    const QString texto = QString::fromUtf8("Cor \"AZ<1>\" já existe — código 🧵");
    Servico().DefineModo(QStringLiteral("TipoFioWS"), QStringLiteral("save"), QStringLiteral("falha"), texto);
    TClienteSoap cliente;
    cliente.LigaPorEndereco(Servico().Endereco(QStringLiteral("TipoFioWS")));
    try {
        cliente.Chama(Chamada(QStringLiteral("save")));
        FAIL() << "sem erro";
    } catch (const ESoapFalha& e) {
        EXPECT_EQ(e.Message(), texto);
        EXPECT_EQ(e.CodigoFalha(), QLatin1String("soapenv:Server"));
        EXPECT_EQ(e.NomeDetalhe(), QLatin1String("BaseException"));
        EXPECT_EQ(e.TextoDetalhe(), texto);
    }
}

TEST_F(ClienteSoap, TempoLimiteVoltaAoPadraoAoFimDoEscopo)
{
    {
        TLimiteTransferenciaSoap limite(250ms);
        EXPECT_EQ(TextoLimiteTransferenciaSoap(), QLatin1String("250 ms"));
    }
    EXPECT_EQ(LimiteTransferenciaSoap(), 60s);
    EXPECT_EQ(TextoLimiteTransferenciaSoap(), QLatin1String("60 s"));
}

TEST_F(ClienteSoap, ConexaoRecusadaFalha)
{
    QTcpServer fechado;
    ASSERT_TRUE(fechado.listen(QHostAddress::LocalHost));
    const QString endereco = QStringLiteral("http://127.0.0.1:%1/integracao/CorWS").arg(fechado.serverPort());
    fechado.close();

    TClienteSoap cliente;
    cliente.LigaPorEndereco(endereco);
    const QString erro = ErroDe<ESoapInalcancavel>([&] { cliente.Chama(Chamada(QStringLiteral("save"))); });
    EXPECT_TRUE(erro.contains(QString::fromUtf8("Falha na comunicação com ") + endereco)) << erro.toStdString();
    EXPECT_TRUE(erro.contains(QLatin1String("refused"), Qt::CaseInsensitive)) << erro.toStdString();
}

// A bare HTTP server of the test's own, on loopback, that answers each
// request (read whole: headers and Content-Length body) as the test says,
// keeping the connection open unless told otherwise.
class TServidorRoteiro : public QTcpServer {
public:
    // Gets the socket and the request's number (from 1) and writes the answer.
    std::function<void(QTcpSocket&, int)> Responde;
    int Pedidos = 0;

    TServidorRoteiro()
    {
        listen(QHostAddress::LocalHost);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* conexao = nextPendingConnection()) {
                auto recebido = std::make_shared<QByteArray>();
                connect(conexao, &QTcpSocket::readyRead, conexao, [this, conexao, recebido] {
                    *recebido += conexao->readAll();
                    const qsizetype fim = recebido->indexOf("\r\n\r\n");
                    if (fim < 0)
                        return;
                    const QRegularExpression tamanho(QStringLiteral("(?i)content-length:\\s*(\\d+)"));
                    const auto m = tamanho.match(QString::fromLatin1(recebido->left(fim)));
                    const qsizetype total = fim + 4 + (m.hasMatch() ? m.captured(1).toLongLong() : 0);
                    if (recebido->size() < total)
                        return;
                    recebido->remove(0, total);
                    Responde(*conexao, ++Pedidos);
                });
            }
        });
    }
    QString Endereco() const { return QStringLiteral("http://127.0.0.1:%1/integracao/CorWS").arg(serverPort()); }
};

// A 2xx answer whose connection drops before its body is whole is still
// the service's confirmation: the call returns, saying the answer was cut.
TEST_F(ClienteSoap, RespostaCortadaDepoisDoStatusConfirmaAChamada)
{
    TServidorRoteiro servidor;
    servidor.Responde = [](QTcpSocket& conexao, int) {
        conexao.write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 400\r\n\r\n<soap:Env");
        conexao.flush();
        conexao.disconnectFromHost();
    };
    TClienteSoap cliente;
    cliente.LigaPorEndereco(servidor.Endereco());
    try {
        const QString incompleta = cliente.Chama(Chamada(QStringLiteral("save")));
        EXPECT_TRUE(incompleta.contains(QString::fromUtf8("veio incompleta: o corpo foi interrompido")))
            << incompleta.toStdString();
    } catch (const Exception& e) {
        FAIL() << "a call the service confirmed counted as not sent: " << e.Message().toStdString();
    }
    EXPECT_EQ(servidor.Pedidos, 1);
}

// A redirect answering a call is a refusal: following it with a GET whose
// 200 would read as a confirmation of a call nobody processed.
TEST_F(ClienteSoap, RedirecionamentoDaChamadaEhRecusaENaoEhSeguido)
{
    TServidorRoteiro servidor;
    servidor.Responde = [](QTcpSocket& conexao, int pedido) {
        if (pedido == 1)
            conexao.write("HTTP/1.1 302 Found\r\nLocation: /entrar\r\nContent-Length: 0\r\n\r\n");
        else
            conexao.write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 6\r\n\r\n<html>");
    };
    TClienteSoap cliente;
    cliente.LigaPorEndereco(servidor.Endereco());
    const QString erro = ErroDe<ESoapRecusa>([&] { cliente.Chama(Chamada(QStringLiteral("save"))); });
    EXPECT_TRUE(erro.contains(QLatin1String("HTTP 302"))) << erro.toStdString();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
    EXPECT_EQ(servidor.Pedidos, 1);
}

// A connection kept open from an answered call and closed by the service
// after it read the next request, before any answer: the client library
// would post that request again on a new connection without a word. The
// call fails instead, saying the service may have received it, and the
// service saw the request once.
TEST_F(ClienteSoap, ConexaoFechadaSemRespostaNaoReenviaEmSilencio)
{
    TServidorRoteiro servidor;
    servidor.Responde = [](QTcpSocket& conexao, int pedido) {
        if (pedido > 1) {
            conexao.abort();
            return;
        }
        const QByteArray corpo = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">"
                                 "<soap:Body><saveResponse/></soap:Body></soap:Envelope>";
        conexao.write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " + QByteArray::number(corpo.size())
                      + "\r\n\r\n" + corpo);
    };
    TClienteSoap cliente;
    cliente.LigaPorEndereco(servidor.Endereco());
    cliente.Chama(Chamada(QStringLiteral("save")));
    // Qt's warnings would reach standard error: none may come of it.
    static QStringList avisos;
    avisos.clear();
    const QtMessageHandler anterior = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& texto) {
        avisos << texto;
    });
    const QString erro = ErroDe<ESoapIncerto>([&] { cliente.Chama(Chamada(QStringLiteral("save"))); });
    QCoreApplication::processEvents(QEventLoop::AllEvents, 500);
    qInstallMessageHandler(anterior);
    EXPECT_EQ(servidor.Pedidos, 2) << "the request was sent again";
    EXPECT_TRUE(erro.contains(QString::fromUtf8("pode ter recebido o pedido"))) << erro.toStdString();
    EXPECT_TRUE(avisos.isEmpty()) << avisos.join(u'\n').toStdString();
}

// The limit bounds the whole call: an answer trickled a byte at a time
// does not keep it alive past the limit. Its 200 had confirmed it.
TEST_F(ClienteSoap, RespostaGotejadaParaNoLimiteDaChamadaInteira)
{
    TServidorRoteiro servidor;
    QTimer gota;
    QTcpSocket* aberta = nullptr;
    servidor.Responde = [&](QTcpSocket& conexao, int) {
        conexao.write("HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 100000\r\n\r\n");
        aberta = &conexao;
        gota.start(100);
    };
    QObject::connect(&gota, &QTimer::timeout, [&] { if (aberta) aberta->write(" "); });
    const TLimiteTransferenciaSoap limite(1s);
    TClienteSoap cliente;
    cliente.LigaPorEndereco(servidor.Endereco());
    QElapsedTimer relogio;
    relogio.start();
    // The status line came: the call is confirmed, its answer incomplete.
    QString incompleta;
    try {
        incompleta = cliente.Chama(Chamada(QStringLiteral("save")));
    } catch (const Exception& e) {
        ADD_FAILURE() << e.Message().toStdString();
    }
    EXPECT_TRUE(incompleta.contains(QLatin1String("tempo limite de 1 s esgotado antes do fim do corpo")))
        << incompleta.toStdString();
    EXPECT_LT(relogio.elapsed(), 20000);  // far from unbounded; the limit is 1 s
}

// A self-signed certificate for another name: two reasons to refuse it,
// both ignored.
TEST_F(ClienteSoap, AceitaCertificadoInvalido)
{
    QTemporaryDir pasta;
    const QString certificado = pasta.filePath(QStringLiteral("certificado.pem"));
    const QString chave = pasta.filePath(QStringLiteral("chave.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                   QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                   QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=outro-nome"),
                   QStringLiteral("-keyout"), chave, QStringLiteral("-out"), certificado});
    ASSERT_TRUE(openssl.waitForFinished(30000) && openssl.exitCode() == 0)
        << "o certificado de teste não foi gerado: o comando openssl (pacote openssl) é necessário; "
        << openssl.errorString().toStdString() << openssl.readAllStandardError().toStdString();

    TServicoSoapTeste https({QStringLiteral("--tls-certificado"), certificado, QStringLiteral("--tls-chave"), chave});
    ASSERT_TRUE(https.Base().startsWith(QLatin1String("https://")));
    TClienteSoap cliente;
    cliente.LigaPorDescricao(https.LocalDescricao(QStringLiteral("CorWS")), QStringLiteral("CorWSService"),
                             QStringLiteral("CorWSPort"));
    cliente.Chama(Chamada(QStringLiteral("save")));
    EXPECT_EQ(https.Chamadas().size(), 1);

    // Verifying, the same certificate is refused, at the description's fetch
    // and at the call: a transport failure, nothing sent.
    TClienteSoap verificando;
    verificando.DefineVerificaCertificado(true);
    verificando.LigaPorDescricao(https.LocalDescricao(QStringLiteral("CorWS")), QStringLiteral("CorWSService"),
                                 QStringLiteral("CorWSPort"));
    ErroDe<ESoapDescricaoInacessivel>([&] { verificando.Chama(Chamada(QStringLiteral("save"))); });
    TClienteSoap porEndereco;
    porEndereco.DefineVerificaCertificado(true);
    porEndereco.LigaPorEndereco(https.Endereco(QStringLiteral("CorWS")));
    ErroDe<ESoapInalcancavel>([&] { porEndereco.Chama(Chamada(QStringLiteral("save"))); });
    EXPECT_EQ(https.Chamadas().size(), 1);
}

// The monitor calls from a worker thread of its own, with its own event
// dispatcher; a client made on another thread is then used there alone.
TEST_F(ClienteSoap, ChamaDeUmaThreadDeTrabalho)
{
    TClienteSoap cliente;
    cliente.LigaPorDescricao(Servico().LocalDescricao(QStringLiteral("CorWS")),
                             QStringLiteral("CorWSService"), QStringLiteral("CorWSPort"));
    QString erro = QStringLiteral("não rodou");
    std::unique_ptr<QThread> trabalho(QThread::create([&] {
        try {
            cliente.Chama(Chamada(QStringLiteral("save")));
            Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("delete"), QStringLiteral("falha"),
                                 QStringLiteral("recusada"));
            cliente.Chama(Chamada(QStringLiteral("delete")));
            erro = QStringLiteral("sem erro");
        } catch (const Exception& e) {
            erro = e.Message();
        }
    }));
    trabalho->start();
    ASSERT_TRUE(trabalho->wait(30000));
    EXPECT_EQ(erro, QLatin1String("recusada"));
    EXPECT_EQ(Servico().Chamadas().size(), 2);
}

} // namespace
