#include "integracoes/bruma/LinhaOB.h"
#include "integracoes/bruma/NumeroOB.h"
#include "base/ListaLinhas.h"
#include "dblayer/KoQuery.h"
#include "dblayer/ParametrosSQL.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

TEST(NumeroOB, CompletaOitoPosicoes)
{
    EXPECT_EQ(NumeroOB("4711"), "4711    ");
    EXPECT_EQ(NumeroOB(""), "        ");
    EXPECT_EQ(NumeroOB("12345678"), "12345678");
    EXPECT_EQ(NumeroOB("123456789"), "123456789");
}

// Every column of the INSERT gets the parameter of its own name, in its own
// place, and the row sets a value for each parameter the statement names.
TEST(LinhaOB, CadaColunaTemSeuParametroDefinido)
{
    TListaLinhas sql;
    AdicionaInsertOB(sql);
    const QRegularExpression forma(
        QStringLiteral(R"(^\s*INSERT INTO OB\s*\(([^)]*)\)\s*VALUES\s*\(([^)]*)\)\s*$)"));
    const QRegularExpressionMatch partes = forma.match(sql.Text());
    ASSERT_TRUE(partes.hasMatch()) << sql.Text().toStdString();

    auto itens = [](const QString& lista) {
        QStringList nomes;
        for (const QString& item : lista.split(QLatin1Char(',')))
            nomes << item.trimmed();
        return nomes;
    };
    const QStringList colunas = itens(partes.captured(1));
    const QStringList valores = itens(partes.captured(2));
    ASSERT_EQ(colunas.size(), valores.size());
    for (qsizetype i = 0; i < colunas.size(); ++i)
        EXPECT_EQ(valores[i], QLatin1Char(':') + colunas[i]) << "coluna " << i;

    TLinhaOB linha;
    linha.NumeroOB = QStringLiteral("4711    ");
    linha.Pecas = 3;
    linha.Maquina = linha.Cliente = linha.Encadeamento = linha.Cor = QStringLiteral("x");
    linha.Peso = 12.5;
    linha.DataProg = linha.DataInicio = linha.DataFim = QDateTime::currentDateTime();
    linha.Receitas.fill(QStringLiteral("R"));
    TKoQuery comando;
    DefineParametrosOB(comando, linha);
    for (const QString& nome : NomesParametros(sql.Text()))
        EXPECT_FALSE(comando.ParamByName(nome).Value().isNull()) << nome.toStdString();
}

TEST(LinhaOB, ContaSoAsReceitasNaoVazias)
{
    EXPECT_EQ((TEncadeamento{{"A", "B", "", "", ""}}).TotalReceitas(), 2);
    EXPECT_EQ((TEncadeamento{{"", "", "", "", ""}}).TotalReceitas(), 0);
    EXPECT_EQ((TEncadeamento{{" ", "", "C", "", "E"}}).TotalReceitas(), 3);  // a blank name counts
}
