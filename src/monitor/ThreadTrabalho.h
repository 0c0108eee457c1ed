#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <thread>

class QEventLoop;

// A thread of the monitor that runs the work posted to it, one piece at a
// time, in order: the cycle's thread, which owns the connections the cycle
// uses, and the queue tab's, which owns the tab's connection. A connection
// is opened, used and closed only by work run on the thread that owns it.
//
// A joined std::thread rather than a QThread: Qt's threads are detached, and
// QThread::wait() returns once the thread's function has finished, before
// the thread has run its thread-local destructors (the database client
// libraries' among them). Ending the process right after raced the Firebird
// client's own shut-down against them and now and then corrupted the heap
// on the way out.
class TThreadTrabalho {
public:
    // `nome` names the thread (as a debugger or `top -H` shows it).
    explicit TThreadTrabalho(const QString& nome = QStringLiteral("ciclo"));
    // Ends the thread's event loop and waits until the thread has ended.
    ~TThreadTrabalho();
    TThreadTrabalho(const TThreadTrabalho&) = delete;
    TThreadTrabalho& operator=(const TThreadTrabalho&) = delete;

    // Runs the work on the cycle's thread and returns when it is done. The
    // calling thread keeps handling its events meanwhile, so a window stays
    // responsive and a modal message the work asks for can be shown. An
    // exception of the work is raised here again.
    void Executa(const std::function<void()>& trabalho);

    // Posts the work to the thread and returns at once. It runs after the
    // work posted before it and reports its own outcome: it must let no
    // exception escape.
    void Posta(const std::function<void()>& trabalho);

private:
    std::thread FThread;
    QObject* FContexto = nullptr;  // lives on the thread: the work is posted to it
    QEventLoop* FLaco = nullptr;   // the thread's event loop
};
