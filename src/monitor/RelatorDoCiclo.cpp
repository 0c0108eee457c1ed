#include "monitor/RelatorDoCiclo.h"

#include "operacao/Diario.h"
#include "operacao/ObservadorCiclo.h"

void TRelatorDoCiclo::IniciaCiclo(const QString& integracao)
{
    FIntegracao = integracao;
    FLinhas.clear();
    FRegistros = 0;
    FEnviados = 0;
}

void TRelatorDoCiclo::AdicionaLinha(const QString& linha)
{
    FLinhas << linha;
    FDestino.AdicionaLinha(linha);
}

void TRelatorDoCiclo::RegistraRegistro(const TRegistroTratado& registro)
{
    ++FRegistros;
    if (registro.Desfecho == TRegistroTratado::Enviado)
        ++FEnviados;
    const QString linhas = FLinhas.join(u'\n');
    FLinhas.clear();
    if (FDiario)
        FDiario->RegistraRegistro(FIntegracao, registro, linhas);
    if (FObservadores)
        for (TObservadorCiclo* observador : *FObservadores)
            observador->RegistroTratado(FIntegracao, registro, linhas);
}
