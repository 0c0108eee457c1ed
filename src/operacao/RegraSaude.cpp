#include "operacao/RegraSaude.h"

TSaude AvaliaSaude(const TFatosSaude& fatos, const QDateTime& agora)
{
    const TParametrosSaude& parametros = fatos.Parametros;
    if (!parametros.Monitorando)
        return {false, TFalhaSaude::Parado, QStringLiteral("o monitoramento está parado")};
    if (!fatos.ChamadasSemResposta.isEmpty())
        return {false, TFalhaSaude::ChamadaSemResposta,
                QStringLiteral("sem resposta do servidor: ") + fatos.ChamadasSemResposta.join(QStringLiteral("; "))};
    if (fatos.UltimoCiclo && !fatos.UltimoCiclo->Erro.isEmpty())
        return {false, TFalhaSaude::ErroNoCiclo,
                QStringLiteral("o último ciclo terminou com erro: ") + fatos.UltimoCiclo->Erro};
    if (fatos.CicloAtual) {
        const qint64 duracao = fatos.CicloAtual->Inicio.msecsTo(agora);
        if (duracao > parametros.LimiteCicloMs)
            return {false, TFalhaSaude::CicloAlemDoLimite,
                    QStringLiteral("o ciclo em andamento já dura %1 s (limite: %2 s)")
                        .arg(duracao / 1000)
                        .arg(parametros.LimiteCicloMs / 1000)};
        return {true, TFalhaSaude::Nenhuma, QString()};
    }
    const QDateTime referencia = fatos.UltimoCiclo ? fatos.UltimoCiclo->Fim : fatos.Desde;
    const qint64 parado = referencia.msecsTo(agora);
    if (parado > 3 * parametros.IntervaloMs)
        return {false, TFalhaSaude::SemCiclo,
                QStringLiteral("nenhum ciclo começou nos últimos %1 s (intervalo: %2 s)")
                    .arg(parado / 1000)
                    .arg(parametros.IntervaloMs / 1000)};
    return {true, TFalhaSaude::Nenhuma, QString()};
}
