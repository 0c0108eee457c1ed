#include "monitor/VigiaChamadas.h"

#include "dblayer/ChamadasEmCurso.h"

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
        FAvisadas[chamada.Id] = TAvisada{chamada.Operacao, conexao, chamada.Inicio, chamada.LimiteMs};
        FRelator.AdicionaLinha(LinhaSemResposta(chamada, decorridos));
    }
    // Calls that ended are forgotten.
    for (auto it = FAvisadas.begin(); it != FAvisadas.end();)
        it = emCurso.count(it->first) ? std::next(it) : FAvisadas.erase(it);
}

QStringList TVigiaChamadas::SemResposta() const
{
    const auto agora = std::chrono::steady_clock::now();
    QStringList chamadas;
    for (const auto& [id, chamada] : FAvisadas)
        chamadas << QStringLiteral("%1 em %2 há %3 s (limite de %4 s)")
                        .arg(chamada.Operacao, chamada.Conexao)
                        .arg(std::chrono::duration_cast<std::chrono::seconds>(agora - chamada.Inicio).count())
                        .arg(chamada.LimiteMs / 1000);
    return chamadas;
}
