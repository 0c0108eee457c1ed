// A PostgreSQL server frozen (SIGSTOP) in the middle of a transaction keeps
// its connections open and answers nothing: no limit of its own runs. Every
// call that reaches it still ends, past its limit and the margin, with the
// connection counted as lost, and the connection opens again once the
// server goes on.

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

#include <functional>

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

class PostgresCongelado : public ::testing::TestWithParam<TChamada> {};

// Thaws the server whatever the test does.
class TDescongelaAoSair {
public:
    ~TDescongelaAoSair() { InstanciasFalhas().Descongela(QStringLiteral("postgres")); }
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

    TKoDatabase banco;
    ApoioMonitor::AbrePostgres(banco, base);
    Insere(banco, 1);  // a transaction is open on the server

    QElapsedTimer relogio;
    {
        const TDescongelaAoSair descongela;
        InstanciasFalhas().Congela(QStringLiteral("postgres"));
        relogio.start();
        try {
            GetParam().Executa(banco);
        } catch (const EDatabaseError&) {
            // the call failed, as it must: whether it raises is the caller's API
        }
    }
    const qint64 decorridos = relogio.elapsed();
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
    ::testing::Values(TChamada{"Comando", [](TKoDatabase& banco) { Insere(banco, 3); }},
                      TChamada{"Commit", [](TKoDatabase& banco) { banco.CommitRetaining(); }},
                      TChamada{"VerificacaoDaConexao", [](TKoDatabase& banco) { banco.ConfereConexao(); }}),
    [](const ::testing::TestParamInfo<TChamada>& caso) { return std::string(caso.param.Nome); });

} // namespace
