#include "monitor/NucleoCiclo.h"

#include "base/Erros.h"
#include "dblayer/KoQuery.h"
#include "integracao/AbreConexao.h"
#include "integracao/Configuracao.h"
#include "integracao/Relator.h"

namespace {

QString NomeDaConexao(const TKoDatabase& banco)
{
    return banco.objectName() + QStringLiteral(" (") + banco.DatabaseName() + u')';
}

} // namespace

TNucleoCiclo::TNucleoCiclo(TRelator& relator, const TConfiguracao& configuracao,
                           const TFabricasIntegracao& fabricas)
    : FRelator(relator)
    , FConfiguracao(configuracao)
    , FContexto{KoDatabase1, relator, configuracao}
{
    KoDatabase1.setObjectName(QStringLiteral("KoDatabase1"));
    for (const TFabricaIntegracao& fabrica : fabricas) {
        std::unique_ptr<TIntegracao> integracao = fabrica(FContexto);
        const int indice = integracao->Indice();
        // Two types on one selector index would leave one unreachable.
        if (const auto existente = FIntegracoes.find(indice); existente != FIntegracoes.end())
            throw Exception(QStringLiteral("Integrações \"%1\" e \"%2\" registradas com o mesmo índice %3.")
                                .arg(existente->second->Legenda(), integracao->Legenda())
                                .arg(indice));
        FIntegracoes[indice] = std::move(integracao);
    }
}

TNucleoCiclo::~TNucleoCiclo()
{
    // The integrations hold queries on KoDatabase1: they go first.
    FIntegracoes.clear();
}

TIntegracao* TNucleoCiclo::Integracao(int indice) const
{
    const auto i = FIntegracoes.find(indice);
    return i == FIntegracoes.end() ? nullptr : i->second.get();
}

TIntegracao* TNucleoCiclo::Inicia()
{
    if (KoDatabase1.Connected())
        KoDatabase1.Close();
    ConfiguraBanco1();

    TIntegracao* integracao = IntegracaoDoModelo();
    if (!integracao) {
        const QString modelo = FConfiguracao.LerIni(QStringLiteral("ModeloAtivo"), QStringLiteral("Modelo"));
        // Named when the key is there; without it the file simply has no
        // machine side.
        if (FConfiguracao.ExisteChaveIni(QStringLiteral("ModeloAtivo"), QStringLiteral("Modelo")))
            FRelator.AdicionaLinha(QStringLiteral("[ModeloAtivo] Modelo \"") + modelo
                               + QStringLiteral("\" não é um tipo de máquina: só o ERP (KoDatabase1) foi conectado, "
                                                "e nenhum lado das máquinas."));
        return nullptr;
    }
    integracao->Inicia();
    return integracao;
}

TIntegracao* TNucleoCiclo::IntegracaoDoModelo() const
{
    const QString modelo = FConfiguracao.LerIni(QStringLiteral("ModeloAtivo"), QStringLiteral("Modelo"));
    // The ASCII digits alone: QChar::isDigit also takes a fullwidth "１" or
    // an Arabic-Indic "٢", which no one means as a machine type.
    const char16_t digito = modelo.isEmpty() ? u'\0' : modelo.front().unicode();
    return digito >= u'0' && digito <= u'9' ? Integracao(digito - u'0') : nullptr;
}

void TNucleoCiclo::ConfiguraBanco1()
{
    TKoDatabase& banco = KoDatabase1;
    const QString secao = QStringLiteral("Banco1");
    const QString base = FConfiguracao.LerIni(secao, QStringLiteral("Base"));
    ConfiguraDaSecao(banco, FConfiguracao, secao, base);
    if (const auto erro = TentaAbrir(banco)) {
        FIndisponiveis.insert(&banco);
        FRelator.AdicionaLinha(LinhaConexaoNaoAberta(banco, FConfiguracao, secao, *erro));
        FRelator.MostraMensagem(QStringLiteral("Erro na Conexão do Banco1!.\r") + *erro);
    }
}

QList<TKoDatabase*> TNucleoCiclo::ConexoesDe(TIntegracao* integracao)
{
    QList<TKoDatabase*> conexoes{&KoDatabase1};
    if (integracao)
        conexoes += integracao->Conexoes();
    return conexoes;
}

// A connection that is closed, or whose link was lost (a restarted server),
// is opened again; a pane line says when it comes back, and once when it
// cannot. A connection with nothing configured is left alone.
void TNucleoCiclo::ReabreSeNecessario(TKoDatabase& banco)
{
    if (banco.Connected())
        banco.ConfereConexao();
    if (banco.Connected() && !banco.Perdida())
        return;
    if (banco.Database.trimmed().isEmpty() && banco.DatabaseName().trimmed().isEmpty())
        return;
    try {
        banco.Close();
        banco.Open();
        FIndisponiveis.erase(&banco);
        FRelator.AdicionaLinha(QStringLiteral("Conexão restabelecida: ") + NomeDaConexao(banco) + u'.');
    } catch (const Exception& e) {
        if (FIndisponiveis.insert(&banco).second)
            FRelator.AdicionaLinha(QStringLiteral("Conexão indisponível: ") + NomeDaConexao(banco)
                                   + QStringLiteral(". Erro: ") + e.Message());
    }
}

void TNucleoCiclo::FinalizaTransacoes(const QList<TKoDatabase*>& conexoes)
{
    for (TKoDatabase* banco : conexoes) {
        if (!banco->Connected())
            continue;
        try {
            banco->FinalizaTransacao();
        } catch (const Exception& e) {
            FRelator.AdicionaLinha(QStringLiteral("Erro ao encerrar a transação de ") + NomeDaConexao(*banco)
                                   + QStringLiteral(": ") + e.Message());
        }
    }
}

void TNucleoCiclo::Ciclo(int indice)
{
    TIntegracao* integracao = Integracao(indice);
    const QList<TKoDatabase*> conexoes = ConexoesDe(integracao);
    FContexto.FalhasNoCiclo = 0;
    FPendentes.reset();
    for (TKoDatabase* banco : conexoes)
        ReabreSeNecessario(*banco);
    try {
        if (integracao) {
            integracao->PrimeiraOperacao();
            integracao->SegundaOperacao();
        }
        FPendentes = ContaPendentes(integracao);
    } catch (...) {
        FinalizaTransacoes(conexoes);
        AnotaConexoes(conexoes);
        throw;
    }
    FinalizaTransacoes(conexoes);
    AnotaConexoes(conexoes);
}

// The queue's pending rows, counted as the queue tab selects them: one
// statement on the ERP at the cycle's end. A count that fails is left out of
// the metrics; the cycle does not depend on it.
std::optional<qint64> TNucleoCiclo::ContaPendentes(TIntegracao* integracao)
{
    const TVisaoFila* visao = integracao ? integracao->VisaoFila() : nullptr;
    if (!visao || !KoDatabase1.Connected() || KoDatabase1.Perdida())
        return std::nullopt;
    try {
        TKoQuery contagem;
        contagem.SetDatabase(&KoDatabase1);
        contagem.DefineLinhas({QStringLiteral("SELECT COUNT(*) AS PENDENTES FROM ") + visao->Tabela,
                               QStringLiteral("WHERE ") + visao->Filtro});
        contagem.Open();
        return contagem.FieldByName(QStringLiteral("PENDENTES")).AsInteger();
    } catch (const Exception&) {
        return std::nullopt;
    }
}

// Each connection with its state, and since when it has been in it: the
// end of the first cycle that found it so.
void TNucleoCiclo::AnotaConexoes(const QList<TKoDatabase*>& conexoes)
{
    const QDateTime agora = QDateTime::currentDateTime();
    FEstadoConexoes.clear();
    for (const TKoDatabase* banco : conexoes) {
        const bool ativa = banco->Connected() && !banco->Perdida();
        auto [it, nova] = FConexoesDesde.try_emplace(banco->objectName(), ativa, agora);
        if (!nova && it->second.first != ativa)
            it->second = {ativa, agora};
        FEstadoConexoes << TEstadoConexao{banco->objectName(), ativa, it->second.second};
    }
}

int TNucleoCiclo::LimpaFila(int indice)
{
    TIntegracao* integracao = Integracao(indice);
    if (!integracao || !integracao->VisaoFila())
        return 0;
    int limpas = 0;
    try {
        limpas = integracao->LimpaFila();
    } catch (...) {
        FinalizaTransacoes({&KoDatabase1});
        throw;
    }
    FinalizaTransacoes({&KoDatabase1});
    return limpas;
}

TResultadoReenvio TNucleoCiclo::Reenvia(int indice, qint64 chave)
{
    TIntegracao* integracao = Integracao(indice);
    if (!integracao)
        return {false, QStringLiteral("Nenhuma integração selecionada: nada a reenviar.")};
    ReabreSeNecessario(KoDatabase1);
    TResultadoReenvio resultado;
    try {
        resultado = integracao->ReenviaDaFila(chave);
    } catch (...) {
        FinalizaTransacoes({&KoDatabase1});
        throw;
    }
    FinalizaTransacoes({&KoDatabase1});
    return resultado;
}

void TNucleoCiclo::EncerraIntegracoes()
{
    for (const auto& [indice, integracao] : FIntegracoes)
        integracao->Encerra();
}

void TNucleoCiclo::FechaErp()
{
    if (KoDatabase1.Connected())
        KoDatabase1.Close();
}
