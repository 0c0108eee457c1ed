#include "servico/SinaisDeParada.h"

#include "dblayer/ChamadasEmCurso.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/Maquina.h"

#include <QSocketNotifier>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

sigset_t Sinais()
{
    sigset_t sinais;
    sigemptyset(&sinais);
    sigaddset(&sinais, SIGINT);
    sigaddset(&sinais, SIGTERM);
    return sinais;
}

// A detached thread that waits for the signals for the rest of the process.
void EsperaSinais(std::function<void(int)> aoReceber)
{
    std::thread([aoReceber = std::move(aoReceber)] {
        const sigset_t sinais = Sinais();
        for (;;) {
            int sinal = 0;
            if (sigwait(&sinais, &sinal) == 0)
                aoReceber(sinal);
        }
    }).detach();
}

// Which calls the stop leaves, and what becomes of them: a database server
// undoes what it did not commit; a service may have taken the request, whose
// row stays pending and is sent again.
QString LinhaEncerraSemEsperar()
{
    const auto agora = std::chrono::steady_clock::now();
    QStringList chamadas;
    for (const TChamadaEmCurso& chamada : ChamadasEmCurso())
        chamadas << QStringLiteral("%1 em %2 há %3 s")
                        .arg(chamada.Operacao, chamada.Conexao)
                        .arg(std::chrono::duration_cast<std::chrono::seconds>(agora - chamada.Inicio).count());
    return QStringLiteral("o encerramento esperou %1 s por uma chamada que não responde%2; o processo termina agora "
                          "(o que não foi confirmado é desfeito pelo servidor de banco; um serviço pode ter recebido "
                          "o pedido em curso, cuja tarefa fica pendente e é enviada de novo).")
        .arg(PrazoEncerramentoSegundos)
        .arg(chamadas.isEmpty() ? QString() : QStringLiteral(" (") + chamadas.join(QStringLiteral(", ")) + u')');
}

// The ordinary shut-down waits for the cycle in progress; a call that hangs
// (a server that stopped answering without closing) would hold it for ever.
// Past the grace the process ends anyway, saying so.
void PrazoDoEncerramento(int sinal)
{
    static std::atomic_flag iniciado = ATOMIC_FLAG_INIT;
    if (iniciado.test_and_set())
        return;
    std::thread([sinal] {
        std::this_thread::sleep_for(std::chrono::seconds(PrazoEncerramentoSegundos));
        EncerraSemEsperar(LinhaEncerraSemEsperar(), 128 + sinal);
    }).detach();
}

// Carries a signal into the event loop through a pipe.
class AvisoDeParada : public QObject {
public:
    explicit AvisoDeParada(std::function<void()> aoParar)
    {
        if (::pipe(FPipe) != 0)
            return;
        FNotificador = new QSocketNotifier(FPipe[0], QSocketNotifier::Read, this);
        QObject::connect(FNotificador, &QSocketNotifier::activated, this,
                         [this, aoParar = std::move(aoParar)] {
                             char byte = 0;
                             [[maybe_unused]] const auto lido = ::read(FPipe[0], &byte, 1);
                             aoParar();
                         });
        const int escrita = FPipe[1];
        EsperaSinais([escrita](int sinal) {
            const char byte = 1;
            [[maybe_unused]] const auto escrito = ::write(escrita, &byte, 1);
            PrazoDoEncerramento(sinal);
        });
    }

private:
    int FPipe[2] = {-1, -1};
    QSocketNotifier* FNotificador = nullptr;
};

} // namespace

void BloqueiaSinaisDeParada()
{
    const sigset_t sinais = Sinais();
    pthread_sigmask(SIG_BLOCK, &sinais, nullptr);
}

std::unique_ptr<QObject> AvisaParadaNoLaco(std::function<void()> aoParar)
{
    return std::make_unique<AvisoDeParada>(std::move(aoParar));
}

void EncerraNaParada()
{
    EsperaSinais([](int sinal) { std::_Exit(128 + sinal); });
}
