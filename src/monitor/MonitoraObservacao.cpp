// The monitor core telling its observer of each polling cycle.
#include "monitor/Monitora.h"
#include "monitor/NucleoCiclo.h"

#include "base/Erros.h"

TFimCiclo TMonitora::AvisaInicioCiclo(int indice)
{
    TFimCiclo fim;
    const TIntegracao* integracao = Integracao(indice);
    fim.Integracao = integracao ? integracao->Legenda() : QString();
    fim.Inicio = QDateTime::currentDateTime();
    if (FObservador)
        FObservador->CicloIniciado(fim.Integracao, fim.Inicio);
    return fim;
}

// On the cycle's thread, when its work is done: what it left. `erro` is
// what escaped the cycle, null when nothing did.
void TMonitora::CompletaFimCiclo(TFimCiclo& fim, std::exception_ptr erro)
{
    fim.Fim = QDateTime::currentDateTime();
    fim.Falhas = FNucleo->FalhasNoCiclo();
    if (erro) {
        const QString mensagem = MensagemDoErro(erro);
        fim.Erro = mensagem.isEmpty() ? QStringLiteral("Ciclo interrompido.") : mensagem;
    }
    fim.Conexoes = FNucleo->EstadoConexoes();
    fim.Pendentes = FNucleo->Pendentes();
    if (FRelatorIntegracoes.Registros() > 0)
        fim.Enviados = FRelatorIntegracoes.Enviados();
}

// Back on the monitor's thread: the state the window shows, and the observer.
void TMonitora::AvisaFimCiclo(const TFimCiclo& fim)
{
    for (const TEstadoConexao& conexao : fim.Conexoes) {
        auto& [ativa, desde] = FConexoesDesde[conexao.Nome];
        if (!desde.isValid() || ativa != conexao.Ativa)
            desde = fim.Fim;
        ativa = conexao.Ativa;
    }
    FUltimoCiclo = fim;
    if (FObservador)
        FObservador->CicloTerminado(fim);
}

// Said in the log just before the error box of a cycle, whose text is the
// error's own ("Erro KoQuery.Open: Conexão fechada"): which connections the
// cycle found or left closed.
void TMonitora::DizConexoesFechadas(const TFimCiclo& fim)
{
    QStringList fechadas;
    for (const TEstadoConexao& conexao : fim.Conexoes)
        if (!conexao.Ativa)
            fechadas << conexao.Nome;
    FRelatorCiclo.AdicionaLinha(
        QStringLiteral("O ciclo de %1 parou: %2 ").arg(fim.Integracao, fim.Erro.simplified())
        + (fechadas.isEmpty() ? QStringLiteral("(todas as conexões estão abertas).")
                              : QStringLiteral("(conexão fechada: %1).").arg(fechadas.join(QStringLiteral(", ")))));
}
