#include "monitor/ThreadCiclo.h"

#include <QCoreApplication>

#include <exception>
#include <memory>

TThreadCiclo::TThreadCiclo()
{
    FThread.setObjectName(QStringLiteral("ciclo"));
    FContexto = new QObject;
    FContexto->moveToThread(&FThread);
    FThread.start();
}

TThreadCiclo::~TThreadCiclo()
{
    FThread.quit();
    FThread.wait();
    delete FContexto;
}

void TThreadCiclo::Executa(const std::function<void()>& trabalho)
{
    if (QThread::currentThread() == &FThread) {
        trabalho();
        return;
    }
    struct TResultado {
        bool pronto = false;
        std::exception_ptr erro;
    };
    auto resultado = std::make_shared<TResultado>();
    // The end is posted to the waiting thread like the work's log lines, so
    // it arrives after every line the work wrote.
    QObject quemEspera;
    QObject* const aviso = &quemEspera;
    FOcupada = true;
    QMetaObject::invokeMethod(
        FContexto,
        [resultado, trabalho, aviso] {
            std::exception_ptr erro;
            try {
                trabalho();
            } catch (...) {
                erro = std::current_exception();
            }
            QMetaObject::invokeMethod(
                aviso, [resultado, erro] {
                    resultado->erro = erro;
                    resultado->pronto = true;
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    // Not a nested QEventLoop: a quit() of the application while the work
    // runs must not cut the wait short.
    while (!resultado->pronto)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    FOcupada = false;
    if (resultado->erro)
        std::rethrow_exception(resultado->erro);
}
