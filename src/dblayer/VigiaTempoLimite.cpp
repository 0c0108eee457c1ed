#include "dblayer/VigiaTempoLimite.h"

VigiaTempoLimite::VigiaTempoLimite(std::function<void()> cancela)
    : m_cancela(std::move(cancela))
    , m_thread([this] { vigia(); })
{
}

VigiaTempoLimite::~VigiaTempoLimite()
{
    {
        std::lock_guard trava(m_mutex);
        m_encerrar = true;
    }
    m_sinal.notify_one();
    m_thread.join();
}

void VigiaTempoLimite::arma(int milissegundos)
{
    const auto prazo = Relogio::now() + std::chrono::milliseconds(milissegundos);
    std::lock_guard trava(m_mutex);
    m_prazo = prazo;
    m_disparou = false;
    // A thread already sleeping until an earlier instant re-checks by itself.
    if (prazo < m_esperandoAte)
        m_sinal.notify_one();
}

bool VigiaTempoLimite::desarma()
{
    std::lock_guard trava(m_mutex);
    m_prazo.reset();
    const bool disparou = m_disparou;
    m_disparou = false;
    return disparou;
}

void VigiaTempoLimite::vigia()
{
    std::unique_lock trava(m_mutex);
    while (!m_encerrar) {
        if (!m_prazo) {
            m_esperandoAte = Relogio::time_point::max();
            m_sinal.wait(trava);
            continue;
        }
        if (Relogio::now() >= *m_prazo) {
            // Cancelled under the lock: the caller cannot disarm, finish and
            // start another call while the cancel meant for this one is sent.
            m_prazo.reset();
            m_disparou = true;
            m_cancela();
            continue;
        }
        m_esperandoAte = *m_prazo;
        m_sinal.wait_until(trava, m_esperandoAte);
    }
}

void VigiaTempoLimite::executa(int milissegundos, const std::function<void()>& chamada)
{
    arma(milissegundos);
    try {
        chamada();
    } catch (...) {
        desarma();
        throw;
    }
    desarma();
}
