#include "soap/ClienteSoap.h"

#include "soap/EnvelopeSoap.h"
#include "soap/ErrosSoap.h"
#include "soap/RespostaSoap.h"
#include "soap/TransporteHttp.h"

#include <QFile>
#include <QUrl>

namespace {

// The bytes of the description: from the network for http and https, from
// a file for a file: URL or a path.
QByteArray LeLocal(const QString& local, bool verificaCertificado, QDeadlineTimer prazo)
{
    const QUrl url(local);
    const QString esquema = url.scheme().toLower();
    if (esquema == QLatin1String("http") || esquema == QLatin1String("https")) {
        TRespostaHttp http;
        try {
            http = ExecutaHttp(local, {}, nullptr, verificaCertificado, prazo);
        } catch (const ESoapTransporte& e) {
            throw ESoapDescricaoInacessivel(
                QStringLiteral("A descrição do serviço não pôde ser lida: %1").arg(e.Message()));
        }
        if (http.Status < 200 || http.Status > 299 || !http.ErroRede.isEmpty())
            throw ESoapDescricaoInacessivel(QStringLiteral(
                "A descrição do serviço em %1 não pôde ser lida: HTTP %2 %3%4")
                .arg(local).arg(http.Status).arg(http.Frase)
                .arg(http.ErroRede.isEmpty() ? QString() : QStringLiteral(" (") + http.ErroRede + u')'));
        return http.Corpo;
    }
    // A one-letter scheme is a drive letter.
    if (!esquema.isEmpty() && esquema != QLatin1String("file") && esquema.size() > 1)
        throw ESoapDescricao(QStringLiteral(
            "A descrição do serviço em %1 não pôde ser lida: esquema \"%2\" não suportado.")
            .arg(local, url.scheme()));
    QFile arquivo(esquema == QLatin1String("file") ? url.toLocalFile() : local);
    if (!arquivo.open(QIODevice::ReadOnly))
        throw ESoapDescricaoInacessivel(QStringLiteral("A descrição do serviço em %1 não pôde ser lida: %2")
                                 .arg(local, arquivo.errorString()));
    return arquivo.readAll();
}

QString DescreveStatus(const TRespostaHttp& http)
{
    return QStringLiteral("HTTP %1 %2").arg(http.Status).arg(http.Frase).trimmed();
}

// The start of a body, on one line, as a refusal's message shows it.
QString InicioDoCorpo(const QByteArray& corpo)
{
    constexpr qsizetype Maximo = 200;
    const QString texto = QString::fromUtf8(corpo).simplified();
    if (texto.isEmpty())
        return QStringLiteral("(corpo vazio)");
    return texto.size() > Maximo ? texto.left(Maximo) + QStringLiteral("...") : texto;
}

// A gateway or the service saying it is unavailable for now.
bool ServicoIndisponivel(int status)
{
    return status == 502 || status == 503 || status == 504;
}

} // namespace

void TClienteSoap::LigaPorDescricao(const QString& local, const QString& servico,
                                    const QString& porta)
{
    FLocalDescricao = local;
    FServico = servico;
    FPorta = porta;
    FEndereco.clear();
}

void TClienteSoap::LigaPorEndereco(const QString& endereco)
{
    FLocalDescricao.clear();
    FEndereco = endereco;
}

const TDescricaoServico& TClienteSoap::Descricao(QDeadlineTimer prazo)
{
    if (!FDescricao || FLocalLido != FLocalDescricao) {
        FDescricao.reset();
        const QByteArray xml = LeLocal(FLocalDescricao, FVerificaCertificado, prazo);
        // Whatever stands at the location and is no description (a
        // maintenance page served in its place) is an outage, not an answer.
        try {
            FDescricao = LeDescricaoServico(xml, FLocalDescricao);
        } catch (const ESoapDescricao& e) {
            throw ESoapDescricaoInacessivel(e.Message());
        }
        FLocalLido = FLocalDescricao;
    }
    return *FDescricao;
}

QStringList TClienteSoap::OperacoesAusentes(const QStringList& operacoes)
{
    const TDescricaoServico& descricao = Descricao(PrazoChamadaSoap());
    const TPortaDescrita& porta = descricao.Porta(FServico, FPorta, FLocalDescricao);
    QStringList ausentes;
    for (const QString& operacao : operacoes)
        if (!descricao.Operacao(porta, operacao))
            ausentes << operacao;
    return ausentes;
}

TClienteSoap::TDestino TClienteSoap::Destino(const TChamadaSoap& chamada, QDeadlineTimer prazo)
{
    if (FLocalDescricao.isEmpty()) {
        if (FEndereco.isEmpty())
            throw ESoapDescricao(QStringLiteral(
                "O cliente SOAP não tem descrição de serviço nem endereço para \"%1\".")
                .arg(chamada.Operacao));
        return {FEndereco, chamada.EspacoPadrao, chamada.AcaoPadrao};
    }
    const TDescricaoServico& descricao = Descricao(prazo);
    const TPortaDescrita& porta = descricao.Porta(FServico, FPorta, FLocalDescricao);
    const TOperacaoDescrita* operacao = descricao.Operacao(porta, chamada.Operacao);
    const QString acao = operacao && !operacao->AcaoSoap.isEmpty() ? operacao->AcaoSoap
                                                                   : chamada.AcaoPadrao;
    // An rpc/encoded operation element takes the namespace its binding's
    // soap:body names; otherwise the description's target namespace.
    QString espaco = descricao.EspacoAlvo.isEmpty() ? chamada.EspacoPadrao : descricao.EspacoAlvo;
    if (chamada.Estilo == TEstiloSoap::RpcCodificado && operacao && !operacao->EspacoCorpo.isEmpty())
        espaco = operacao->EspacoCorpo;
    return {porta.Endereco, espaco, acao};
}

QString TClienteSoap::Chama(const TChamadaSoap& chamada)
{
    FRespostaIncompleta.clear();
    // One deadline for the whole call, the description's fetch included.
    const QDeadlineTimer prazo = PrazoChamadaSoap();
    const TDestino destino = Destino(chamada, prazo);
    const QByteArray envelope = MontaEnvelopeSoap(chamada, destino.Espaco);
    // The very bytes posted, kept with what came back of them.
    if (FTrocas.size() == MaximoTrocas)
        FTrocas.removeFirst();
    TTrocaSoap troca;
    troca.Endereco = destino.Endereco;
    troca.Acao = destino.Acao;
    troca.Envelope = envelope;
    FTrocas.append(std::move(troca));
    if (FEnvioSimulado) {
        FTrocas.back().Simulada = true;
        FEnvioSimulado(destino.Endereco, destino.Acao, envelope);
        return {};
    }
    const TCabecalhosHttp cabecalhos = {
        {"Content-Type", "text/xml; charset=utf-8"},
        {"SOAPAction", '"' + destino.Acao.toUtf8() + '"'},
    };
    const TRespostaHttp http = ExecutaHttp(destino.Endereco, cabecalhos, &envelope, FVerificaCertificado, prazo);
    FTrocas.back().Status = http.Status;
    FTrocas.back().Frase = http.Frase;

    // A fault usually comes with status 500: the body is read first.
    const TRespostaSoap resposta = LeRespostaSoap(http.Corpo);
    if (resposta.Tipo == TRespostaSoap::TTipo::Falha)
        FTrocas.back().Falha = resposta.TextoFalha;
    if (resposta.Tipo == TRespostaSoap::TTipo::Falha && !http.Cortada)
        throw ESoapFalha(resposta.TextoFalha, resposta.CodigoFalha,
                         resposta.NomeDetalhe, resposta.TextoDetalhe);
    if (http.Status < 200 || http.Status > 299) {
        if (ServicoIndisponivel(http.Status))
            throw ESoapInalcancavel(QStringLiteral("Erro %1 em %2").arg(DescreveStatus(http), destino.Endereco));
        throw ESoapRecusa(QStringLiteral("Recusada por %1 sem falha SOAP: %2: %3")
                              .arg(destino.Endereco, DescreveStatus(http), InicioDoCorpo(http.Corpo)),
                          http.Status);
    }
    // A 2xx status line is the service's word that it took the call: the
    // operations return nothing the monitor reads, so a body cut off, empty
    // or unreadable changes nothing but is said. Calling again would repeat
    // an operation that is not idempotent (a second production order).
    QString problema;
    if (http.Cortada)
        problema = QStringLiteral("o corpo foi interrompido (%1)").arg(http.ErroRede);
    else if (resposta.Tipo == TRespostaSoap::TTipo::Ilegivel)
        problema = QStringLiteral("corpo ilegível: ") + resposta.Problema;
    else if (resposta.Tipo == TRespostaSoap::TTipo::Vazia && http.Status != 202 && http.Status != 204)
        problema = QStringLiteral("corpo vazio");
    if (!problema.isEmpty())
        FRespostaIncompleta = QStringLiteral("a resposta de %1 (%2) veio incompleta: %3")
                                  .arg(destino.Endereco, DescreveStatus(http), problema);
    return FRespostaIncompleta;
}
