#include "monitor/RelatorDoCiclo.h"

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

// A record that failed, or waits, has its reason in the journal: the last
// line it wrote when it gave none; a line that says so when it wrote none.
void TRelatorDoCiclo::RegistraRegistro(const TRegistroTratado& tratado)
{
    TRegistroTratado registro = tratado;
    const bool falhou = registro.Desfecho == TDesfechoRegistro::Falhou || registro.Desfecho == TDesfechoRegistro::Pendente;
    if (falhou && registro.Erro.trimmed().isEmpty()) {
        if (FLinhas.isEmpty())
            AdicionaLinha(QStringLiteral("%1 %2 de %3: %4 sem motivo informado.")
                              .arg(registro.Tipo, registro.Chave, FIntegracao, Texto(registro.Desfecho)));
        registro.Erro = FLinhas.back();
    }
    ++FRegistros;
    if (registro.Desfecho == TDesfechoRegistro::Enviado)
        ++FEnviados;
    const QString linhas = FLinhas.join(u'\n');
    FLinhas.clear();
    if (FObservadores)
        for (TObservadorCiclo* observador : *FObservadores)
            observador->RegistroTratado(FIntegracao, registro, linhas);
}
