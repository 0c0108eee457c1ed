#include "janela/BarraEstado.h"

#include "operacao/TextosCiclo.h"
#include "monitor/Monitora.h"

#include <QStringList>

#include <algorithm>

namespace {

QString Legenda(const TMonitora& monitora, int indice)
{
    for (const TMonitora::TItemSeletor& item : monitora.ItensSeletor())
        if (item.Indice == indice)
            return item.Legenda;
    return QString();
}

} // namespace

QString TextoUltimoCiclo(const TMonitora& monitora)
{
    const auto fim = monitora.UltimoCiclo();
    if (!fim)
        return QStringLiteral("Nenhum ciclo ainda.");
    return QStringLiteral("Último ciclo: ") + Resumo(*fim, QDateTime::currentDateTime());
}

QString TextoProximoCiclo(const TMonitora& monitora)
{
    if (monitora.Ocupado())
        return QStringLiteral("Ciclo em andamento");
    if (!monitora.TimerAtivo())
        return QStringLiteral("pausado");
    const int segundos = std::max(0, (monitora.Timer1().remainingTime() + 500) / 1000);
    return QStringLiteral("Próximo ciclo em %1 s").arg(segundos);
}

QString TextoConexoes(const TMonitora& monitora)
{
    const auto fim = monitora.UltimoCiclo();
    if (!fim)
        return QString();
    const QDateTime agora = QDateTime::currentDateTime();
    QStringList partes;
    for (const TEstadoConexao& conexao : fim->Conexoes)
        partes << TextoConexao(conexao, agora);
    return partes.join(QStringLiteral("; "));
}

QString TextoSaude(const TMonitora& monitora)
{
    const TSaude saude = monitora.Saude();
    // A pause is already said by the next cycle's text.
    if (saude.Saudavel || saude.Falha == TFalhaSaude::Parado)
        return QString();
    return QStringLiteral("Falha: ") + saude.Motivo;
}

QString AvisoTipoNaoConectado(const TMonitora& monitora)
{
    const int indice = monitora.IndiceTipo();
    if (indice == monitora.IndiceIniciado())
        return QString();
    return QStringLiteral("%1 não foi conectado no início: o tipo conectado é o que o Modelo de [ModeloAtivo] no "
                          "QX.ini escolhe (Modelo=%2 para %1).")
        .arg(Legenda(monitora, indice))
        .arg(indice);
}

QString AvisoFechaAposCiclo()
{
    return QStringLiteral("A janela fecha quando o ciclo em andamento terminar.");
}
