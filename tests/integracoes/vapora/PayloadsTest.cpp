// The production order and the machine programme of a lot, built from the
// ERP and received by the test service, with the switches of [Vapora].
#include "ArvoreXml.h"
#include "FilaVaporaTeste.h"

#include <algorithm>

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

// Machines 12 (bath ratio 8; for the variant ALG its capacity's 5, for PES
// 0), 13 (no bath) and 16 (6). Lot 4711 has two items and its
// consumptions use bath 10; 4712 is of the variant PES and its item has no
// graph; 4713 is on the machine without a bath; 4714 has no items; 4715
// weighs 100.013 with consumptions on bath 9 and machine 16.
const char* const SqlLotesOP = R"(
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B0', 0);
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B5', 5);
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B6', 6);
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B8', 8);
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B9', 9);
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B10', 10);
INSERT INTO MAQ_TIN_001 (CODIGO, TIPO, RELAC_BANHO) VALUES ('12', '7', 'B8');
INSERT INTO MAQ_TIN_001 (CODIGO, TIPO, RELAC_BANHO) VALUES ('13', 'JET', NULL);
INSERT INTO MAQ_TIN_001 (CODIGO, TIPO, RELAC_BANHO) VALUES ('16', '3', 'B6');
INSERT INTO MAQ_TIN_CAP_001 (MAQUINA, VARIANTE, RELAC_BANHO) VALUES ('12', 'ALG', 'B5');
INSERT INTO MAQ_TIN_CAP_001 (MAQUINA, VARIANTE, RELAC_BANHO) VALUES ('12', 'PES', 'B0');
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('4711', 'AZUL-MARINHO', '12', '345', 'ALG');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO) VALUES ('4711', 1, 'MEIA-MALHA-30', 100, 10);
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO) VALUES ('4711', 2, 'PIQUET', 40, 4);
INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, GRAFICO) VALUES ('4711', 1, '01', 'G1');
INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, GRAFICO) VALUES ('4711', 2, '01', 'G2');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, CODIGO, CONSUMO, UNIDADE, BANHO) VALUES ('4711', 1, 'M1', 1, 'KG', 'B10');
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('4712', 'VERDE', '12', 'C9', 'PES');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO) VALUES ('4712', 1, 'RIB', 16, 2);
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, CODIGO, CONSUMO, UNIDADE, BANHO) VALUES ('4712', 1, 'M1', 1, 'KG', 'B10');
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('4713', 'PRETO', '13', '1', 'ALG');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO) VALUES ('4713', 1, 'RIB', 10, 1);
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('4714', 'AZUL', '12', '1', 'ALG');
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('4715', 'AZUL', '16', '2', 'ALG');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO) VALUES ('4715', 1, 'RIB', 100.013, 3);
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, CODIGO, CONSUMO, UNIDADE, BANHO) VALUES ('4715', 1, 'M1', 1, 'KG', 'B9');
)";

const QString Item4711a = S("itens{cdAuxArtigo=MEIA-MALHA, cdAuxTipoFio=ALG, peso=%1, quantidade=10}");
const QString Item4711b = S("itens{cdAuxArtigo=PIQUET, cdAuxTipoFio=ALG, peso=%1, quantidade=4}");

QString OP(const QString& campos) { return S("GerarOPWS.gerarOP(op{") + campos + S("})"); }

TEST_F(FilaVapora, OPLevaOsItensDoLoteComPesosEscaladosEOGraficoDoUltimo)
{
    Prepara(S(SqlLotesOP));
    InsereFila({{1, "OP", "S", S("4711"), S("ordem")}, {2, "OP", "S", S("4712")}, {3, "OP", "S", S("4713")},
                {4, "OP", "S", S("4714")}});

    RodaPasso();

    EXPECT_EQ(Chamadas(),
              QStringList({OP(S("cdAuxCor=AZUL-MARIN, cdCliente=345, cdGrupoMaquina=7, ") + Item4711a.arg("125.0")
                              + S(", ") + Item4711b.arg("50.0")
                              + S(", opInterna=4711, referenciaSubprocesso=G2, reprocesso=false")),
                           OP(S("cdAuxCor=VERDE, cdCliente=0, cdGrupoMaquina=7, itens{cdAuxArtigo=RIB, "
                                "cdAuxTipoFio=PES, peso=20.0, quantidade=2}, opInterna=4712, "
                                "referenciaSubprocesso=, reprocesso=false")),
                           // No items: an empty order, all the same.
                           OP(S("cdAuxCor=, cdCliente=0, cdGrupoMaquina=0, opInterna=, referenciaSubprocesso=, "
                                "reprocesso=false"))}));
    EXPECT_EQ(FRelator.Linhas, QStringList({S("Grava FAL - 4711"), S("Grava FAL - 4712"),
                                            S("Erro na geração da OP - 4713 - "), S("Grava FAL - ")}));
    // A machine without a bath ratio: the weight's divisor is zero.
    ASSERT_EQ(FRelator.Mensagens.size(), 1);
    EXPECT_TRUE(FRelator.Mensagens[0].startsWith(S("Erro na geração da OP - 4713 -  Divisão por zero")))
        << FRelator.Mensagens[0].toStdString();
    EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:1", "3:2", "4:1"}));
}

TEST_F(FilaVapora, OPPorVarianteDividePelaCapacidadePositivaESemGrafico)
{
    EscreveIni(QStringLiteral("PorVariante=S\nEnviarGrafico=N\n"));
    Prepara(S(SqlLotesOP));
    InsereFila({{1, "OP", "S", S("4711")}, {2, "OP", "S", S("4712")}});

    RodaPasso();

    EXPECT_EQ(Chamadas(),
              QStringList({OP(S("cdAuxCor=AZUL-MARIN, cdCliente=345, cdGrupoMaquina=7, ") + Item4711a.arg("200.0")
                              + S(", ") + Item4711b.arg("80.0") + S(", opInterna=4711, reprocesso=false")),
                           // The capacity's ratio is 0: the machine's is used.
                           OP(S("cdAuxCor=VERDE, cdCliente=0, cdGrupoMaquina=7, itens{cdAuxArtigo=RIB, "
                                "cdAuxTipoFio=PES, peso=20.0, quantidade=2}, opInterna=4712, reprocesso=false"))}));
    EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:1"}));
}

// Peso x ratio / ratio is worked out with a 64-bit mantissa and rounded
// once: here that differs from doing it in doubles.
TEST_F(FilaVapora, PesoEhOQuocienteEmPrecisaoEstendida)
{
    const double peso = 100.013;
    const double esperado = static_cast<double>(static_cast<long double>(peso) * 9 / 6);
    ASSERT_NE(esperado, peso * 9.0 / 6.0) << "os valores do teste não distinguem as precisões";
    Prepara(S(SqlLotesOP));
    InsereFila({{1, "OP", "S", S("4715")}});

    RodaPasso();

    const QList<TPedidoRecebido> chamadas = Servico().Chamadas();
    ASSERT_EQ(chamadas.size(), 1);
    const TNoXml item = OperacaoDoEnvelope(chamadas[0].Corpo).Filho(QStringLiteral("op")).Filho(QStringLiteral("itens"));
    bool ok = false;
    EXPECT_EQ(item.Filho(QStringLiteral("peso")).Texto.toDouble(&ok), esperado);
    EXPECT_TRUE(ok);
}

// Machine 14: bath ratio 10, for the variant ALG capacity 5. Lot 4711:
// consumptions with order numbers 10, 10, 20, 30, 30 (and some that are not
// sent: no unit, nothing consumed); 4712 (variant PES, no capacity): steps
// empty, missing and 7; 4713: a step that is not a number; 4714: nothing.
const char* const SqlConsumos = R"(
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B5', 5);
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B10', 10);
INSERT INTO MAQ_TIN_001 (CODIGO, TIPO, RELAC_BANHO) VALUES ('14', '7', 'B10');
INSERT INTO MAQ_TIN_CAP_001 (MAQUINA, VARIANTE, RELAC_BANHO) VALUES ('14', 'ALG', 'B5');
INSERT INTO MATERIAL_001 (CODIGO, CONCENTRACAO) VALUES ('M1', 1.5);
INSERT INTO MATERIAL_001 (CODIGO, CONCENTRACAO) VALUES ('M2', 100);
INSERT INTO FAL_001 (NUMERO, MAQUINA, VARIANTE) VALUES ('4711', '14', 'ALG');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 30, '3', 'M2', 3, 'KG', 'B10', '1');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 10, '1', 'M1', 2.5, 'KG', 'B10', '1');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 20, '2', 'M1', 1, 'KG', 'B10', NULL);
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 10, '1', 'M2', 0.75, '%', 'B10', '0');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 30, '3', 'M1', 4, 'KG', 'B10', '2');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 40, '4', 'M1', 5, '', 'B10', '1');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 50, '5', 'M1', 6, NULL, 'B10', '1');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 60, '6', 'M1', 0, 'KG', 'B10', '1');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 70, '7', 'M1', NULL, 'KG', 'B10', '1');
INSERT INTO FAL_001 (NUMERO, MAQUINA, VARIANTE) VALUES ('4712', '14', 'PES');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4712', 1, '', 'M1', 1, 'KG', 'B10', '1');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4712', 2, NULL, 'M1', 1, 'KG', 'B10', '1');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4712', 3, '7', 'M2', 2, 'KG', 'B10', '0');
INSERT INTO FAL_001 (NUMERO, MAQUINA, VARIANTE) VALUES ('4713', '14', 'ALG');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4713', 1, 'x', 'M1', 1, 'KG', 'B10', '1');
INSERT INTO FAL_001 (NUMERO, MAQUINA, VARIANTE) VALUES ('4714', '14', 'ALG');
)";

// A programme as received: its fields but the products, and the products
// apart, sorted (consumptions of one order number come in no fixed order).
struct TProgramaRecebido {
    QString campos;
    QStringList produtos;
};

QList<TProgramaRecebido> ProgramasRecebidos(const QList<TPedidoRecebido>& chamadas)
{
    QList<TProgramaRecebido> programas;
    for (const TPedidoRecebido& chamada : chamadas) {
        TNoXml programa = OperacaoDoEnvelope(chamada.Corpo).Filho(QStringLiteral("programacao"));
        TProgramaRecebido recebido;
        for (const TNoXml* produto : programa.FilhosChamados(QStringLiteral("produtos")))
            recebido.produtos << Resumo(*produto);
        programa.Filhos.removeIf([](const TNoXml& filho) { return filho.Nome == QLatin1String("produtos"); });
        recebido.campos = Resumo(programa);
        std::sort(recebido.produtos.begin(), recebido.produtos.end());
        programas << recebido;
    }
    return programas;
}

QStringList Ordenada(QStringList lista)
{
    std::sort(lista.begin(), lista.end());
    return lista;
}

QString Produto(bool automatico, const char* codigo, const char* intensidade, const char* peso, int sequencia,
                const char* volume)
{
    return QStringLiteral("automatico=%1, cdAuxProduto=%2, intensidade=%3, peso=%4, seqPreparacao=%5, volume=%6")
        .arg(automatico ? "true" : "false", codigo, intensidade, peso)
        .arg(sequencia)
        .arg(volume);
}

TEST_F(FilaVapora, ProgramaNumeraAsPreparacoesPelaOrdemDosConsumos)
{
    Prepara(S(SqlConsumos));
    InsereFila({{1, "PG", "S", S("4711")}});

    RodaPasso();

    const QList<TProgramaRecebido> programas = ProgramasRecebidos(Servico().Chamadas());
    ASSERT_EQ(programas.size(), 1);
    // Without the key podeIniciar nor Passo: no start permission, no auxiliary machine.
    EXPECT_EQ(programas[0].campos, S("cdMaquina=14, opInternas=4711, seqProgramacao=999"));
    EXPECT_EQ(programas[0].produtos, Ordenada({Produto(true, "M1", "1.5", "2.5", 1, "25.0"),
                                               Produto(false, "M2", "100.0", "0.75", 1, "7.5"),
                                               Produto(false, "M1", "1.5", "1.0", 2, "10.0"),
                                               Produto(true, "M2", "100.0", "3.0", 3, "30.0"),
                                               Produto(false, "M1", "1.5", "4.0", 3, "40.0")}));
    EXPECT_EQ(FRelator.Linhas, QStringList({S("Grava Programação FAL - 4711")}));
    EXPECT_EQ(StatusFila(), QStringList({"1:1"}));
}

TEST_F(FilaVapora, ProgramaComPassoPorVarianteEPodeIniciar)
{
    EscreveIni(QStringLiteral("Passo=S\nPorVariante=S\npodeIniciar=S\n"));
    Prepara(S(SqlConsumos));
    InsereFila({{1, "PG", "S", S("4711")}, {2, "PG", "S", S("4712")}, {3, "PG", "S", S("4713")}});

    RodaPasso();

    const QList<TProgramaRecebido> programas = ProgramasRecebidos(Servico().Chamadas());
    ASSERT_EQ(programas.size(), 2);
    const QString campos = S("cdMaquina=14, cdAuxMaquina=14, opInternas=%1, seqProgramacao=999, podeIniciar=true");
    EXPECT_EQ(programas[0].campos, campos.arg("4711"));
    // The step is the preparation number; the volume uses the capacity's ratio.
    EXPECT_EQ(programas[0].produtos, Ordenada({Produto(true, "M1", "1.5", "2.5", 1, "12.5"),
                                               Produto(false, "M2", "100.0", "0.75", 1, "3.75"),
                                               Produto(false, "M1", "1.5", "1.0", 2, "5.0"),
                                               Produto(true, "M2", "100.0", "3.0", 3, "15.0"),
                                               Produto(false, "M1", "1.5", "4.0", 3, "20.0")}));
    // Only the consumption with a step; no capacity for the variant: the machine's ratio.
    EXPECT_EQ(programas[1].campos, campos.arg("4712"));
    EXPECT_EQ(programas[1].produtos, QStringList({Produto(false, "M2", "100.0", "2.0", 7, "20.0")}));
    EXPECT_EQ(FRelator.Linhas, QStringList({S("Grava Programação FAL - 4711"), S("Grava Programação FAL - 4712"),
                                            S("Erro na geração da Programação - 4713 - ")}));
    EXPECT_EQ(FRelator.Mensagens,
              QStringList({S("Erro na geração da Programação - 4713 -  'x' is not a valid integer value")}));
    EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:1", "3:2"}));
}

TEST_F(FilaVapora, ProgramaSemConsumosComPodeIniciarVazioLevaFalso)
{
    EscreveIni(QStringLiteral("podeIniciar=\n"));
    Prepara(S(SqlConsumos));
    InsereFila({{1, "PG", "S", S("4714")}});

    RodaPasso();

    EXPECT_EQ(Chamadas(), QStringList({S("ProgramacaoWS.programar(programacao{cdMaquina=0, opInternas=, "
                                         "seqProgramacao=999, podeIniciar=false})")}));
    EXPECT_EQ(FRelator.Linhas, QStringList({S("Grava Programação FAL - ")}));
}

// The lot number reaches the server as a bound value, as it is: the
// statement's translation (which turns DESCENDING into DESC, inside quotes
// too) never sees it.
TEST_F(FilaVapora, NumeroDoLoteVaiComoParametroIntacto)
{
    Prepara(S(SqlConsumos) + S(R"(
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('O''DESCENDING', 'AZUL', '14', '5', 'ALG');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO) VALUES ('O''DESCENDING', 1, 'RIB', 30, 3);
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('O''DESCENDING', 1, '1', 'M1', 2, 'KG', 'B5', '1');
)"));
    InsereFila({{1, "OP", "S", S("O'DESCENDING")}, {2, "PG", "S", S("O'DESCENDING")}});

    RodaPasso();

    EXPECT_EQ(Chamadas(), QStringList({OP(S("cdAuxCor=AZUL, cdCliente=5, cdGrupoMaquina=7, itens{cdAuxArtigo=RIB, "
                                            "cdAuxTipoFio=ALG, peso=15.0, quantidade=3}, opInterna=O'DESCENDI, "
                                            "referenciaSubprocesso=, reprocesso=false")),
                                         S("ProgramacaoWS.programar(programacao{cdMaquina=14, opInternas=O'DESCENDING, "
                                           "produtos{") + Produto(true, "M1", "1.5", "2.0", 1, "20.0")
                                             + S("}, seqProgramacao=999})")}));
    EXPECT_EQ(FRelator.Linhas, QStringList({S("Grava FAL - O'DESCENDING"), S("Grava Programação FAL - O'DESCENDING")}));
}

} // namespace
