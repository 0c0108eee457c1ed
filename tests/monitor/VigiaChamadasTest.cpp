// A statement held by a row lock on the PostgreSQL test server, sent without
// a statement limit, stands for a call the client library never ends: past
// the driver's limit the monitor says which call it waits for, once, and
// nothing when it ends in time. (The application object comes from
// MonitoraTest.cpp, in the same executable.)

#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "BancoTeste.h"
#include "RelatorGravador.h"

#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "dblayer/LimitesExecucao.h"
#include "monitor/VigiaChamadas.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

#include <optional>
#include <thread>

namespace {

// What waits for the call is named: the cycle, or a check that gives the
// call a bound of its own and goes on.
struct TQuem {
    const char* Quem;
    const char* Fim;
};

class VigiaChamadas : public ::testing::TestWithParam<TQuem> {};

TEST_P(VigiaChamadas, DizUmaVezQualChamadaPassouDoLimiteENadaDasQueTerminam)
{
    const QString base = BancoTeste::criaPostgres(QStringLiteral("vigia"), {QStringLiteral("erp_postgres.sql")});
    BancoTeste::executaSqlPostgres(base, QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, STATUS) VALUES (1, 'CL', 0);"));
    TLimitesExecucao limites;
    limites.OutrosMs = 2000;
    const TLimitesDeTeste curtos(limites);

    QSqlDatabase trava = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("vigia_trava"));
    trava.setHostName(AmbienteTeste::pgHost());
    trava.setPort(AmbienteTeste::pgPorta());
    trava.setUserName(AmbienteTeste::pgUsuario());
    trava.setPassword(AmbienteTeste::pgSenha());
    trava.setDatabaseName(base);
    ASSERT_TRUE(trava.open()) << trava.lastError().text().toStdString();
    ASSERT_TRUE(trava.transaction());
    ASSERT_TRUE(QSqlQuery(trava).exec(QStringLiteral("UPDATE QX_INTEGRA SET STATUS = 9 WHERE ORDEM = 1")));

    TRelatorGravador relator;
    TVigiaChamadas vigia(relator);
    std::string erroNaThread;
    std::thread ciclo([&] {
        std::optional<TQuemEspera> quem;
        if (*GetParam().Quem)
            quem.emplace(QString::fromUtf8(GetParam().Quem));
        try {
            TKoDatabase banco;
            banco.setObjectName(QStringLiteral("KoDatabase1"));
            ApoioMonitor::AbrePostgres(banco, base);
            TKoQuery rapida;
            rapida.SetDatabase(&banco);
            rapida.SQL.Add(QStringLiteral("SELECT ORDEM FROM QX_INTEGRA"));
            rapida.Open();
            TKoQuery presa;
            presa.SetDatabase(&banco);
            presa.TempoLimite = false;
            presa.SQL.Add(QStringLiteral("UPDATE QX_INTEGRA SET STATUS = 1 WHERE ORDEM = 1"));
            presa.ExecSQL();
            banco.CommitRetaining();
            banco.Close();
        } catch (const std::exception& e) {
            erroNaThread = e.what();
        }
    });
    const bool avisou = QTest::qWaitFor([&] { return !relator.Linhas.isEmpty(); }, 10000);
    QTest::qWait(2500);  // more looks at the same call say nothing more
    trava.rollback();
    ciclo.join();
    vigia.Verifica();
    trava.close();

    ASSERT_TRUE(avisou) << "no line while the statement waited on the lock";
    EXPECT_TRUE(erroNaThread.empty()) << erroNaThread;
    ASSERT_EQ(relator.Linhas.size(), 1) << relator.Linhas.join(u'\n').toStdString();
    EXPECT_TRUE(relator.Linhas[0].startsWith(
        QStringLiteral("Sem resposta do servidor: execução de comando em KoDatabase1 espera há ")))
        << relator.Linhas[0].toStdString();
    EXPECT_TRUE(relator.Linhas[0].contains(QStringLiteral("(limite de 2 s); "))) << relator.Linhas[0].toStdString();
    EXPECT_TRUE(relator.Linhas[0].endsWith(QString::fromUtf8(GetParam().Fim))) << relator.Linhas[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Quem, VigiaChamadas,
    ::testing::Values(TQuem{"", "o ciclo continua quando o servidor responder ou a conexão cair."},
                      TQuem{"a verificação da configuração", "a verificação da configuração não espera por ela."}),
    [](const ::testing::TestParamInfo<TQuem>& caso) { return *caso.param.Quem ? std::string("Verificacao") : std::string("Ciclo"); });

} // namespace
