// The monitor core telling its observer of each polling cycle.
#include "monitor/Monitora.h"
#include "monitor/NucleoCiclo.h"

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
void TMonitora::AvisaFimCiclo(TFimCiclo& fim, const QString& erro)
{
    if (!FObservador)
        return;
    fim.Fim = QDateTime::currentDateTime();
    fim.Falhas = FNucleo->FalhasNoCiclo();
    fim.Erro = erro;
    fim.Conexoes = FNucleo->EstadoConexoes();
    FObservador->CicloTerminado(fim);
}
