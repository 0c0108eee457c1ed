#include "monitor/comissionamento/VerificacaoLimitada.h"

#include "dblayer/ChamadasEmCurso.h"
#include "integracao/Relator.h"
#include "integracao/Verificacao.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

std::atomic<int> gPresas = 0;

// What the waiting thread and the part share; the part's thread keeps it
// alive after the wait is given up.
struct TEstado : TRelator {
    std::mutex Trava;
    std::condition_variable Sinal;
    TRelator* Destino = nullptr;  // null once nobody waits
    bool Fim = false;
    std::chrono::steady_clock::time_point UltimoSinal = std::chrono::steady_clock::now();

    bool Passo()
    {
        const std::lock_guard<std::mutex> trava(Trava);
        UltimoSinal = std::chrono::steady_clock::now();
        Sinal.notify_all();
        return Destino != nullptr;
    }

    // A line counts as a sign of life, and is dropped once nobody waits.
    void AdicionaLinha(const QString& linha) override
    {
        const std::lock_guard<std::mutex> trava(Trava);
        UltimoSinal = std::chrono::steady_clock::now();
        if (Destino)
            Destino->AdicionaLinha(linha);
    }
    void MostraMensagem(const QString& texto) override { AdicionaLinha(texto); }
    bool Pergunta(const QString&, const QString&) override { return false; }
    void MostraErro(const QString& texto) override { AdicionaLinha(texto); }
};

} // namespace

bool VerificaComLimite(TVerificacao& verificacao, TRelator& relator, int semRespostaMs, TParteVerificacao parte)
{
    auto estado = std::make_shared<TEstado>();
    estado->Destino = &relator;
    auto falhas = std::make_shared<std::atomic<bool>>(false);
    std::thread([estado, falhas, parte = std::move(parte)] {
        {
            const TQuemEspera quem(QStringLiteral("a verificação da configuração"));
            TVerificacao propria(*estado);
            try {
                parte(propria, [&estado] { return estado->Passo(); });
            } catch (const std::exception& e) {
                propria.Falha(QStringLiteral("verificação"), QString::fromUtf8(e.what()));
            }
            *falhas = !propria.Passou();
        }
        const std::lock_guard<std::mutex> trava(estado->Trava);
        if (!estado->Destino)
            --gPresas;
        estado->Fim = true;
        estado->Sinal.notify_all();
    }).detach();

    std::unique_lock<std::mutex> trava(estado->Trava);
    const auto limite = std::chrono::milliseconds(semRespostaMs);
    while (!estado->Fim) {
        const auto prazo = estado->UltimoSinal + limite;
        if (estado->Sinal.wait_until(trava, prazo) == std::cv_status::timeout && !estado->Fim
            && std::chrono::steady_clock::now() >= estado->UltimoSinal + limite) {
            estado->Destino = nullptr;
            ++gPresas;
            return false;
        }
    }
    trava.unlock();
    if (*falhas)
        verificacao.ContaFalha();
    return true;
}

int VerificacoesPresas() { return gPresas.load(); }
