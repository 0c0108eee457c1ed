// RecebeDoEas on real databases: kitchen events posted in FTOHOST (an
// embedded Firebird file) applied to the ERP (embedded Firebird).
#include "EasTeste.h"

#include "BancoTeste.h"

#include "dblayer/Localidade.h"
#include "integracoes/eas/TabelasHost.h"

#include <QDate>
#include <QMap>

namespace {

// A record of `n` fields from the given ones (1-based positions), each
// followed by "|".
QString Registro(const QMap<int, QString>& campos, int n)
{
    QString registro;
    for (int i = 1; i <= n; ++i)
        registro += campos.value(i) + u'|';
    return registro;
}

QString Evento81(const QString& fal, const QString& maquina, const QString& inicio, const QString& fim,
                 const QString& funcionario, const QString& tempo)
{
    return Registro({{1, fal}, {2, QStringLiteral("X")}, {4, maquina}, {5, inicio.left(8)}, {6, inicio.mid(9)},
                     {7, fim.left(8)}, {8, fim.mid(9)}, {18, funcionario}, {20, tempo}},
                    20);
}

QString Consumo(const QString& documento, const QString& material, const QString& quantidade,
                const QString& reserva, const QString& classe)
{
    return Registro({{1, documento}, {4, material}, {7, quantidade}, {11, reserva}, {14, classe}}, 14);
}

} // namespace

TEST_F(EasTeste, Evento80IniciaAFase01DoLote)
{
    Prepara(QStringLiteral(R"(
INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, CONCLUIDO, PENDENTE) VALUES ('1234', 1, '01', 'S', 'N');
INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, CONCLUIDO, PENDENTE) VALUES ('1234', 1, '02', 'S', 'N');
INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, CONCLUIDO, PENDENTE) VALUES ('1235', 1, '01', 'S', 'N');
)"));
    const QString aplicado = QString::fromUtf8("AB0001234|O'Brien|x|Má'q✓|20240315|0730|");
    const QString nr = PostaEvento(QStringLiteral("80"), aplicado);
    const QString lote0 = PostaEvento(QStringLiteral("80"), QStringLiteral("0000000|X|x|M1|20240315|0730|"));
    const QString semCampo2 = PostaEvento(QStringLiteral("80"), QStringLiteral("0001235|  |x|M1|20240315|0730|"));
    const QString dataRuim = PostaEvento(QStringLiteral("80"), QStringLiteral("0001235|X|x|M1|20241345|0730|"));

    FEas->RecebeDoEas();

    EXPECT_EQ(LinhasErp("SELECT FASE, CONCLUIDO, PENDENTE, DATA_INI, HORA_INI, MAQUINA FROM PROCESSO_TIN_001 "
                        "WHERE FAL = '1234' ORDER BY FASE"),
              (QList<QStringList>{{"01", "N", "S", LinhasErp("SELECT CAST('2024-03-15' AS DATE) FROM RDB$DATABASE")[0][0],
                                   "07:30:00", QString::fromUtf8("Má'q✓")},
                                  {"02", "S", "N", "<NULL>", "<NULL>", "<NULL>"}}));
    EXPECT_EQ(ValorErp("SELECT CONCLUIDO FROM PROCESSO_TIN_001 WHERE FAL = '1235'"), "S");
    for (const QString& n : {nr, lote0, semCampo2, dataRuim})
        EXPECT_EQ(Leido(n), "T") << n.toStdString();

    const QStringList linhas = FRelator.Linhas;
    ASSERT_EQ(linhas.size(), 12) << linhas.join('\n').toStdString();
    EXPECT_EQ(linhas[0], QStringLiteral("Lendo Movimento do FTOHOST (80) - FAL: AB0001234 DADOS ") + aplicado);
    EXPECT_EQ(linhas[1], QString::fromUtf8("Grava Movimentos do FTOHOST (80) - FAL: 1234 MAQUINA Má'q✓"));
    EXPECT_EQ(linhas[2], QStringLiteral("Grava Lido no FTOHOST (80) - ") + nr);
    EXPECT_EQ(linhas[4], "Registro Ignorado na Gravação Movimentos do FTOHOST (80): 0000000|X|x|M1|20240315|0730|");
    EXPECT_EQ(linhas[7], "Registro Ignorado na Gravação Movimentos do FTOHOST (80): 0001235|  |x|M1|20240315|0730|");
    EXPECT_TRUE(linhas[10].startsWith(QStringLiteral("ERRO na Gravação Movimentos do FTOHOST (80) - FAL: 1235 MAQUINA M1 Nr. Reg no 80 : ")
                                     + dataRuim + QStringLiteral(" : ")))
        << linhas[10].toStdString();
    EXPECT_TRUE(linhas[10].endsWith(QStringLiteral("Informação do Registro:0001235|X|x|M1|20241345|0730|")));
    EXPECT_EQ(FContexto.FalhasNoCiclo, 1);
}

TEST_F(EasTeste, Evento81FechaAsFasesDoGrupoComTurnoETempo)
{
    // 19 March 2024 is a Tuesday (weekday 3), the 20th a Wednesday.
    Prepara(QStringLiteral(R"(
INSERT INTO FASE_001 (CODIGO, GRUPO) VALUES ('01', '01');
INSERT INTO FASE_001 (CODIGO, GRUPO) VALUES ('02', '01');
INSERT INTO FASE_001 (CODIGO, GRUPO) VALUES ('05', '05');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (3, '1', '06:00:00', '14:00:00');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (3, '2', '22:00:00', '06:00:00');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (3, '3', '23:00:00', '05:00:00');
)"));
    for (const char* fal : {"4711", "4712", "4713", "4714", "4715"})
        for (const char* fase : {"01", "02", "05"})
            ExecutaNoErp(QStringLiteral("INSERT INTO PROCESSO_TIN_001 (FAL, FASE, CONCLUIDO, PENDENTE) VALUES ('%1', '%2', 'N', 'S')")
                             .arg(QLatin1String(fal), QLatin1String(fase)));
    const QString noite = PostaEvento("81", Evento81("0004711", "M1", "20240318 2215", "20240319 0230", "OPER0042", "135"));
    const QString dia = PostaEvento("81", Evento81("0004712", "M2", "20240319 0800", "20240319 1000", "7", ""));
    const QString semTurno = PostaEvento("81", Evento81("0004713", "M3", "20240320 0100", "20240320 0300", "0042", "abc"));
    const QString dataRuim = PostaEvento("81", Evento81("0004714", "M4", "20240319 0800", "20241399 1000", "0042", "60"));
    const QString depois = PostaEvento("81", Evento81("0004715", "M5", "20240319 0800", "20240319 1000", "0042", "6000"));

    FEas->RecebeDoEas();

    const auto processo = [this](const char* fal) {
        return LinhasErp(QStringLiteral("SELECT FASE, CONCLUIDO, PENDENTE, MAQUINA, HORA_INI, HORA_FIN, FUNCIONARIO, "
                                        "TURNO, TEMPO, EXTRACT(DAY FROM DATA_INI), EXTRACT(DAY FROM DATA_FIN), "
                                        "EXTRACT(DAY FROM DATA) FROM PROCESSO_TIN_001 WHERE FAL = '%1' ORDER BY FASE")
                             .arg(QLatin1String(fal)));
    };
    const QStringList aberta{"05", "N", "S", "<NULL>", "<NULL>", "<NULL>", "<NULL>", "<NULL>", "<NULL>",
                             "<NULL>", "<NULL>", "<NULL>"};
    // Both night shifts hold 02:30: the highest one.
    const QStringList fim4711{"S", "N", "M1", "22:15:00", "02:30:00", "0042", "3", "02:15:00", "18", "19", "19"};
    EXPECT_EQ(processo("4711"), (QList<QStringList>{QStringList{"01"} + fim4711, QStringList{"02"} + fim4711, aberta}));
    EXPECT_EQ(processo("4712")[0].mid(1),
              (QStringList{"S", "N", "M2", "08:00:00", "10:00:00", "7", "1", "00:00:00", "19", "19", "19"}));
    EXPECT_EQ(processo("4713")[0].mid(7, 2), (QStringList{"", "00:00:00"}));  // no shift on Wednesdays
    EXPECT_EQ(processo("4714")[0].mid(1, 2), (QStringList{"N", "S"}));
    EXPECT_EQ(processo("4715")[0].mid(1, 2), (QStringList{"S", "N"}));
    EXPECT_EQ(processo("4715")[0][8], "100:00:00");
    for (const QString& n : {noite, dia, semTurno, dataRuim, depois})
        EXPECT_EQ(Leido(n), "T") << n.toStdString();

    EXPECT_TRUE(FRelator.Linhas.contains("Grava Movimentos do FTOHOST (81) - FAL: 4711 MAQUINA M1"));
    const QStringList erros = FRelator.Linhas.filter("ERRO na Gravação Movimentos do FTOHOST (81)");
    ASSERT_EQ(erros.size(), 1);
    EXPECT_TRUE(erros[0].startsWith("ERRO na Gravação Movimentos do FTOHOST (81) - FAL: 4714 MAQUINA M4 Nr. Reg no 81 : "
                                    + dataRuim + " : "))
        << erros[0].toStdString();
    EXPECT_FALSE(erros[0].contains(QStringLiteral("Informação do Registro:")));
}

// A shift lookup that fails closes no phase and leaves the row unread for
// the next cycle, with a line of its own, counted as failed.
TEST_F(EasTeste, Evento81SemConsultaDeTurnoFicaNaoLido)
{
    Prepara(QStringLiteral(R"(
INSERT INTO FASE_001 (CODIGO, GRUPO) VALUES ('01', '01');
INSERT INTO PROCESSO_TIN_001 (FAL, FASE, CONCLUIDO, PENDENTE) VALUES ('4711', '01', 'N', 'S');
)"));
    const QString fim = PostaEvento("81", Evento81("0004711", "M1", "20240319 0800", "20240319 1000", "7", ""));
    ExecutaNoErp(QStringLiteral("DROP TABLE TURNO_HORARIOS_001"));

    FEas->RecebeDoEas();

    EXPECT_EQ(Leido(fim), "F");
    EXPECT_EQ(ValorErp("SELECT CONCLUIDO FROM PROCESSO_TIN_001 WHERE FAL = '4711'"), "N");
    const QStringList erros = FRelator.Linhas.filter("ERRO na preparação Movimentos do FTOHOST (81) - FAL: 4711");
    ASSERT_EQ(erros.size(), 1) << FRelator.Linhas.join('\n').toStdString();
    EXPECT_TRUE(erros[0].contains("Falha na consulta do turno: ")) << erros[0].toStdString();
    EXPECT_EQ(FContexto.FalhasNoCiclo, 1);
}

TEST_F(EasTeste, ConsumosBaixamEstoqueComContadorEntreOsDoisPassos)
{
    QString sql = QStringLiteral(R"(
INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0001', '1');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, PRECO) VALUES ('M001', 'Corante', 'CO', 14);
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, PRECO) VALUES ('M002', 'Sal', 'AX', 1);
INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE) VALUES ('M001', '0', '000000', '0001', 100);
INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE) VALUES ('M002', '0', '000000', '0001', 50);
INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE, PRECO_MED) VALUES ('M001', '0', '000000', '0000', 0, 12.5);
)");
    for (int i = 0; i < 100; ++i)
        sql += QStringLiteral("INSERT INTO MAT_MOV_001 (CODIGO, OPERACAO, ORDEM) VALUES ('X', 'X', %1);\n").arg(i + 1);
    Prepara(sql);
    const QString a = PostaEvento("89", Consumo("ABC0004711", "M001", "150000000", "", "9"));
    const QString b = PostaEvento("89", Consumo("ABC0004711", "M001", "150000000", "", "3"));
    const QString c = PostaEvento("89", Consumo("ABC0004712", "M002", "0", "250000000", "0"));
    const QString d = PostaEvento("82", Consumo("ABC0004713", "M001", "100000000", "", "3"));
    const QString e = PostaEvento("82", Consumo("ABC0004713", "M001", "100000000", "", "9"));

    FEas->RecebeDoEas();

    EXPECT_EQ(LinhasErp("SELECT ORDEM, CODIGO, COR, QTDE, CUSTO, DEPOSITO, GRUPO, NUM_DOCTO, OPERACAO, PRECO, LOTE, "
                        "DESCRICAO, MAQUINA, DT_MOVTO - CURRENT_DATE FROM MAT_MOV_001 WHERE DESCRICAO = 'EAS' ORDER BY ORDEM"),
              (QList<QStringList>{
                  {"101", "M001", "0", "1" + QString(Localidade::SeparadorDecimal()) + "5", "12" + QString(Localidade::SeparadorDecimal()) + "5",
                   "0001", "CO", "0004711", "S", "14", "000000", "EAS", "", "0"},
                  {"102", "M002", "0", "2" + QString(Localidade::SeparadorDecimal()) + "5", "0", "0001", "", "0004712", "S", "0",
                   "000000", "EAS", "", "0"},
                  {"104", "M001", "0", "1", "12" + QString(Localidade::SeparadorDecimal()) + "5", "0001", "CO", "0004713",
                   "S", "14", "000000", "EAS", "", "0"}}));
    EXPECT_EQ(LinhasErp("SELECT CODIGO, QTDE FROM MAT_ITEN_001 WHERE DEPOSITO = '0001' ORDER BY CODIGO"),
              (QList<QStringList>{{"M001", "97" + QString(Localidade::SeparadorDecimal()) + "5"},
                                  {"M002", "47" + QString(Localidade::SeparadorDecimal()) + "5"}}));
    for (const QString& n : {a, b, c, d, e})
        EXPECT_EQ(Leido(n), "T") << n.toStdString();
    EXPECT_EQ(FRelator.Linhas.filter("Processando 82: ").size(), 1);
    EXPECT_TRUE(FRelator.Linhas.contains("Grava Movimentos do FTOHOST (89) (Item) - Material: M001 Partida 0004711"));
    EXPECT_TRUE(FRelator.Linhas.contains("Grava Movimentos do FTOHOST (89) (Movimento) - Material: M002 Partida 0004712"));
    EXPECT_TRUE(FRelator.Linhas.contains("Grava Movimentos do FTOHOST (82) (Movimento) - Material: M001 Partida 0004713"));
    EXPECT_TRUE(FRelator.Linhas.contains("Grava Lido no FTOHOST (89) - " + b));
}

TEST_F(EasTeste, SemEstoqueOsConsumosEsperamNaoLidos)
{
    Prepara(QString());
    FEas->Dados().bGravaEstoque = false;
    const QString consumo = PostaEvento("89", Consumo("ABC0004711", "M001", "150000000", "", "9"));
    const QString inicio = PostaEvento("80", QStringLiteral("0004711|X||M1|20240315|0730|"));
    FEas->RecebeDoEas();
    EXPECT_EQ(Leido(consumo), "F");
    EXPECT_EQ(Leido(inicio), "T");
    EXPECT_EQ(ValorErp("SELECT COUNT(*) FROM MAT_MOV_001"), "0");
}

// A row that cannot be prepared (a quantity that is not a number) is
// reported, counted and left unread, so the consumption is not dropped; the
// rows, passes and export after it go on.
TEST_F(EasTeste, LinhaRuimNaoParaAsSeguintesNemAExportacao)
{
    Prepara(QStringLiteral(R"(
INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0001', '1');
INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE) VALUES ('M001', '0', '000000', '0001', 10);
INSERT INTO PROCESSO_TIN_001 (FAL, FASE) VALUES ('4711', '01');
INSERT INTO ENTIDADE_001 (CODCLI, NOME, ATIVO, TIPO_ENTIDADE) VALUES ('10', 'Cliente', 'S', 'C');
)"));
    const QString ruim = PostaEvento("89", Consumo("ABC0004711", "M001", "quinze|x", "", "9"));
    const QString bom = PostaEvento("89", Consumo("ABC0004712", "M001", "100000000", "", "9"));
    const QString inicio = PostaEvento("80", QStringLiteral("0004711|X||M1|20240315|0730|"));

    RodaCiclo();

    EXPECT_TRUE(FRelator.Linhas.filter("ERRO na Gravação").isEmpty()) << FRelator.Linhas.join('\n').toStdString();
    const QStringList erros = FRelator.Linhas.filter("ERRO na preparação");
    ASSERT_EQ(erros.size(), 1) << FRelator.Linhas.join('\n').toStdString();
    EXPECT_TRUE(erros[0].startsWith("ERRO na preparação Movimentos do FTOHOST (89) (Item) - Material: M001 Partida 0004711 Nr. Reg no 89 : "
                                    + ruim + " : "));
    EXPECT_TRUE(erros[0].endsWith(" (o registro fica para o próximo ciclo)"));
    EXPECT_EQ(Leido(ruim), "F");
    EXPECT_EQ(FContexto.FalhasNoCiclo, 1);
    EXPECT_EQ(Leido(bom), "T");
    EXPECT_EQ(Leido(inicio), "T");
    EXPECT_EQ(ValorErp("SELECT QTDE FROM MAT_ITEN_001"), "9");
    EXPECT_EQ(ValorErp("SELECT MAQUINA FROM PROCESSO_TIN_001"), "M1");
    EXPECT_EQ(Registros("42"), QStringList{"10|Cliente|"});
}

TEST_F(EasTeste, Evento92TrocaAMaquinaDoLoteEDoProgramaJuntos)
{
    Prepara(QStringLiteral(R"(
INSERT INTO FAL_001 (NUMERO, MAQUINA) VALUES ('4711', 'M1');
INSERT INTO FAL_001 (NUMERO, MAQUINA) VALUES ('4712', 'M1');
INSERT INTO FAL_001 (NUMERO, MAQUINA) VALUES ('4713', 'M1');
INSERT INTO TNG_PROG_001 (FAL, MAQUINA) VALUES ('4711', 'M1');
INSERT INTO TNG_PROG_001 (FAL, MAQUINA) VALUES ('4712', 'M1');
INSERT INTO TNG_PROG_001 (FAL, MAQUINA) VALUES ('4713', 'M1');
ALTER TABLE TNG_PROG_001 ADD CONSTRAINT SEM_RUIM CHECK (MAQUINA <> 'RUIM');
)"));
    const QString troca = PostaEvento("92", QString::fromUtf8("0004711||D'Ávila|"));
    const QString falha = PostaEvento("92", QStringLiteral("0004712||RUIM|"));
    const QString depois = PostaEvento("92", QStringLiteral("0004713||M3|"));
    const QString zero = PostaEvento("92", QStringLiteral("abc||M9|"));

    FEas->RecebeDoEas();

    // The failed row's first update was undone, and the next row's commit
    // did not write it; the refused row stays unread, for the next cycle.
    EXPECT_EQ(LinhasErp("SELECT FAL.NUMERO, FAL.MAQUINA, PROG.MAQUINA FROM FAL_001 FAL "
                        "JOIN TNG_PROG_001 PROG ON PROG.FAL = FAL.NUMERO ORDER BY 1"),
              (QList<QStringList>{{"4711", QString::fromUtf8("D'Ávila"), QString::fromUtf8("D'Ávila")},
                                  {"4712", "M1", "M1"},
                                  {"4713", "M3", "M3"}}));
    for (const QString& n : {troca, depois, zero})
        EXPECT_EQ(Leido(n), "T") << n.toStdString();
    EXPECT_EQ(Leido(falha), "F");
    const QStringList erros = FRelator.Linhas.filter("ERRO na Gravação Movimentos do FTOHOST (92)");
    ASSERT_EQ(erros.size(), 1);
    EXPECT_TRUE(erros[0].startsWith("ERRO na Gravação Movimentos do FTOHOST (92) - FAL: 4712 MAQUINA RUIM Nr. Reg no 92 : "
                                    + falha + " : "));
    EXPECT_TRUE(erros[0].endsWith("Informação do Registro:0004712||RUIM|"));
    EXPECT_TRUE(FRelator.Linhas.contains("Registro Ignorado na Gravação Movimentos do FTOHOST (92): abc||M9|"));
}

TEST_F(EasTeste, Evento95PoeOLoteNaFilaOuEsperaNaoLido)
{
    Prepara(QStringLiteral(R"(
INSERT INTO FAL_001 (NUMERO, MAQUINA, ORDEM) VALUES ('4711', 'M1', 1);
INSERT INTO FAL_001 (NUMERO, MAQUINA, ORDEM) VALUES ('4712', 'M1', 1);
INSERT INTO FAL_001 (NUMERO, MAQUINA, ORDEM) VALUES ('4713', 'M1', 1);
INSERT INTO FAL_001 (NUMERO, MAQUINA, ORDEM) VALUES ('4714', 'M1', 1);
INSERT INTO TNG_PROG_001 (FAL, MAQUINA) VALUES ('4711', 'M1');
INSERT INTO TNG_PROG_001 (FAL, MAQUINA) VALUES ('4712', 'M1');
INSERT INTO TNG_PROG_001 (FAL, MAQUINA) VALUES ('4714', 'M1');
ALTER TABLE TNG_PROG_001 ADD CONSTRAINT SEM_RUIM CHECK (MAQUINA <> 'RUI');
)"));
    const QString aplicado = PostaEvento("95", QStringLiteral("AX012|4711|||3|"));
    const QString semX = PostaEvento("95", QStringLiteral("M07B|4712|||5|"));
    const QString zero = PostaEvento("95", QStringLiteral("AX012|0|||3|"));
    const QString vazio = PostaEvento("95", QStringLiteral("AX012||||3|"));
    const QString comX = PostaEvento("95", QStringLiteral("AX012|47X1|||3|"));
    const QString posicaoRuim = PostaEvento("95", QStringLiteral("AX013|4713|||terceira|"));
    const QString programaRuim = PostaEvento("95", QStringLiteral("AXRUI|4714|||2|"));

    FEas->RecebeDoEas();

    EXPECT_EQ(LinhasErp("SELECT NUMERO, ORDEM, MAQUINA FROM FAL_001 ORDER BY NUMERO"),
              (QList<QStringList>{{"4711", "3", "012"}, {"4712", "5", "M07"}, {"4713", "1", "M1"}, {"4714", "1", "M1"}}));
    EXPECT_EQ(LinhasErp("SELECT MAQUINA FROM TNG_PROG_001 ORDER BY FAL"),
              (QList<QStringList>{{"012"}, {"M07"}, {"M1"}}));
    EXPECT_EQ(Leido(aplicado), "T");
    EXPECT_EQ(Leido(semX), "T");
    for (const QString& n : {zero, vazio, comX, posicaoRuim, programaRuim})
        EXPECT_EQ(Leido(n), "F") << n.toStdString();
    EXPECT_TRUE(FRelator.Linhas.contains("Grava Movimentos do FTOHOST (95) - FAL: 4711 ORDEM 3MAQUINA 012"));
    EXPECT_TRUE(FRelator.Linhas.contains("Registro Ignorado na Gravação Movimentos do FTOHOST (95): AX012|47X1|||3|"));
    const QStringList erros = FRelator.Linhas.filter("ERRO na Gravação Movimentos do FTOHOST (95)");
    ASSERT_EQ(erros.size(), 2);
    EXPECT_TRUE(erros[0].startsWith("ERRO na Gravação Movimentos do FTOHOST (95) - FAL: 4713 ORDEM terceiraMAQUINA 013 Nr. Reg no 95 : "
                                    + posicaoRuim + " : "));
    EXPECT_TRUE(erros[1].endsWith("Informação do Registro:AXRUI|4714|||2|"));
    EXPECT_EQ(FContexto.FalhasNoCiclo, 2);

    // The ignored and failed rows are read, logged and left again.
    FRelator.Limpa();
    FEas->RecebeDoEas();
    EXPECT_EQ(FRelator.Linhas.filter("Registro Ignorado na Gravação Movimentos do FTOHOST (95)").size(), 3);
    EXPECT_EQ(FRelator.Linhas.filter("ERRO na Gravação Movimentos do FTOHOST (95)").size(), 2);
}

// A row applied to the ERP whose mark fails ends the run there; in the
// next run its number in the ERP keeps it from being applied again.
TEST_F(EasTeste, LinhaQueNaoPodeSerMarcadaFicaParaOProximoCiclo)
{
    Prepara(QStringLiteral(R"(
INSERT INTO PROCESSO_TIN_001 (FAL, FASE) VALUES ('4711', '01');
INSERT INTO FAL_001 (NUMERO, MAQUINA) VALUES ('4711', 'M1');
)"));
    ExecutaNoHost(QStringLiteral("ALTER TABLE FTOHOST ADD CONSTRAINT NAO_MARCA CHECK (LEIDO = 'F' OR DATOS NOT LIKE '%TRAVA%')"));
    const QString nr = PostaEvento("80", QStringLiteral("0004711|TRAVA||M1|20240315|0730|"));
    const QString depois = PostaEvento("92", QStringLiteral("0004711||M2|"));

    FEas->RecebeDoEas();

    EXPECT_EQ(ValorErp("SELECT MAQUINA FROM PROCESSO_TIN_001"), "M1");
    EXPECT_EQ(Leido(nr), "F");
    const QStringList erros = FRelator.Linhas.filter("ERRO na Gravação Lido no FTOHOST (80) - " + nr + " : ");
    ASSERT_EQ(erros.size(), 1) << FRelator.Linhas.join('\n').toStdString();
    EXPECT_TRUE(erros[0].endsWith(" Informação do Registro:0004711|TRAVA||M1|20240315|0730|"));
    EXPECT_EQ(FRelator.Linhas.last(), "Recebimento do EAS interrompido: a marcação de lido no FTOHOST falhou; os "
                                      "eventos restantes ficam para o próximo ciclo.");
    EXPECT_EQ(FContexto.FalhasNoCiclo, 1);
    // The later pass did not run.
    EXPECT_EQ(Leido(depois), "F");
    EXPECT_EQ(ValorErp("SELECT MAQUINA FROM FAL_001"), "M1");

    // The host takes the mark again; the ERP changed meanwhile.
    ExecutaNoHost(QStringLiteral("ALTER TABLE FTOHOST DROP CONSTRAINT NAO_MARCA"));
    ExecutaNoErp(QStringLiteral("UPDATE PROCESSO_TIN_001 SET MAQUINA = 'OUTRA'"));
    FRelator.Limpa();
    FEas->RecebeDoEas();
    EXPECT_EQ(ValorErp("SELECT MAQUINA FROM PROCESSO_TIN_001"), "OUTRA");
    EXPECT_TRUE(FRelator.Linhas.contains("Registro " + nr + " do FTOHOST (80) já aplicado no ERP: só é marcado como lido"))
        << FRelator.Linhas.join('\n').toStdString();
    EXPECT_EQ(Leido(nr), "T");
    EXPECT_EQ(Leido(depois), "T");
    EXPECT_EQ(ValorErp("SELECT MAQUINA FROM FAL_001"), "M2");
    EXPECT_EQ(LinhasErp("SELECT NRECNO, IDTIPO FROM QX_EAS_APLICADOS ORDER BY NRECNO"),
              (QList<QStringList>{{nr, "80"}, {depois, "92"}}));
}

// The host stops taking writes after the first consumption's mark: by a
// refusal (a trigger that raises), or by dropping the monitor's connection.
// The run ends at the first mark that fails; the consumption applied whose
// mark failed is not applied again, and stock and movements come out exact.
TEST_F(EasTeste, HostQueDeixaDeAceitarGravacoesNaoDobraConsumos)
{
    struct TCaso {
        const char* Nome;
        const char* Acao;  // what the host's trigger does after the first row read
        QString Linha;
    };
    const QList<TCaso> casos = {
        {"recusa", "RAISE EXCEPTION 'o EAS não aceita gravações'",
         QStringLiteral("Recebimento do EAS interrompido: a marcação de lido no FTOHOST falhou; os eventos restantes "
                        "ficam para o próximo ciclo.")},
        {"conexão perdida", "PERFORM pg_terminate_backend(pg_backend_pid())",
         QStringLiteral("Recebimento do EAS interrompido: conexão KoDatabase2 perdida; os eventos restantes ficam "
                        "para o próximo ciclo.")},
    };
    for (const TCaso& caso : casos) {
        SCOPED_TRACE(caso.Nome);
        Prepara(QStringLiteral(R"(
INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0001', '1');
INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE) VALUES ('M001', '0', '000000', '0001', 100);
INSERT INTO PROCESSO_TIN_001 (FAL, FASE) VALUES ('4711', '01');
)"),
                THostTeste::Postgres);
        QStringList consumos;
        for (const char* documento : {"ABC0000001", "ABC0000002", "ABC0000003"})
            consumos << PostaEvento("89", Consumo(QLatin1String(documento), "M001", "100000000", "", "9"));
        const QString inicio = PostaEvento("80", QStringLiteral("0004711|X||M1|20240315|0730|"));
        BancoTeste::executaSqlPostgres(FBancoHost, QStringLiteral(R"(
CREATE FUNCTION eas.recusa_marca() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  IF (SELECT COUNT(*) FROM eas.ftohost WHERE leido = 'T') >= 1 THEN
    %1;
  END IF;
  RETURN NEW;
END $$;
CREATE TRIGGER recusa_marca BEFORE UPDATE ON eas.ftohost FOR EACH ROW EXECUTE FUNCTION eas.recusa_marca();
)").arg(QLatin1String(caso.Acao)));

        FEas->RecebeDoEas();

        EXPECT_EQ(FRelator.Linhas.last(), caso.Linha) << FRelator.Linhas.join('\n').toStdString();
        const QList<QStringList> leidos = LinhasHost(
            QStringLiteral("SELECT LEIDO FROM %1 ORDER BY NRECNO").arg(Tabela(QStringLiteral("FTOHOST"))));
        EXPECT_EQ(leidos, (QList<QStringList>{{"T"}, {"F"}, {"F"}, {"F"}}));
        EXPECT_EQ(ValorErp("SELECT QTDE FROM MAT_ITEN_001"), "98");
        EXPECT_EQ(ValorErp("SELECT MAQUINA FROM PROCESSO_TIN_001"), "<NULL>");

        BancoTeste::executaSqlPostgres(FBancoHost, QStringLiteral("DROP TRIGGER recusa_marca ON eas.ftohost;"));
        // A lost connection is opened again before the next cycle, as the
        // monitor's cycle does.
        if (FEas->Dados().KoDatabase2.Perdida()) {
            FEas->Dados().KoDatabase2.Close();
            FEas->Dados().KoDatabase2.Open();
        }
        FRelator.Limpa();
        FEas->RecebeDoEas();

        EXPECT_EQ(ValorErp("SELECT QTDE FROM MAT_ITEN_001"), "97");
        EXPECT_EQ(LinhasErp("SELECT NUM_DOCTO, ORDEM FROM MAT_MOV_001 ORDER BY ORDEM"),
                  (QList<QStringList>{{"0000001", "1"}, {"0000002", "2"}, {"0000003", "3"}}));
        EXPECT_TRUE(FRelator.Linhas.contains("Registro " + consumos[1] + " do FTOHOST (89) já aplicado no ERP: só é "
                                             "marcado como lido"))
            << FRelator.Linhas.join('\n').toStdString();
        for (const QString& n : consumos + QStringList{inicio})
            EXPECT_EQ(Leido(n), "T") << n.toStdString();
        EXPECT_EQ(ValorErp("SELECT MAQUINA FROM PROCESSO_TIN_001"), "M1");
        FEas->Encerra();
        FEas.reset();
        FErp.Close();
        FRelator.Limpa();
    }
}

// A blank schema names the host tables alone.
TEST_F(EasTeste, SchemaEmBrancoNomeiaAsTabelasSemQualificar)
{
    EXPECT_EQ(NomeTabelaHost(QStringLiteral("eas"), QStringLiteral("FTOHOST")), "eas.FTOHOST");
    EXPECT_EQ(NomeTabelaHost(QStringLiteral(" eas"), QStringLiteral("FTOHOST")), " eas.FTOHOST");
    Prepara(QStringLiteral("INSERT INTO ENTIDADE_001 (CODCLI, NOME, ATIVO, TIPO_ENTIDADE) VALUES ('10', 'Um', 'S', 'C');"));
    FEas->Dados().sSchema = QStringLiteral("  \t ");
    const QString nr = PostaEvento("92", QStringLiteral("0004711||M2|"));
    RodaCiclo();
    EXPECT_EQ(Leido(nr), "T");
    EXPECT_EQ(Registros("42"), QStringList{"10|Um|"});
}
