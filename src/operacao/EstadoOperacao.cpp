#include "operacao/EstadoOperacao.h"

#include "integracao/Relator.h"

#include <QMutexLocker>

#include <algorithm>

TEstadoOperacao::TEstadoOperacao(const QDateTime& desde)
{
    FEstado.Desde = desde;
    // Every outcome is there from the start, so a rate over them is defined.
    for (const TDesfechoCiclo desfecho : {TDesfechoCiclo::Concluido, TDesfechoCiclo::ComFalhas, TDesfechoCiclo::Erro})
        FEstado.Ciclos[desfecho] = 0;
}

void TEstadoOperacao::CicloIniciado(const TCicloEmAndamento& ciclo)
{
    const QMutexLocker trava(&FMutex);
    FEstado.CicloAtual = ciclo;
    FFalharamNoCiclo.clear();
}

void TEstadoOperacao::CicloTerminado(const TFimCiclo& fim)
{
    const QMutexLocker trava(&FMutex);
    ++FEstado.Ciclos[Desfecho(fim)];
    if (fim.Falhas > 0)
        FEstado.FalhasPorIntegracao[fim.Integracao] += quint64(fim.Falhas);
    if (fim.Erro.isEmpty())
        FEstado.FimUltimoSucesso = fim.Fim;

    const double segundos = double(fim.Inicio.msecsTo(fim.Fim)) / 1000.0;
    for (std::size_t i = 0; i < LimitesDuracao.size(); ++i)
        if (segundos <= LimitesDuracao[i])
            ++FEstado.BaldesDuracao[i];
    ++FEstado.ContagemDuracao;
    FEstado.SomaDuracao += segundos;

    for (const TEstadoConexao& conexao : fim.Conexoes)
        FEstado.Conexoes[conexao.Nome] = conexao.Ativa;
    FEstado.UltimoCiclo = fim;
    FEstado.CicloAtual.reset();
    ContaFalhasSeguidas(fim.Integracao);
}

void TEstadoOperacao::RegistroTratado(const QString& integracao, const TRegistroTratado& registro,
                                      const QString& /*linhas*/)
{
    const QMutexLocker trava(&FMutex);
    ++FEstado.Registros[{integracao, registro.Direcao, registro.Desfecho}];
    // What did not go through, however it waits: failed, pending, or sent
    // with no answer. A record that went through later in the same cycle
    // did not fail in it.
    const TRegistro chave{registro.Tipo, registro.Chave};
    if (registro.Desfecho == TRegistroTratado::Falhou || registro.Desfecho == TRegistroTratado::Pendente
        || registro.Desfecho == TRegistroTratado::Incerto)
        FFalharamNoCiclo.insert(chave);
    else
        FFalharamNoCiclo.erase(chave);
}

// A record that did not fail in this cycle (it went through, or the cycle
// did not reach it) starts again from zero.
void TEstadoOperacao::ContaFalhasSeguidas(const QString& integracao)
{
    std::map<TRegistro, int>& anteriores = FFalhasSeguidas[integracao];
    std::map<TRegistro, int> agora;
    int maximo = 0;
    for (const TRegistro& registro : FFalharamNoCiclo) {
        const auto anterior = anteriores.find(registro);
        const int seguidas = (anterior == anteriores.end() ? 0 : anterior->second) + 1;
        agora.emplace(registro, seguidas);
        maximo = std::max(maximo, seguidas);
    }
    anteriores = std::move(agora);
    FFalharamNoCiclo.clear();
    FEstado.FalhasSeguidasMaximo[integracao] = maximo;
}

TEstadoOperacao::TInstantaneo TEstadoOperacao::Instantaneo() const
{
    const QMutexLocker trava(&FMutex);
    return FEstado;
}
