#include "monitor/VigiaChamadas.h"

#include "dblayer/ChamadasEmCurso.h"

#include <set>

TVigiaChamadas::TVigiaChamadas(TRelator& relator) : FRelator(relator)
{
    FTimer.setInterval(1000);
    connect(&FTimer, &QTimer::timeout, this, &TVigiaChamadas::Verifica);
    FTimer.start();
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
        const QString linha = QStringLiteral("Sem resposta do servidor: %1 em %2 espera há %3 s (limite de %4 s); "
                                             "o ciclo continua quando o servidor responder ou a conexão cair.")
                                  .arg(chamada.Operacao, conexao)
                                  .arg(decorridos)
                                  .arg(chamada.LimiteMs / 1000);
        FRelator.AdicionaLinha(linha);
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
