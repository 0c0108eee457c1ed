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
QByteArray LeLocal(const QString& local, bool verificaCertificado)
{
    const QUrl url(local);
    const QString esquema = url.scheme().toLower();
    if (esquema == QLatin1String("http") || esquema == QLatin1String("https")) {
        TRespostaHttp http;
        try {
            http = ExecutaHttp(local, {}, nullptr, verificaCertificado);
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
        throw ESoapDescricao(QStringLiteral("A descrição do serviço em %1 não pôde ser lida: %2")
                                 .arg(local, arquivo.errorString()));
    return arquivo.readAll();
}

QString DescreveStatus(const TRespostaHttp& http)
{
    return QStringLiteral("HTTP %1 %2").arg(http.Status).arg(http.Frase).trimmed();
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

const TDescricaoServico& TClienteSoap::Descricao()
{
    if (!FDescricao || FLocalLido != FLocalDescricao) {
        FDescricao.reset();
        FDescricao = LeDescricaoServico(LeLocal(FLocalDescricao, FVerificaCertificado), FLocalDescricao);
        FLocalLido = FLocalDescricao;
    }
    return *FDescricao;
}

QStringList TClienteSoap::OperacoesAusentes(const QStringList& operacoes)
{
    const TDescricaoServico& descricao = Descricao();
    const TPortaDescrita& porta = descricao.Porta(FServico, FPorta, FLocalDescricao);
    QStringList ausentes;
    for (const QString& operacao : operacoes)
        if (!descricao.Operacao(porta, operacao))
            ausentes << operacao;
    return ausentes;
}

TClienteSoap::TDestino TClienteSoap::Destino(const TChamadaSoap& chamada)
{
    if (FLocalDescricao.isEmpty()) {
        if (FEndereco.isEmpty())
            throw ESoapDescricao(QStringLiteral(
                "O cliente SOAP não tem descrição de serviço nem endereço para \"%1\".")
                .arg(chamada.Operacao));
        return {FEndereco, chamada.EspacoPadrao, chamada.AcaoPadrao};
    }
    const TDescricaoServico& descricao = Descricao();
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

void TClienteSoap::Chama(const TChamadaSoap& chamada)
{
    const TDestino destino = Destino(chamada);
    const QByteArray envelope = MontaEnvelopeSoap(chamada, destino.Espaco);
    if (FEnvioSimulado) {
        FEnvioSimulado(destino.Endereco, destino.Acao, envelope);
        return;
    }
    const TCabecalhosHttp cabecalhos = {
        {"Content-Type", "text/xml; charset=utf-8"},
        {"SOAPAction", '"' + destino.Acao.toUtf8() + '"'},
    };
    const TRespostaHttp http = ExecutaHttp(destino.Endereco, cabecalhos, &envelope, FVerificaCertificado);

    // A fault usually comes with status 500: the body is read first.
    const TRespostaSoap resposta = LeRespostaSoap(http.Corpo);
    if (resposta.Tipo == TRespostaSoap::TTipo::Falha)
        throw ESoapFalha(resposta.TextoFalha, resposta.CodigoFalha,
                         resposta.NomeDetalhe, resposta.TextoDetalhe);
    if (http.Status < 200 || http.Status > 299)
        throw ESoapTransporte(QStringLiteral("Erro %1 em %2").arg(DescreveStatus(http), destino.Endereco));
    // A reply whose connection dropped before its body was whole confirms
    // nothing, whatever its status said.
    if (!http.ErroRede.isEmpty())
        throw ESoapTransporte(QStringLiteral("Resposta interrompida de %1 (%2): %3")
                                  .arg(destino.Endereco, DescreveStatus(http), http.ErroRede));
    if (resposta.Tipo == TRespostaSoap::TTipo::Ilegivel)
        throw ESoapRespostaIlegivel(QStringLiteral("Resposta ilegível de %1: %2")
                                  .arg(destino.Endereco, resposta.Problema));
}
