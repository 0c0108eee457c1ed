#include "janela/BarraEstado.h"

#include "dblayer/ChamadasEmCurso.h"
#include "operacao/EstadoOperacao.h"
#include "operacao/TextosCiclo.h"
#include "monitor/Monitora.h"
#include "monitor/VigiaChamadas.h"

#include <QStringList>

#include <algorithm>
#include <chrono>

namespace {

QString Legenda(const TMonitora& monitora, int indice)
{
    for (const TMonitora::TItemSeletor& item : monitora.ItensSeletor())
        if (item.Indice == indice)
            return item.Legenda;
    return QString();
}

// The cycle's calls (not a check's, which bounds its own) running past
// their limit, by connection.
QList<TChamadaEmCurso> ChamadasSemResposta()
{
    const auto agora = std::chrono::steady_clock::now();
    QList<TChamadaEmCurso> paradas;
    for (const TChamadaEmCurso& chamada : ChamadasEmCurso())
        if (chamada.Quem.isEmpty() && TVigiaChamadas::PassouDoLimite(chamada, agora))
            paradas << chamada;
    return paradas;
}

qint64 Decorridos(const TChamadaEmCurso& chamada)
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - chamada.Inicio).count();
}

struct TParteConexao {
    QString Componente;
    QString Texto;  // without the name
    QString Dica;
};

QList<TParteConexao> PartesConexoes(const TMonitora& monitora)
{
    QList<TParteConexao> partes;
    const QDateTime agora = QDateTime::currentDateTime();
    if (const auto& fim = monitora.UltimoCiclo())
        for (const TEstadoConexao& conexao : fim->Conexoes) {
            const QString estado = QStringLiteral("%1 desde %2")
                                       .arg(conexao.Ativa ? QStringLiteral("ativa") : QStringLiteral("inativa"),
                                            Hora(conexao.Desde, agora));
            partes << TParteConexao{conexao.Nome, estado, estado};
        }
    for (const TChamadaEmCurso& chamada : ChamadasSemResposta()) {
        const qint64 segundos = Decorridos(chamada);
        const QString texto = QStringLiteral("sem resposta do servidor: %1 espera há %2 s (limite de %3 s)")
                                  .arg(chamada.Operacao)
                                  .arg(segundos)
                                  .arg(chamada.LimiteMs / 1000);
        const QString dica = QStringLiteral("Sem resposta do servidor: ") + TVigiaChamadas::TextoEspera(chamada, segundos);
        auto parte = std::find_if(partes.begin(), partes.end(),
                                  [&chamada](const TParteConexao& p) { return p.Componente == chamada.Conexao; });
        if (parte == partes.end())
            partes << TParteConexao{chamada.Conexao, texto, dica};
        else
            *parte = TParteConexao{chamada.Conexao, texto, dica};
    }
    return partes;
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
    if (!monitora.Trabalho().isEmpty()) {
        const qint64 segundos = std::max<qint64>(0, monitora.TrabalhoDesde().secsTo(QDateTime::currentDateTime()));
        return QStringLiteral("%1 há %2 s").arg(monitora.Trabalho()).arg(segundos);
    }
    if (!monitora.TimerAtivo())
        return QStringLiteral("pausado, nada em andamento");
    const int segundos = std::max(0, (monitora.Timer1().remainingTime() + 500) / 1000);
    return QStringLiteral("Próximo ciclo em %1 s").arg(segundos);
}

QString TextoConexoes(const TMonitora& monitora)
{
    QStringList textos;
    for (const TParteConexao& parte : PartesConexoes(monitora))
        textos << monitora.NomeDaConexao(parte.Componente) + QStringLiteral(": ") + parte.Texto;
    return textos.join(QStringLiteral("; "));
}

QString DicaConexoes(const TMonitora& monitora)
{
    QStringList dicas;
    for (const TParteConexao& parte : PartesConexoes(monitora))
        dicas << QStringLiteral("%1 (%2): %3").arg(monitora.NomeDaConexao(parte.Componente), parte.Componente, parte.Dica);
    return dicas.join(u'\n');
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

namespace {

QString TrabalhoEmCurso(const TMonitora& monitora)
{
    if (monitora.Trabalho().isEmpty() || monitora.Trabalho() == QLatin1String("Ciclo em andamento"))
        return QStringLiteral("o ciclo em andamento");
    return QStringLiteral("o trabalho em andamento (%1)").arg(monitora.Trabalho().toLower());
}

} // namespace

QString AvisoFechaAposCiclo(const TMonitora& monitora, int prazoSegundos)
{
    return QStringLiteral("A janela fecha quando %1 terminar; se não terminar em %2 s, fecha assim mesmo.")
        .arg(TrabalhoEmCurso(monitora))
        .arg(prazoSegundos);
}

QString LinhaFechaSemEsperar(const TMonitora& monitora, int prazoSegundos)
{
    QStringList chamadas;
    for (const TChamadaEmCurso& chamada : ChamadasEmCurso())
        chamadas << QStringLiteral("%1 em %2 há %3 s").arg(chamada.Operacao, chamada.Conexao).arg(Decorridos(chamada));
    return QStringLiteral("A janela foi fechada sem esperar %1, que não terminou em %2 s%3; o processo termina agora "
                          "(o que não foi confirmado é desfeito pelo servidor).")
        .arg(TrabalhoEmCurso(monitora))
        .arg(prazoSegundos)
        .arg(chamadas.isEmpty() ? QString() : QStringLiteral(" (chamadas em curso: ") + chamadas.join(QStringLiteral(", ")) + u')');
}
