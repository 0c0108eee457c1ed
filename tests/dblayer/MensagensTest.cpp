// Server messages reach the caller in their own words: a key value with
// accents comes back as it was stored, never decoded in the wrong
// character set.
#include "AmbienteTeste.h"
#include "ConexoesDeTeste.h"

#include "base/Erros.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/KoQuery.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

class Mensagens : public testing::TestWithParam<Servidor> {};

TEST_P(Mensagens, ValorDaChaveDuplicadaComAcentosChegaInteiro)
{
    const BancoDeTeste banco = CriaBancoDeTeste(GetParam());
    ExecutaFora(banco, "CREATE UNIQUE INDEX T_NOME ON T (NOME)");
    const QString pasta = AmbienteTeste::pastaTemporaria() + "/" + AmbienteTeste::nomeUnico("exe");
    QDir().mkpath(pasta);
    DefinePastaDoExecutavel(pasta);
    auto db = AbreKoDatabase(banco);
    TKoQuery q;
    q.SetDatabase(db.get());
    q.SQL.Add("INSERT INTO T (ID, NOME) VALUES (:ID, :NOME)");
    q.ParamByName("ID").SetAsInteger(1);
    q.ParamByName("NOME").SetAsString(QString::fromUtf8("ação"));
    q.ExecSQL();
    db->CommitRetaining();
    q.ParamByName("ID").SetAsInteger(2);
    try {
        q.TryExecSQL();
        FAIL() << "a chave repetida foi aceita";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QString::fromUtf8("ação"))) << e.Message().toStdString();
        EXPECT_FALSE(e.Message().contains(QString::fromUtf8("Ã"))) << e.Message().toStdString();
    }
    DefinePastaDoExecutavel({});
}

INSTANTIATE_TEST_SUITE_P(Servidores, Mensagens,
                         testing::Values(Servidor::FirebirdLocal, Servidor::FirebirdServidor, Servidor::Postgres,
                                         Servidor::OdbcPostgres),
                         NomeDoParametro);

} // namespace
