// A PostgreSQL server frozen (SIGSTOP) in the middle of a transaction keeps
// its connections open and answers nothing: no limit of its own runs. Every
// call that reaches it still ends, past its limit and the margin, with the
// connection counted as lost, and the connection opens again once the
// server goes on. The same through its ODBC driver, as a Bruma queue is
// reached: a COMMIT is where a frozen server held the pass.

#include "InstanciasFalhas.h"

#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "BancoTeste.h"

#include "base/Erros.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "dblayer/LimitesExecucao.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace {

struct TChamada {
    const char* Nome;
    std::function<void(TKoDatabase&)> Executa;
};

void Insere(TKoDatabase& banco, int ordem)
{
    TKoQuery comando;
    comando.SetDatabase(&banco);
    comando.SQL.Add(QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, STATUS) VALUES (:ORDEM, 'CL', 0)"));
    comando.ParamByName(QStringLiteral("ORDEM")).SetAsInteger(ordem);
    comando.ExecSQL();
}

// How the connection reaches the server.
enum class TVia { Nativa, Odbc };

void Abre(TKoDatabase& banco, TVia via, const QString& base, const QString& dsn)
{
    if (via == TVia::Nativa) {
        ApoioMonitor::AbrePostgres(banco, base);
        return;
    }
    banco.SetDriverName(QStringLiteral("PG"));
    banco.SetDatabaseName(QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=") + dsn);
    banco.User = AmbienteTeste::pgUsuario();
    banco.Password = AmbienteTeste::pgSenha();
    banco.Open();
}

class PostgresCongelado : public ::testing::TestWithParam<std::tuple<TVia, TChamada>> {};

// Thaws the server when the test leaves the scope, or on its own after a
// minute, so that a call that would wait for ever still ends; whether it had
// to is what the test then asks.
class TDescongelaAoSair {
public:
    TDescongelaAoSair()
        : FSalvaguarda([this] {
              std::unique_lock trava(FMutex);
              if (!FSinal.wait_for(trava, std::chrono::seconds(60), [this] { return FSaindo; })) {
                  FbDescongelouAntes = true;
                  InstanciasFalhas().Descongela(QStringLiteral("postgres"));
              }
          })
    {
    }
    ~TDescongelaAoSair()
    {
        {
            std::lock_guard trava(FMutex);
            FSaindo = true;
        }
        FSinal.notify_one();
        FSalvaguarda.join();
        InstanciasFalhas().Descongela(QStringLiteral("postgres"));
    }
    // The call ended only because the server was let go.
    bool DescongelouAntes() const { return FbDescongelouAntes; }

private:
    std::mutex FMutex;
    std::condition_variable FSinal;
    bool FSaindo = false;
    std::atomic<bool> FbDescongelouAntes{false};
    std::thread FSalvaguarda;
};

TEST_P(PostgresCongelado, ChamadaTerminaEConexaoContaComoPerdida)
{
    ASSERT_TRUE(InstanciasProntas());
    const QString base = BancoTeste::criaPostgres(QStringLiteral("congelado"), {QStringLiteral("erp_postgres.sql")});
    TLimitesExecucao limites;
    limites.OutrosMs = 1000;
    limites.ConfereConexaoMs = 1000;
    limites.FolgaSemRespostaMs = 1000;
    const TLimitesDeTeste curtos(limites);

    const auto [via, chamada] = GetParam();
    const QString dsn = via == TVia::Odbc ? BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico(QStringLiteral("dsn")), base)
                                          : QString();
    TKoDatabase banco;
    Abre(banco, via, base, dsn);
    Insere(banco, 1);  // a transaction is open on the server

    QElapsedTimer relogio;
    bool descongelouAntes = false;
    {
        const TDescongelaAoSair descongela;
        InstanciasFalhas().Congela(QStringLiteral("postgres"));
        relogio.start();
        try {
            chamada.Executa(banco);
        } catch (const EDatabaseError&) {
            // the call failed, as it must: whether it raises is the caller's API
        }
        descongelouAntes = descongela.DescongelouAntes();
    }
    const qint64 decorridos = relogio.elapsed();
    EXPECT_FALSE(descongelouAntes) << "the call waited on the frozen server until it was let go";
    EXPECT_LT(decorridos, 10000) << "the call waited on the frozen server";
    EXPECT_TRUE(banco.Perdida());

    banco.Close();
    banco.Open();
    Insere(banco, 2);
    banco.CommitRetaining();
    banco.Close();
}

INSTANTIATE_TEST_SUITE_P(
    Chamadas, PostgresCongelado,
    ::testing::Combine(
        ::testing::Values(TVia::Nativa, TVia::Odbc),
        ::testing::Values(TChamada{"Comando", [](TKoDatabase& banco) { Insere(banco, 3); }},
                          TChamada{"Commit", [](TKoDatabase& banco) { banco.CommitRetaining(); }},
                          TChamada{"VerificacaoDaConexao", [](TKoDatabase& banco) { banco.ConfereConexao(); }})),
    [](const ::testing::TestParamInfo<std::tuple<TVia, TChamada>>& caso) {
        return std::string(std::get<0>(caso.param) == TVia::Nativa ? "Nativa" : "Odbc")
            + std::get<1>(caso.param).Nome;
    });

} // namespace
