#include "FilaVaporaTeste.h"

#include "ComandosDoTeste.h"
#include "ApoioMonitor.h"
#include "ArvoreXml.h"
#include "BancoTeste.h"
#include "OutraConexao.h"
#include "dblayer/KoQuery.h"
#include "integracoes/vapora/contratos/ServicosVapora.h"

#include <QDir>
#include <QFile>

#include <stdexcept>

namespace {

void EscreveArquivo(const QString& caminho, const QString& texto)
{
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("não foi possível escrever " + caminho.toStdString());
    arquivo.write(texto.toUtf8());
}

} // namespace

QString Resumo(const TNoXml& elemento)
{
    QStringList partes;
    for (const TNoXml& filho : elemento.Filhos)
        partes << (filho.Filhos.isEmpty() ? filho.Nome + u'=' + filho.Texto
                                          : filho.Nome + u'{' + Resumo(filho) + u'}');
    return partes.join(QStringLiteral(", "));
}

QString SecaoVaporaNoServico(const TServicoSoapTeste& servico, const QString& linhas)
{
    QString secao = QStringLiteral("[Vapora]\n") + linhas;
    for (const Vapora::TServicoVapora s : Vapora::ServicosVapora()) {
        const Vapora::TContratoVapora& contrato = Vapora::ContratoVapora(s);
        secao += contrato.ChaveIni + u'=' + servico.LocalDescricao(contrato.Interface) + u'\n';
    }
    return secao;
}

void FilaVapora::SetUp()
{
    ComServicoSoap::SetUp();
    FErpArquivo = ApoioMonitor::CriaErp();
    FPastaIni = ApoioMonitor::PastaComIni(QString());
    FConfiguracao = std::make_unique<TConfiguracao>(FPastaIni);
    FContexto = std::make_unique<TContextoIntegracao>(TContextoIntegracao{FErp, FRelator, *FConfiguracao});
    EscreveIni();
}

void FilaVapora::TearDown()
{
    if (FVapora)
        FVapora->Encerra();
    FVapora.reset();
    FErp.Close();
}

void FilaVapora::Prepara(const QString& sqlErp)
{
    if (!sqlErp.isEmpty())
        BancoTeste::executaSqlFirebird(FErpArquivo, sqlErp);
    FErp.setObjectName(QStringLiteral("KoDatabase1"));  // the monitor's ERP connection
    FErp.SetDriverName(QStringLiteral("FB"));
    FErp.SetDatabaseName(FErpArquivo);
    FErp.Open();
    FVapora = std::make_unique<TVapora>(*FContexto);
}

void FilaVapora::EscreveIni(const QString& linhasVapora)
{
    EscreveArquivo(QDir(FPastaIni).filePath(QStringLiteral("QX.ini")), SecaoVaporaNoServico(Servico(), linhasVapora));
}

void FilaVapora::InsereFila(const QList<TLinhaFila>& linhas)
{
    const TComandosDoTeste doTeste;
    TKoQuery comando;
    comando.SetDatabase(&FErp);
    for (const TLinhaFila& linha : linhas) {
        comando.Close();
        comando.SQL.Clear();
        comando.SQL.Add(QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, CAMPO3, STATUS)"));
        comando.SQL.Add(QStringLiteral("VALUES (:ORDEM, :TIPO, :OPERACAO, :CAMPO1, :CAMPO2, :CAMPO3, :STATUS)"));
        comando.ParamByName(QStringLiteral("ORDEM")).SetAsInteger(linha.Ordem);
        comando.ParamByName(QStringLiteral("TIPO")).SetAsString(linha.Tipo);
        comando.ParamByName(QStringLiteral("OPERACAO")).SetAsString(linha.Operacao);
        comando.ParamByName(QStringLiteral("CAMPO1")).SetAsString(linha.Campo1);
        comando.ParamByName(QStringLiteral("CAMPO2")).SetAsString(linha.Campo2);
        comando.ParamByName(QStringLiteral("CAMPO3")).SetAsString(linha.Campo3);
        if (linha.Status.isEmpty())
            comando.ParamByName(QStringLiteral("STATUS")).Clear();
        else
            comando.ParamByName(QStringLiteral("STATUS")).SetAsInteger(linha.Status.toInt());
        comando.ExecSQL();
    }
    FErp.CommitRetaining();
}

void FilaVapora::InsereLotes(const QStringList& numeros)
{
    const TComandosDoTeste doTeste;
    TKoQuery comando;
    comando.SetDatabase(&FErp);
    for (const QString& numero : numeros) {
        comando.Close();
        comando.SQL.Clear();
        comando.SQL.Add(QStringLiteral("INSERT INTO FAL_001 (NUMERO) VALUES (:NUMERO)"));
        comando.ParamByName(QStringLiteral("NUMERO")).SetAsString(numero);
        comando.ExecSQL();
    }
    FErp.CommitRetaining();
}

void FilaVapora::RodaPasso()
{
    FVapora->SelecionaFila();
    FVapora->ProcessaFila();
}

QStringList FilaVapora::StatusFila() const
{
    QStringList status;
    for (const TLinhaLida& linha :
         TOutraConexao(TOutraConexao::TServidor::Firebird, FErpArquivo).Linhas(QStringLiteral("SELECT ORDEM, STATUS FROM QX_INTEGRA")))
        status << linha[0].AsString() + u':' + linha[1].AsString();
    return status;
}

void FilaVapora::ExecutaEmOutraConexao(const QString& sql) const
{
    TOutraConexao(TOutraConexao::TServidor::Firebird, FErpArquivo).Executa(sql);
}

QStringList FilaVapora::Chamadas() const
{
    QStringList chamadas;
    for (const TPedidoRecebido& pedido : Servico().Chamadas()) {
        const TNoXml operacao = OperacaoDoEnvelope(pedido.Corpo);
        chamadas << pedido.Servico + u'.' + operacao.Nome + u'(' + Resumo(operacao) + u')';
    }
    return chamadas;
}
