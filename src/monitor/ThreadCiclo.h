#pragma once

#include <QThread>

#include <functional>

// The thread the polling cycle runs on. It owns the connections the cycle
// uses: they are opened, used and closed only by work run here.
class TThreadCiclo {
public:
    TThreadCiclo();
    ~TThreadCiclo();
    TThreadCiclo(const TThreadCiclo&) = delete;
    TThreadCiclo& operator=(const TThreadCiclo&) = delete;

    // Runs the work on the cycle's thread and returns when it is done. The
    // calling thread keeps handling its events meanwhile, so a window stays
    // responsive and a modal message the work asks for can be shown. An
    // exception of the work is raised here again.
    void Executa(const std::function<void()>& trabalho);

    // True while work is running.
    bool Ocupada() const { return FOcupada; }

private:
    QThread FThread;
    QObject* FContexto = nullptr;  // lives on FThread: the work is posted to it
    bool FOcupada = false;
};
