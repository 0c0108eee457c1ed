#include "operacao/TextosCiclo.h"

#include "integracao/Relator.h"

TDesfechoCiclo Desfecho(const TFimCiclo& fim)
{
    return !fim.Erro.isEmpty() ? TDesfechoCiclo::Erro
         : fim.Falhas > 0      ? TDesfechoCiclo::ComFalhas
                               : TDesfechoCiclo::Concluido;
}

QString Texto(TDesfechoCiclo desfecho)
{
    switch (desfecho) {
    case TDesfechoCiclo::ComFalhas:
        return QStringLiteral("com_falhas");
    case TDesfechoCiclo::Erro:
        return QStringLiteral("erro");
    case TDesfechoCiclo::Concluido:
        break;
    }
    return QStringLiteral("concluido");
}

QString Hora(const QDateTime& momento, const QDateTime& agora)
{
    const QDateTime local = momento.toLocalTime();
    return local.date() == agora.toLocalTime().date() ? local.toString(QStringLiteral("HH:mm:ss"))
                                                      : local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString Resumo(const TFimCiclo& fim, const QDateTime& agora)
{
    const QString hora = Hora(fim.Fim, agora) + QStringLiteral(": ");
    if (!fim.Erro.isEmpty())
        return hora + fim.Erro;
    const QString falhas = fim.Falhas == 0 ? QStringLiteral("sem falhas")
                         : fim.Falhas == 1 ? QStringLiteral("1 falha")
                                           : QStringLiteral("%1 falhas").arg(fim.Falhas);
    if (!fim.Enviados)
        return hora + QStringLiteral("concluído, ") + falhas;
    return hora + QStringLiteral("%1 enviados, ").arg(*fim.Enviados)
         + (fim.Falhas == 0 ? QStringLiteral("0 falhas") : falhas);
}

QString TextoConexao(const TEstadoConexao& conexao, const QDateTime& agora)
{
    return QStringLiteral("%1: %2 desde %3")
        .arg(conexao.Nome, conexao.Ativa ? QStringLiteral("ativa") : QStringLiteral("inativa"),
             Hora(conexao.Desde, agora));
}

QString TextoSemResposta(const TChamadaSemResposta& chamada, qint64 segundos)
{
    return QStringLiteral("%1 em %2 há %3 s (limite de %4 s)")
        .arg(chamada.Operacao, chamada.Conexao)
        .arg(segundos)
        .arg(chamada.LimiteMs / 1000);
}

QString TextoDirecao(const QString& direcao)
{
    if (direcao == Texto(TDirecaoRegistro::Saida))
        return QStringLiteral("saída");
    if (direcao == Texto(TDirecaoRegistro::Entrada))
        return QStringLiteral("entrada");
    if (direcao == Texto(TDirecaoRegistro::Acao))
        return QStringLiteral("ação");
    return direcao;
}
