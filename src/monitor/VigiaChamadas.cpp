#include "monitor/VigiaChamadas.h"

#include "dblayer/ChamadasEmCurso.h"
#include "operacao/TextosCiclo.h"

#include <set>

TVigiaChamadas::TVigiaChamadas(TRelator& relator) : FRelator(relator)
{
    FTimer.setInterval(1000);
    connect(&FTimer, &QTimer::timeout, this, &TVigiaChamadas::Verifica);
    FTimer.start();
}

QString TVigiaChamadas::TextoEspera(const TChamadaEmCurso& chamada, qint64 decorridos)
{
    return QStringLiteral("%1 em %2 espera há %3 s (limite de %4 s)")
        .arg(chamada.Operacao, chamada.Conexao.isEmpty() ? QStringLiteral("?") : chamada.Conexao)
        .arg(decorridos)
        .arg(chamada.LimiteMs / 1000);
}

QString TVigiaChamadas::LinhaSemResposta(const TChamadaEmCurso& chamada, qint64 decorridos)
{
    // The cycle waits for its call; a check gives a call that does not
    // answer a bound of its own and goes on without it.
    const QString quem = chamada.Quem.isEmpty()
                             ? QStringLiteral("o ciclo continua quando o servidor responder ou a conexão cair")
                             : chamada.Quem + QStringLiteral(" não espera por ela");
    return QStringLiteral("Sem resposta do servidor: ") + TextoEspera(chamada, decorridos) + QStringLiteral("; ")
         + quem + u'.';
}

bool TVigiaChamadas::PassouDoLimite(const TChamadaEmCurso& chamada, std::chrono::steady_clock::time_point agora)
{
    return chamada.LimiteMs > 0 && agora - chamada.Inicio >= std::chrono::milliseconds(chamada.LimiteMs);
}

void TVigiaChamadas::Verifica()
{
    const auto agora = std::chrono::steady_clock::now();
    std::set<quint64> emCurso;
    for (const TChamadaEmCurso& chamada : ChamadasEmCurso()) {
        emCurso.insert(chamada.Id);
        const auto decorridos = std::chrono::duration_cast<std::chrono::seconds>(agora - chamada.Inicio).count();
        if (chamada.LimiteMs <= 0 || decorridos * 1000 < chamada.LimiteMs || FAvisadas.count(chamada.Id))
            continue;
        const QString conexao = chamada.Conexao.isEmpty() ? QStringLiteral("?") : chamada.Conexao;
        const auto desde = std::chrono::duration_cast<std::chrono::milliseconds>(agora - chamada.Inicio).count();
        const TAvisada avisada{{chamada.Id, chamada.Operacao, conexao, QDateTime::currentDateTime().addMSecs(-desde),
                                chamada.LimiteMs},
                               chamada.Inicio};
        FAvisadas[chamada.Id] = avisada;
        FRelator.AdicionaLinha(LinhaSemResposta(chamada, decorridos));
        if (FObservadores)
            for (TObservadorCiclo* observador : *FObservadores)
                observador->ChamadaSemResposta(avisada.Chamada);
    }
    // Calls that ended are forgotten.
    for (auto it = FAvisadas.begin(); it != FAvisadas.end();) {
        if (emCurso.count(it->first)) {
            ++it;
            continue;
        }
        const TChamadaSemResposta terminada = it->second.Chamada;
        it = FAvisadas.erase(it);
        if (FObservadores)
            for (TObservadorCiclo* observador : *FObservadores)
                observador->ChamadaTerminada(terminada);
    }
}

QStringList TVigiaChamadas::SemResposta() const
{
    const auto agora = std::chrono::steady_clock::now();
    QStringList chamadas;
    for (const auto& [id, avisada] : FAvisadas)
        chamadas << TextoSemResposta(avisada.Chamada,
                                     std::chrono::duration_cast<std::chrono::seconds>(agora - avisada.Inicio).count());
    return chamadas;
}
