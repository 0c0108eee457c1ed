#include "monitor/ThreadTrabalho.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <exception>
#include <future>
#include <memory>

TThreadTrabalho::TThreadTrabalho(const QString& nome)
{
    std::promise<void> pronto;
    FThread = std::thread([this, &pronto, nome] {
        QThread::currentThread()->setObjectName(nome);
        QEventLoop laco;
        QObject contexto;
        FLaco = &laco;
        FContexto = &contexto;
        pronto.set_value();
        laco.exec();
    });
    pronto.get_future().wait();
}

TThreadTrabalho::~TThreadTrabalho()
{
    QEventLoop* const laco = FLaco;
    QMetaObject::invokeMethod(FContexto, [laco] { laco->quit(); }, Qt::QueuedConnection);
    FThread.join();
}

void TThreadTrabalho::Executa(const std::function<void()>& trabalho)
{
    if (std::this_thread::get_id() == FThread.get_id()) {
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
    if (resultado->erro)
        std::rethrow_exception(resultado->erro);
}

void TThreadTrabalho::Posta(const std::function<void()>& trabalho)
{
    QMetaObject::invokeMethod(FContexto, trabalho, Qt::QueuedConnection);
}
