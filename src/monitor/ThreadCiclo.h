#pragma once

#include <QObject>

#include <functional>
#include <thread>

class QEventLoop;

// The thread the polling cycle runs on. It owns the connections the cycle
// uses: they are opened, used and closed only by work run here.
//
// A joined std::thread rather than a QThread: Qt's threads are detached, and
// QThread::wait() returns once the thread's function has finished, before
// the thread has run its thread-local destructors (the database client
// libraries' among them). Ending the process right after raced the Firebird
// client's own shut-down against them and now and then corrupted the heap
// on the way out.
class TThreadCiclo {
public:
    TThreadCiclo();
    // Ends the thread's event loop and waits until the thread has ended.
    ~TThreadCiclo();
    TThreadCiclo(const TThreadCiclo&) = delete;
    TThreadCiclo& operator=(const TThreadCiclo&) = delete;

    // Runs the work on the cycle's thread and returns when it is done. The
    // calling thread keeps handling its events meanwhile, so a window stays
    // responsive and a modal message the work asks for can be shown. An
    // exception of the work is raised here again.
    void Executa(const std::function<void()>& trabalho);


private:
    std::thread FThread;
    QObject* FContexto = nullptr;  // lives on the thread: the work is posted to it
    QEventLoop* FLaco = nullptr;   // the thread's event loop
};
