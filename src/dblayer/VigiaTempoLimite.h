#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

// Watches the server call in progress on one connection and cancels it when
// it runs past its deadline. One thread per connection, started once; arming
// and disarming a call only take an uncontended mutex, and the thread wakes
// only when a deadline can have passed, so thousands of short statements a
// second cost next to nothing.
class VigiaTempoLimite {
public:
    explicit VigiaTempoLimite(std::function<void()> cancela);
    ~VigiaTempoLimite();

    VigiaTempoLimite(const VigiaTempoLimite&) = delete;
    VigiaTempoLimite& operator=(const VigiaTempoLimite&) = delete;

    // Starts the clock for the call about to be made.
    void arma(int milissegundos);

    // Stops the clock; true when the deadline passed and the cancel was sent.
    bool desarma();

    // Runs `chamada` with the clock armed for it, disarmed however it ends.
    void executa(int milissegundos, const std::function<void()>& chamada);

private:
    using Relogio = std::chrono::steady_clock;

    void vigia();

    std::function<void()> m_cancela;
    std::mutex m_mutex;
    std::condition_variable m_sinal;
    std::optional<Relogio::time_point> m_prazo;
    Relogio::time_point m_esperandoAte = Relogio::time_point::max();
    bool m_disparou = false;
    bool m_encerrar = false;
    std::thread m_thread;
};
