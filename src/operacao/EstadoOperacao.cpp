#include "operacao/EstadoOperacao.h"

#include "integracao/Relator.h"

#include <QMutexLocker>

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
}

void TEstadoOperacao::RegistroTratado(const QString& integracao, const TRegistroTratado& registro,
                                      const QString& /*linhas*/)
{
    const QMutexLocker trava(&FMutex);
    ++FEstado.Registros[{integracao, registro.Direcao, registro.Desfecho}];
}

TEstadoOperacao::TInstantaneo TEstadoOperacao::Instantaneo() const
{
    const QMutexLocker trava(&FMutex);
    return FEstado;
}
