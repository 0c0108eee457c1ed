#include "integracoes/bruma/LinhaOB.h"
#include "integracoes/bruma/TextoSql.h"
#include "base/ListaLinhas.h"

#include <gtest/gtest.h>

TEST(TextoSql, NumeroOBCompletaOitoPosicoes)
{
    EXPECT_EQ(NumeroOB("4711"), "4711    ");
    EXPECT_EQ(NumeroOB(""), "        ");
    EXPECT_EQ(NumeroOB("12345678"), "12345678");
    EXPECT_EQ(NumeroOB("123456789"), "123456789");
}

TEST(LinhaOB, InsertComUmParametroPorLinha)
{
    TListaLinhas sql;
    AdicionaInsertOB(sql);

    const QStringList esperado{
        "INSERT INTO OB ",
        "(NUMEROOB, PECAS, MAQUINA, CLIENTE, PESO, ENCADEAMENTO, COR, RGB, ",
        "STATUSTERMINO, POSICAO, DATAPROG, DATAINICIO, DATAFIM, ",
        "TOTALRECEITAS, RECEITA01, RECEITA02, RECEITA03, RECEITA04, RECEITA05, TEMPOTOTAL, TEMPOPROG) ",
        "VALUES",
        "(:NUMEROOB", ",:PECAS", ",:MAQUINA", ",:CLIENTE", ",:PESO", ",:ENCADEAMENTO", ",:COR", ",:RGB",
        ",:STATUSTERMINO", ",:POSICAO", ",:DATAPROG", ",:DATAINICIO", ",:DATAFIM", ",:TOTALRECEITAS",
        ",:RECEITA01", ",:RECEITA02", ",:RECEITA03", ",:RECEITA04", ",:RECEITA05", ",:TEMPOTOTAL", ",:TEMPOPROG)",
    };
    ASSERT_EQ(sql.Count(), esperado.size());
    for (int i = 0; i < sql.Count(); ++i)
        EXPECT_EQ(sql[i], esperado[i]) << "linha " << i;
}

TEST(LinhaOB, ContaSoAsReceitasNaoVazias)
{
    EXPECT_EQ((TEncadeamento{{"A", "B", "", "", ""}}).TotalReceitas(), 2);
    EXPECT_EQ((TEncadeamento{{"", "", "", "", ""}}).TotalReceitas(), 0);
    EXPECT_EQ((TEncadeamento{{" ", "", "C", "", "E"}}).TotalReceitas(), 3);  // a blank name counts
}
