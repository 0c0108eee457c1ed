#include "monitor/ThreadTrabalho.h"

#include "AplicacaoTeste.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

std::atomic<bool> DestrutorLocalRodou = false;

// Stands for the per-thread data a database client library frees when the
// thread ends.
struct TDadoDaThread {
    ~TDadoDaThread()
    {
        QThread::msleep(200);
        DestrutorLocalRodou = true;
    }
};

// The process may end right after the monitor: by then the cycle's thread
// must have ended entirely, its thread-local data freed.
TEST(ThreadTrabalho, AcabaDepoisDeLiberarOsDadosLocaisDaThread)
{
    {
        TThreadTrabalho thread;
        QThread* naThread = nullptr;
        thread.Executa([&naThread] {
            thread_local TDadoDaThread dado;
            (void)dado;
            naThread = QThread::currentThread();
        });
        EXPECT_NE(naThread, QThread::currentThread());
        EXPECT_FALSE(DestrutorLocalRodou);
    }
    EXPECT_TRUE(DestrutorLocalRodou);
}

TEST(ThreadTrabalho, ErroDoTrabalhoChegaAQuemEspera)
{
    TThreadTrabalho thread;
    EXPECT_THROW(thread.Executa([] { throw std::runtime_error("falhou"); }), std::runtime_error);
    int vezes = 0;
    thread.Executa([&vezes] { ++vezes; });
    EXPECT_EQ(vezes, 1);
}

} // namespace
