#include "monitor/VigiaChamadas.h"

#include "dblayer/ChamadasEmCurso.h"

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
        FAvisadas.insert(chamada.Id);
        const QString linha = QStringLiteral("Sem resposta do servidor: %1 em %2 espera há %3 s (limite de %4 s); "
                                             "o ciclo continua quando o servidor responder ou a conexão cair.")
                                  .arg(chamada.Operacao, chamada.Conexao.isEmpty() ? QStringLiteral("?") : chamada.Conexao)
                                  .arg(decorridos)
                                  .arg(chamada.LimiteMs / 1000);
        FRelator.AdicionaLinha(linha);
    }
    // Calls that ended are forgotten.
    for (auto it = FAvisadas.begin(); it != FAvisadas.end();)
        it = emCurso.count(*it) ? std::next(it) : FAvisadas.erase(it);
}
