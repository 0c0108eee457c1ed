#include "ServicoSoapTeste.h"

#include "soap/TransporteHttp.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <QUrl>

#include <stdexcept>

TServicoSoapTeste::TServicoSoapTeste(const QStringList& argumentos)
    : FProcesso(std::make_unique<QProcess>())
{
    FProcesso->setProgram(QStringLiteral(QUELIX_SERVICO_SOAP));
    FProcesso->setArguments(QStringList({QStringLiteral("--porta"), QStringLiteral("0"),
                                         QStringLiteral("--silencioso")})
                            + argumentos);
    FProcesso->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    FProcesso->start();
    if (!FProcesso->waitForStarted(10000))
        throw std::runtime_error("O serviço SOAP de teste (" QUELIX_SERVICO_SOAP ") não iniciou: "
                                 + FProcesso->errorString().toStdString());
    QByteArray saida;
    while (!saida.contains('\n') && FProcesso->waitForReadyRead(10000))
        saida += FProcesso->readAllStandardOutput();
    const auto achado = QRegularExpression(QStringLiteral("ouvindo em (https?://[^/\\s]+)/"))
                            .match(QString::fromUtf8(saida));
    if (!achado.hasMatch())
        throw std::runtime_error("O serviço SOAP de teste não disse em que porta escuta; saída: "
                                 + saida.toStdString());
    FBase = achado.captured(1);
}

TServicoSoapTeste::~TServicoSoapTeste()
{
    FProcesso->kill();
    FProcesso->waitForFinished(5000);
}

QString TServicoSoapTeste::LocalDescricao(const QString& interface) const
{
    if (interface == QLatin1String("TipoFioWS"))
        return FBase + QStringLiteral("/integracao/TipoFioWS.xml");
    return Endereco(interface) + QStringLiteral("?wsdl");
}

QString TServicoSoapTeste::Endereco(const QString& interface) const
{
    return FBase + QStringLiteral("/integracao/") + interface;
}

QByteArray TServicoSoapTeste::Controle(const QString& caminhoConsulta, bool post) const
{
    const QByteArray vazio;
    const TCabecalhosHttp cabecalhos = {{"Content-Type", "text/plain"}};
    const TRespostaHttp http = ExecutaHttp(FBase + caminhoConsulta, post ? cabecalhos : TCabecalhosHttp{},
                                           post ? &vazio : nullptr);
    if (http.Status != 200)
        throw std::runtime_error("Controle do serviço SOAP de teste falhou: "
                                 + caminhoConsulta.toStdString() + " -> " + http.Corpo.toStdString());
    return http.Corpo;
}

void TServicoSoapTeste::DefineModo(const QString& servico, const QString& operacao,
                                   const QString& resposta, const QString& texto, int status)
{
    DefineModo(servico, operacao, resposta, TOpcoesModo{texto, status});
}

void TServicoSoapTeste::DefineModo(const QString& servico, const QString& operacao, const QString& resposta,
                                   const TOpcoesModo& opcoes)
{
    const auto item = [](const char* nome, const QString& valor) {
        return QString::fromLatin1(nome) + QLatin1Char('=')
             + QString::fromLatin1(QUrl::toPercentEncoding(valor));
    };
    QStringList consulta = {item("servico", servico), item("operacao", operacao),
                            item("resposta", resposta), item("texto", opcoes.Texto)};
    if (opcoes.Status)
        consulta.append(item("status", QString::number(opcoes.Status)));
    if (!opcoes.Contem.isEmpty())
        consulta.append(item("contem", opcoes.Contem));
    if (opcoes.AtrasoMs)
        consulta.append(item("atraso", QString::number(opcoes.AtrasoMs)));
    if (opcoes.Descricao)
        consulta.append(item("descricao", QStringLiteral("1")));
    Controle(QStringLiteral("/controle/modo?") + consulta.join(QLatin1Char('&')), true);
}

void TServicoSoapTeste::Limpa()
{
    Controle(QStringLiteral("/controle/limpa"), true);
}

QList<TPedidoRecebido> TServicoSoapTeste::Pedidos() const
{
    QList<TPedidoRecebido> pedidos;
    const QJsonArray lista = QJsonDocument::fromJson(Controle(QStringLiteral("/controle/pedidos"), false)).array();
    for (const QJsonValue& valor : lista) {
        const QJsonObject o = valor.toObject();
        pedidos.append({o.value(QLatin1String("metodo")).toString(), o.value(QLatin1String("alvo")).toString(),
                        o.value(QLatin1String("cabecalhos")).toObject(), o.value(QLatin1String("corpo")).toString(),
                        o.value(QLatin1String("servico")).toString(), o.value(QLatin1String("operacao")).toString()});
    }
    return pedidos;
}

QList<TPedidoRecebido> TServicoSoapTeste::Chamadas() const
{
    QList<TPedidoRecebido> chamadas;
    for (const TPedidoRecebido& pedido : Pedidos())
        if (pedido.Metodo == QLatin1String("POST"))
            chamadas.append(pedido);
    return chamadas;
}

int TServicoSoapTeste::LeiturasDescricao(const QString& interface) const
{
    int leituras = 0;
    for (const TPedidoRecebido& pedido : Pedidos())
        if (pedido.Metodo == QLatin1String("GET") && pedido.Servico == interface)
            ++leituras;
    return leituras;
}

void ComServicoSoap::SetUpTestSuite()
{
    try {
        FServico = new TServicoSoapTeste();
    } catch (const std::exception& e) {
        FErro = e.what();
    }
}

void ComServicoSoap::TearDownTestSuite()
{
    delete FServico;
    FServico = nullptr;
}

void ComServicoSoap::SetUp()
{
    if (!FServico)
        FAIL() << FErro;
    FServico->Limpa();
}

TPedidoRecebido ComServicoSoap::UnicaChamada()
{
    const auto chamadas = FServico->Chamadas();
    EXPECT_EQ(chamadas.size(), 1);
    return chamadas.isEmpty() ? TPedidoRecebido{} : chamadas.last();
}
