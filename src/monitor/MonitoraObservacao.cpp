// The monitor core telling its observer of each polling cycle.
#include "monitor/Monitora.h"
#include "monitor/NucleoCiclo.h"

#include "base/Erros.h"
#include "monitor/Diario.h"
#include "monitor/EstadoOperacao.h"

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

// After the cycle's thread has finished its work: what it left is read here.
// `erro` is what escaped the cycle, null when nothing did.
void TMonitora::AvisaFimCiclo(TFimCiclo& fim, std::exception_ptr erro)
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
    const int intervalo = FTimer1.interval();
    FThread.Executa([this, &fim, intervalo] {
        FDiario->CicloTerminado(fim, TEstadoOperacao::Desfecho(fim), intervalo);
    });
    if (FObservador)
        FObservador->CicloTerminado(fim);
}
