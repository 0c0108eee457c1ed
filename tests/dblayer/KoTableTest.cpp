// The table component over QX_INTEGRA as the window uses it: filter, index
// list, key marking once, appending and the errors of posting.
#include "BancoTeste.h"

#include "base/Erros.h"
#include "dblayer/KoDatabase.h"
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
    EXPECT_THROW(outra.Open(), EDatabaseError);
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

} // namespace
