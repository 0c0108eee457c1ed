// The table component over QX_INTEGRA as the window uses it: filter, index
// list, key marking once, appending and the errors of posting.
#include "BancoTeste.h"
#include "ConexoesDeTeste.h"

#include "base/Erros.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "dblayer/KoTable.h"

#include <gtest/gtest.h>

namespace {

class KoTableQxIntegra : public testing::Test {
protected:
    void SetUp() override
    {
        const QString caminho = BancoTeste::criaFirebirdLocal("tabela", {"erp_firebird.sql"});
        BancoTeste::executaSqlFirebird(
            caminho,
            "INSERT INTO QX_INTEGRA (TIPO, OPERACAO, CAMPO1, ORDEM, STATUS) VALUES ('CL', 'I', 'B', 2, 0);"
            "INSERT INTO QX_INTEGRA (TIPO, OPERACAO, CAMPO1, ORDEM, STATUS) VALUES ('CL', 'I', 'A', 1, 0);"
            "INSERT INTO QX_INTEGRA (TIPO, OPERACAO, CAMPO1, ORDEM, STATUS) VALUES ('CL', 'I', 'C', 3, 1);"
            "INSERT INTO QX_INTEGRA (TIPO, OPERACAO, CAMPO1, ORDEM, STATUS) VALUES ('CL', 'I', 'D', 4, NULL);");
        db.SetDriverName("FB");
        db.SetDatabaseName(caminho);
        db.User = "SYSDBA";
        db.Open();
        tabela.SetDatabase(&db);
        tabela.TableName = "QX_INTEGRA";
    }

    TKoDatabase db;
    TKoTable tabela;
};

TEST_F(KoTableQxIntegra, FiltroEOrdemDoIndice)
{
    tabela.IndexFieldNames = "ORDEM ASC";
    tabela.CamposPersistentes = {"ORDEM", "CAMPO1"};
    tabela.Filter = "STATUS = 0";
    tabela.Filtered = true;
    tabela.Open();
    EXPECT_EQ(tabela.IndexFieldNames, "ORDEM");
    ASSERT_EQ(tabela.RecordCount(), 2);  // an empty STATUS is not 0
    EXPECT_EQ(tabela.FieldValue(0, "CAMPO1").toString(), "A");
    EXPECT_EQ(tabela.FieldValue(1, "CAMPO1").toString(), "B");
    EXPECT_EQ(tabela.CamposChave(), QSet<QString>{"ORDEM"});

    tabela.Close();
    tabela.Filtered = false;
    tabela.Open();
    EXPECT_EQ(tabela.RecordCount(), 4);
}

TEST_F(KoTableQxIntegra, ChavesMarcadasUmaVezPorComponente)
{
    tabela.IndexFieldNames = "ORDEM;CAMPO1";
    tabela.CamposPersistentes = {"ORDEM", "CAMPO1", "TIPO"};
    tabela.Open();
    EXPECT_EQ(tabela.CamposChave(), (QSet<QString>{"ORDEM", "CAMPO1"}));
    tabela.Close();
    tabela.IndexFieldNames = "TIPO";
    tabela.Open();
    EXPECT_EQ(tabela.CamposChave(), (QSet<QString>{"ORDEM", "CAMPO1"}));

    TKoTable outra;
    outra.SetDatabase(&db);
    outra.TableName = "QX_INTEGRA";
    outra.IndexFieldNames = "ORDEM; CAMPO1";  // a blank after ";" is part of the name
    outra.CamposPersistentes = {"ORDEM", "CAMPO1"};
    EXPECT_THROW(outra.Open(), EDatabaseError);

    // Without persistent fields the index list orders the rows and marks no key.
    TKoTable semPersistentes;
    semPersistentes.SetDatabase(&db);
    semPersistentes.TableName = "QX_INTEGRA";
    semPersistentes.IndexFieldNames = "ORDEM; CAMPO1";
    EXPECT_NO_THROW(semPersistentes.Open());
    EXPECT_TRUE(semPersistentes.CamposChave().isEmpty());
}

TEST_F(KoTableQxIntegra, AppendNoFimEErroDeGravacao)
{
    tabela.IndexFieldNames = "ORDEM";
    tabela.Open();
    tabela.Append();
    tabela.SetFieldValue("TIPO", "CL");
    tabela.SetFieldValue("OPERACAO", "I");
    tabela.SetFieldValue("CAMPO1", "E");
    tabela.SetFieldValue("ORDEM", 5);
    tabela.SetFieldValue("STATUS", 0);
    tabela.Post();
    db.CommitRetaining();
    tabela.Close();
    tabela.Open();
    EXPECT_EQ(tabela.RecordCount(), 5);
    EXPECT_EQ(tabela.FieldValue(4, "CAMPO1").toString(), "E");

    tabela.Append();
    tabela.SetFieldValue("TIPO", "TEXTO LONGO DEMAIS PARA A COLUNA");
    EXPECT_THROW(tabela.Post(), EDatabaseError);
}

TEST(KoTableSchema, OracleProcuraNoEsquemaDoUsuario)
{
    TKoDatabase db;
    TKoTable tabela;
    db.SetDriverName("Ora");
    db.User = "ERP";
    tabela.SetDatabase(&db);
    EXPECT_EQ(tabela.SchemaName(), "ERP");
    db.User = "  ";
    tabela.SetDatabase(&db);
    EXPECT_EQ(tabela.SchemaName(), "");
    db.SetDriverName("FB");
    db.User = "ERP";
    tabela.SetDatabase(&db);
    EXPECT_EQ(tabela.SchemaName(), "");
}

// The queue view reads on a connection of its own while the cycle runs on
// others: once open it holds no cursor and no transaction on the server.
class KoTableSemTransacao : public testing::TestWithParam<Servidor> {};

TEST_P(KoTableSemTransacao, DepoisDeAbrirNadaFicaPresoNoServidor)
{
    const BancoDeTeste banco = CriaBancoDeTeste(GetParam());
    for (int id = 1; id <= 300; ++id)  // more than one fetch of the model
        ExecutaFora(banco, QString("INSERT INTO T (ID, V) VALUES (%1, 0)").arg(id));
    auto db = AbreKoDatabase(banco);
    QString transacoes;
    if (GetParam() == Servidor::FirebirdServidor || GetParam() == Servidor::Postgres) {
        TKoQuery q;
        q.SetDatabase(db.get());
        q.SQL.Add(GetParam() == Servidor::Postgres ? "SELECT pg_backend_pid() AS ID"
                                                   : "SELECT CURRENT_CONNECTION AS ID FROM RDB$DATABASE");
        q.Open();
        transacoes = GetParam() == Servidor::Postgres
            ? "SELECT COUNT(*) FROM pg_stat_activity WHERE state <> 'idle' AND pid = " + q.FieldByName("ID").AsString()
            : "SELECT COUNT(*) FROM MON$TRANSACTIONS WHERE MON$ATTACHMENT_ID = " + q.FieldByName("ID").AsString();
        db->FinalizaTransacao();
    }
    TKoTable tabela;
    tabela.SetDatabase(db.get());
    tabela.TableName = "T";
    tabela.IndexFieldNames = "ID";
    tabela.Open();
    EXPECT_EQ(tabela.RecordCount(), 300);
    EXPECT_FALSE(db->InTransaction());
    if (!transacoes.isEmpty()) {
        EXPECT_EQ(LeInteiroFora(banco, transacoes), 0);
    }
    // The machine side (or the cycle) writes while the view stays open.
    ExecutaFora(banco, "INSERT INTO T (ID, V) VALUES (301, 0)");
    EXPECT_EQ(LeInteiroFora(banco, "SELECT COUNT(*) FROM T"), 301);
}

INSTANTIATE_TEST_SUITE_P(Servidores, KoTableSemTransacao,
                         testing::Values(Servidor::FirebirdServidor, Servidor::Postgres, Servidor::OdbcSqlite),
                         NomeDoParametro);

} // namespace
