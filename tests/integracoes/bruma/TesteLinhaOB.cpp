#include "integracoes/bruma/LinhaOB.h"
#include "integracoes/bruma/TextoSql.h"
#include "base/ListaLinhas.h"

#include <gtest/gtest.h>

TEST(TextoSql, LiteralDobraAsAspas)
{
    const std::pair<QString, QString> casos[] = {
        {"", "''"}, {"AZUL", "'AZUL'"}, {"O'Brien", "'O''Brien'"}, {"''", "''''''"},
        {"x'); DROP TABLE OB; --", "'x''); DROP TABLE OB; --'"},
    };
    for (const auto& [texto, literal] : casos)
        EXPECT_EQ(LiteralSql(texto), literal) << texto.toStdString();
}

TEST(TextoSql, NumeroOBCompletaOitoPosicoes)
{
    EXPECT_EQ(NumeroOB("4711"), "4711    ");
    EXPECT_EQ(NumeroOB(""), "        ");
    EXPECT_EQ(NumeroOB("12345678"), "12345678");
    EXPECT_EQ(NumeroOB("123456789"), "123456789");
}

TEST(TextoSql, AparaSoCaracteresDeControleEBrancos)
{
    EXPECT_EQ(Apara(QStringLiteral(" \t\r\n\x01M01 \x1f")), "M01");
    EXPECT_EQ(Apara(QStringLiteral("   ")), "");
    EXPECT_EQ(Apara(QString(QChar(0xA0)) + "M"), QString(QChar(0xA0)) + "M");
}

TEST(LinhaOB, InsertComUmValorPorLinha)
{
    TLinhaOB linha;
    linha.NumeroOB = "4711    ";
    linha.Pecas = "22";
    linha.Maquina = "M'1";
    linha.Cliente = "O'Brien";
    linha.Peso = "220.75";
    linha.Encadeamento = "AZUL";
    linha.Cor = "AZUL";
    linha.Rgb = 16711680;
    linha.Posicao = 4;
    linha.DataProg = "1/2/25 10:11:12";
    linha.DataInicio = "1/2/25 10:11:13";
    linha.DataFim = "1/2/25 10:11:14";
    linha.TotalReceitas = 2;
    linha.Receitas = {"PRE", "TINGE", "", "", ""};
    linha.TempoProg = 90;

    TListaLinhas sql;
    AdicionaInsertOB(sql, linha);

    const QStringList esperado{
        "INSERT INTO OB ",
        "(NUMEROOB, PECAS, MAQUINA, CLIENTE, PESO, ENCADEAMENTO, COR, RGB, ",
        "STATUSTERMINO, POSICAO, DATAPROG, DATAINICIO, DATAFIM, ",
        "TOTALRECEITAS, RECEITA01, RECEITA02, RECEITA03, RECEITA04, RECEITA05, TEMPOTOTAL, TEMPOPROG) ",
        "VALUES",
        "('4711    '", ",'22'", ",'M''1'", ",'O''Brien'", ",'220.75'", ",'AZUL'", ",'AZUL'", ",16711680",
        ",'0'", ",4", ",'1/2/25 10:11:12'", ",'1/2/25 10:11:13'", ",'1/2/25 10:11:14'", ",'2'",
        ",'PRE'", ",'TINGE'", ",''", ",''", ",''", ",0", ",90)",
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
