// Ending without waiting for the work in progress (past the shut-down's
// grace, from a signal or from the window's close): the reason on standard
// error and in the daily log, then the process ends with its status. Run in
// a child process, as it ends the process. (The application object comes
// from MonitoraTest.cpp, in the same executable.)

#include "AmbienteTeste.h"

#include "dblayer/GravaLinhaLog.h"
#include "monitor/Encerramento.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(EncerraSemEsperar, DizOMotivoNoLogDiarioETermina)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child runs this test again from its start: it takes the parent's
    // folder from the environment.
    const char* const variavel = "QUELIX_TESTE_PASTA_ENCERRA";
    if (!qEnvironmentVariableIsSet(variavel)) {
        const QString nova = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("encerra"));
        QDir().mkpath(nova);
        qputenv(variavel, nova.toUtf8());
    }
    const QString pasta = qEnvironmentVariable(variavel);
    const QString motivo = QStringLiteral("a janela foi fechada sem esperar o ciclo em andamento");
    EXPECT_EXIT(
        {
            DefinePastaDoExecutavel(pasta);
            EncerraSemEsperar(motivo, 3);
        },
        ::testing::ExitedWithCode(3), "Quelix: a janela foi fechada sem esperar o ciclo em andamento");
    qunsetenv(variavel);
    const QStringList logs = QDir(QDir(pasta).filePath(QStringLiteral("Logs"))).entryList({QStringLiteral("*.log")});
    ASSERT_EQ(logs.size(), 1);
    QFile log(QDir(QDir(pasta).filePath(QStringLiteral("Logs"))).filePath(logs.front()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(log.readAll()).contains(motivo));
}

} // namespace
