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
    for (TObservadorCiclo* observador : FObservadores)
        observador->CicloIniciado({fim.Integracao, fim.Inicio});
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

// Back on the monitor's thread: the core's counters (the state the window
// shows) and the other observers.
void TMonitora::AvisaFimCiclo(const TFimCiclo& fim)
{
    for (TObservadorCiclo* observador : FObservadores)
        observador->CicloTerminado(fim);
}
