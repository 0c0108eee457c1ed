#include "operacao/EstadoOperacao.h"

#include <QMutexLocker>

TEstadoOperacao::TEstadoOperacao(const QDateTime& desde)
{
    FEstado.Desde = desde;
    // Every outcome is there from the start, so a rate over them is defined.
    for (const QString& desfecho : {CicloConcluido, CicloComFalhas, CicloComErro})
        FEstado.Ciclos[desfecho] = 0;
}

void TEstadoOperacao::CicloIniciado(const QString& integracao, const QDateTime& inicio)
{
    const QMutexLocker trava(&FMutex);
    FEstado.InicioCicloAtual = inicio;
    FEstado.IntegracaoCicloAtual = integracao;
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
    FEstado.ResumoUltimoCiclo = Resumo(fim, fim.Enviados);
    FEstado.InicioCicloAtual.reset();
    FEstado.IntegracaoCicloAtual.clear();
}

void TEstadoOperacao::ContaRegistro(const TChaveRegistro& registro)
{
    const QMutexLocker trava(&FMutex);
    ++FEstado.Registros[registro];
}

TEstadoOperacao::TInstantaneo TEstadoOperacao::Instantaneo() const
{
    const QMutexLocker trava(&FMutex);
    return FEstado;
}

QString TEstadoOperacao::Desfecho(const TFimCiclo& fim)
{
    return !fim.Erro.isEmpty() ? CicloComErro : fim.Falhas > 0 ? CicloComFalhas : CicloConcluido;
}

QString TEstadoOperacao::Resumo(const TFimCiclo& fim, std::optional<quint64> enviados)
{
    const QString hora = fim.Fim.toString(QStringLiteral("HH:mm:ss")) + QStringLiteral(": ");
    if (!fim.Erro.isEmpty())
        return hora + fim.Erro;
    const QString falhas = fim.Falhas == 0 ? QStringLiteral("sem falhas")
                         : fim.Falhas == 1 ? QStringLiteral("1 falha")
                                           : QStringLiteral("%1 falhas").arg(fim.Falhas);
    if (!enviados)
        return hora + QStringLiteral("concluído, ") + falhas;
    return hora + QStringLiteral("%1 enviados, ").arg(*enviados)
         + (fim.Falhas == 0 ? QStringLiteral("0 falhas") : falhas);
}
