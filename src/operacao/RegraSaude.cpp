#include "operacao/RegraSaude.h"

TSaude AvaliaSaude(const TEstadoOperacao::TInstantaneo& estado, const TParametrosSaude& parametros,
                   const QDateTime& agora)
{
    if (!parametros.Monitorando)
        return {false, QStringLiteral("o monitoramento está parado")};
    if (estado.UltimoCiclo && !estado.UltimoCiclo->Erro.isEmpty())
        return {false, QStringLiteral("o último ciclo terminou com erro: ") + estado.UltimoCiclo->Erro};
    if (estado.InicioCicloAtual) {
        // A long cycle is not a stopped one: it is judged by the bound.
        const qint64 duracao = estado.InicioCicloAtual->msecsTo(agora);
        if (duracao > parametros.LimiteCicloMs)
            return {false, QStringLiteral("o ciclo em andamento já dura %1 s (limite: %2 s)")
                               .arg(duracao / 1000)
                               .arg(parametros.LimiteCicloMs / 1000)};
        return {true, QString()};
    }
    const QDateTime referencia = estado.UltimoCiclo ? estado.UltimoCiclo->Fim : estado.Desde;
    const qint64 parado = referencia.msecsTo(agora);
    if (parado > 3 * parametros.IntervaloMs)
        return {false, QStringLiteral("nenhum ciclo começou nos últimos %1 s (intervalo: %2 s)")
                           .arg(parado / 1000)
                           .arg(parametros.IntervaloMs / 1000)};
    return {true, QString()};
}
