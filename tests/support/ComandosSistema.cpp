#include "ComandosSistema.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

// Sample values spliced into the texts: lot 4711 (padded to 8 characters
// where the machine queue uses it), machine M1, colour AZ01, the flag
// STATUS_EAS35 of phase 05, queue row 7; and as parameters, a Tuesday for
// the shift lookups.
namespace {

const QString kErp = QStringLiteral("ERP");
const QString kEas = QStringLiteral("EAS");
const QString kBruma = QStringLiteral("Bruma");

// --- Monitor window ---------------------------------------------------------

QList<ComandoSistema> comandosMonitor()
{
    return {
        {"BtnLimparClick/limpa-fila", kErp,
         {"UPDATE QX_INTEGRA SET",
          "STATUS = 3",
          "WHERE (STATUS = 0 OR STATUS IS NULL)"},
         {}},
    };
}

// --- EAS host tables ----------------------------------------------------------

QList<ComandoSistema> comandosHostEas()
{
    return {
        {"GravaNoHost/insere-FFROMHOST", kEas,
         {"INSERT INTO FFROMHOST",
          "(IDTIPO, IDOPERACION, DATOS, FECHA, LEIDO)",
          "VALUES",
          "(:IDTIPO, :IDOPERACION, :DATOS, :FECHA, :LEIDO)"},
         {{"IDTIPO", "33"}, {"IDOPERACION", "X"}, {"DATOS", "M001|Corante azul|10|"},
          {"FECHA", QDateTime(QDate(2024, 3, 19), QTime(10, 30))}, {"LEIDO", "F"}}},
        {"MarcaLidoHost/marca-lido", kEas,
         {"UPDATE FTOHOST SET",
          "LEIDO = 'T'",
          "WHERE NRECNO = :NRECNO"},
         {{"NRECNO", 1}}},
        {"RecebeDoEas/seleciona-FTOHOST", kEas,
         {"SELECT NRECNO, IDTIPO, IDOPERACION, DATOS FROM FTOHOST",
          "WHERE LEIDO = 'F'",
          "AND IDTIPO = :IDTIPO"},
         {{"IDTIPO", "80"}}},
    };
}

// --- EAS outbound export ------------------------------------------------------

QList<ComandoSistema> comandosCadastrosEas()
{
    return {
        {"EnviaMateriais/consulta", kErp,
         {"SELECT MATERIAL.CODIGO, SUBSTRING(MATERIAL.DESCRICAO FROM 1 FOR 30), MATERIAL.REPOSICAO ",
          "FROM MATERIAL_001 MATERIAL",
          "LEFT JOIN GRUPO_MA_001 GRUPO_MAT ON (MATERIAL.GRUPO = GRUPO_MAT.CODIGO)",
          "WHERE ((MATERIAL.STATUS_EAS33 <> 'N') OR (MATERIAL.STATUS_EAS33 IS NULL))",
          "AND GRUPO_MAT.DESP = 'S'"},
         {}},
        {"EnviaEstoque/consulta", kErp,
         {"SELECT MOV.CODIGO, SUBSTRING(MAT.DESCRICAO FROM 1 FOR 30) AS DESCRICAO, TRUNC(MOV.QTDE*100) AS QTDE,",
          "CASE WHEN (SELECT FIRST 1 UNIDADE FROM MAT_TIN_001 MAT WHERE MAT.CODIGO = MOV.CODIGO) = '%'",
          "THEN '3' ELSE '1' END AS UND, '000000' AS LOTE,",
          "MOV.CODCRE, MOV.NUM_DOCTO",
          "FROM MAT_MOV_001 MOV",
          "JOIN MATERIAL_001 MAT  ON MAT.CODIGO = MOV.CODIGO",
          "JOIN DEPOSITO_001 DEP ON DEP.CODIGO = MOV.DEPOSITO AND DEP.PRIORIDADE = '1'",
          "WHERE MOV.OPERACAO = 'E' AND (MOV.STATUS_EAS34 <> 'N' OR MOV.STATUS_EAS34 IS NULL)",
          "AND EXISTS (SELECT DISTINCT 1 FROM MAT_TIN_001 MAT WHERE MAT.CODIGO = MOV.CODIGO)"},
         {}},
        {"EnviaProdutos/consulta", kErp,
         {"SELECT PROD.CODIGO, SUBSTRING(PROD.DESCRICAO FROM 1 FOR 80) AS DESCRICAO, PROD.FAMILIA,",
          "FAMILIA.DESCRICAO AS DESC_FAMILIA, PROD.COMP1, PROD.COMP2",
          "FROM PRODUTO_001 PROD",
          "LEFT JOIN FAMILIA_001 FAMILIA ON (FAMILIA.CODIGO = PROD.FAMILIA)",
          "WHERE (STATUS_EAS40 <> 'N') OR (STATUS_EAS40 IS NULL)"},
         {}},
        {"EnviaClientes/consulta", kErp,
         {"SELECT CODCLI, SUBSTRING(NOME FROM 1 FOR 35) AS RAZSOC",
          "FROM ENTIDADE_001",
          "WHERE ((STATUS_EAS42 <> 'N') OR (STATUS_EAS42 IS NULL))",
          "AND (ATIVO = 'S')",
          "AND (TIPO_ENTIDADE IN ('C', 'CF'))"},
         {}},
        {"EnviaCores/consulta", kErp,
         {"SELECT CODIGO, SUBSTRING(TRIM(DESCRICAO) FROM 1 FOR 30) AS DESCCOR, COR_SIS,",
          "SUBSTRING(CODIGO FROM CHAR_LENGTH(CODIGO)-1 FOR CHAR_LENGTH(CODIGO)) AS ULTIDIG",
          "FROM CADCORTIN_001",
          "WHERE (STATUS_EAS41 <> 'N') OR (STATUS_EAS41 IS NULL)"},
         {}},
    };
}

// MarcaEnviadoErp: one statement per table and record type it is called
// with, restricted to one lot or to the key of one row that was sent.
ComandoSistema marcaEnviadoErp(const QString& passo, const QString& tabela, const QString& tipo,
                               const QStringList& chaves, const QVariantMap& parametros)
{
    QStringList linhas{
        "UPDATE " + tabela + " SET",
        "STATUS_EAS" + tipo + " = 'N'",
        "WHERE ((STATUS_EAS" + tipo + " <> 'N') OR (STATUS_EAS" + tipo + " IS NULL))"};
    return {"MarcaEnviadoErp/" + passo, kErp, linhas + chaves, parametros};
}

QList<ComandoSistema> comandosMarcaEnviadoErp()
{
    return {
        marcaEnviadoErp("materiais", "MATERIAL_001", "33", {"AND (CODIGO = :CODIGO)"}, {{"CODIGO", "M001"}}),
        marcaEnviadoErp("estoque", "MAT_MOV_001", "34",
                        {"AND (CODIGO = :CODIGO)", "AND (COALESCE(CODCRE, '') = :CODCRE)",
                         "AND (COALESCE(NUM_DOCTO, '') = :NUM_DOCTO)", "AND (OPERACAO = 'E')"},
                        {{"CODIGO", "M001"}, {"CODCRE", "C1"}, {"NUM_DOCTO", "D1"}}),
        marcaEnviadoErp("produtos", "PRODUTO_001", "40", {"AND (CODIGO = :CODIGO)"}, {{"CODIGO", "ART1"}}),
        marcaEnviadoErp("clientes", "ENTIDADE_001", "42", {"AND (CODCLI = :CODCLI)"}, {{"CODCLI", "10"}}),
        marcaEnviadoErp("cores", "CADCORTIN_001", "41", {"AND (CODIGO = :CODIGO)"}, {{"CODIGO", "AZ01"}}),
        marcaEnviadoErp("fal", "FAL_001", "30", {"AND (NUMERO = :NUMERO)"}, {{"NUMERO", "4711"}}),
        marcaEnviadoErp("mensagem-fase", "FAL_001", "35", {"AND (NUMERO = :NUMERO)"}, {{"NUMERO", "4711"}}),
    };
}

QList<ComandoSistema> comandosFalsEas()
{
    return {
        {"EnviaFals/consulta-fal", kErp,
         {"SELECT FAL.NUMERO, FAL.ROTEIRO, FAL.COR, (CAST(FAL.TIPO AS INTEGER)) AS NRTIPO,",
          "TRUNC((SELECT SUM(IT1.PESO) FROM FAL_ITEN_001 IT1 WHERE IT1.FAL = FAL.NUMERO) * 100) AS PESO,",
          "FAL.MAQUINA,",
          "(LPAD(EXTRACT(YEAR FROM CURRENT_DATE),4,'0')||",
          " LPAD(EXTRACT(MONTH FROM CURRENT_DATE),2,'0') ||",
          " LPAD(EXTRACT(DAY FROM CURRENT_DATE),2,'0'))  AS DTINICIO,",
          "(LPAD(EXTRACT(HOUR FROM CURRENT_TIME),2,'0') ||",
          " LPAD(EXTRACT(MINUTE FROM CURRENT_TIME),2,'0')) AS HRINICIO,",
          "(LPAD(EXTRACT(YEAR FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),4,'0')||",
          " LPAD(EXTRACT(MONTH FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),2,'0') ||",
          " LPAD(EXTRACT(DAY FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),2,'0')) AS DTFINAL,",
          "(LPAD(EXTRACT(HOUR FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),2,'0') ||",
          " LPAD(EXTRACT(MINUTE FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),2,'0')) AS HRFINAL,",
          "' ' AS PARALELO, FAL.CLIENTE,",
          "(SELECT FIRST 1 IT2.CODIGO FROM FAL_ITEN_001 IT2 WHERE IT2.FAL = FAL.NUMERO) AS ARTIGO,",
          "FAL.COR, FAL.PARTIDA, FAL.ROTEIRO,",
          "(SELECT FIRST 1 ROT.DESCRICAO FROM ROTEIRO_001 ROT WHERE ROT.CODIGO = FAL.ROTEIRO) AS DESCROTEIRO,",
          "(SELECT FIRST 1 IT2.LOTE FROM FAL_ITEN_001 IT2 WHERE IT2.FAL = FAL.NUMERO) AS LOTE,",
          "FAL.OBS, FAL.ESTAMPA,",
          "(SELECT FIRST 1 IT2.NOTA FROM FAL_ITEN_001 IT2 WHERE IT2.FAL = FAL.NUMERO) AS NOTA,",
          "TRUNC(FAL.FIBRA1) AS CO, TRUNC(FAL.FIBRA2) AS PES, ' ' AS BRANCO,",
          "20 AS CAMPO24, 1 AS CAMPO25",
          "FROM FAL_001 FAL",
          "WHERE (FAL.STATUS_EAS30 <> 'N') OR (FAL.STATUS_EAS30 IS NULL)"},
         {}},
        {"EnviaFals/consulta-processos", kErp,
         {"SELECT DISTINCT PROCESSO_TIN.FAL, FASE.CODIGO AS FASE, COALESCE(FASE.ATUALIZAR,'N') AS FASE_ATUALIZAR, ",
          "PROCESSO_TIN.CONCLUIDO ",
          "FROM FAL_001 FAL ",
          "INNER JOIN ROTEIRO_001 ROTEIRO ON (FAL.ROTEIRO = ROTEIRO.CODIGO) ",
          "INNER JOIN PROCESSO_TIN_001 PROCESSO_TIN ON (FAL.NUMERO = PROCESSO_TIN.FAL AND PROCESSO_TIN.FASE = ROTEIRO.FASE) ",
          "INNER JOIN FASE_001 FASE ON (PROCESSO_TIN.FASE = FASE.CODIGO) ",
          "WHERE PROCESSO_TIN.FAL = :FAL",
          "AND COALESCE(FASE.ATUALIZAR,'N') = 'S'"},
         {{"FAL", "4711"}}},
        {"EnviaItensFal/consulta", kErp,
         {"SELECT FALITEM.FAL, '0' AS NR_SEQUENCIA, FALITEM.CODIGO, TRUNC(FALITEM.PESO * 100) AS PESO,",
          "' ' AS METROS, FALITEM.ROLO, TRUNC(FALITEM.GRAMATURA *100) AS GRAMATURA,",
          "TRUNC(FALITEM.LARGURA *100) AS LARGURA,",
          "(SELECT FIRST 1 ROT.DESCRICAO FROM ROTEIRO_001 ROT WHERE ROT.CODIGO = FALITEM.FLUXO) AS DESCROTEIRO",
          "FROM FAL_ITEN_001 FALITEM",
          "WHERE FALITEM.FAL = :FAL"},
         {{"FAL", "4711"}}},
        {"EnviaMensagensFase/consulta-fases", kErp,
         {"SELECT FASE.CODIGO, FASE.PROCESSO_EAS, FASE.MENSAGEM_EAS",
          "FROM FASE_001 FASE",
          "WHERE FASE.PROCESSO_EAS IS NOT NULL AND FASE.PROCESSO_EAS <> ''"},
         {}},
        {"EnviaMensagensFase/consulta-fal", kErp,
         {"SELECT FAL.NUMERO AS FAL ",
          "FROM FAL_001 FAL",
          "INNER JOIN PROCESSO_TIN_001 PTIN ON (FAL.NUMERO = PTIN.FAL AND PTIN.FASE = :FASE AND PTIN.CONCLUIDO = 'S')",
          "WHERE ((FAL.STATUS_EAS35 <> 'N') OR (FAL.STATUS_EAS35 IS NULL))"},
         {{"FASE", "05"}}},
    };
}

// --- EAS inbound events -------------------------------------------------------

QList<ComandoSistema> comandosConsumosEas()
{
    return {
        {"RecebeDoEas/consulta-deposito", kErp,
         {"SELECT CODIGO FROM DEPOSITO_001 WHERE PRIORIDADE = '1'"},
         {}},
        {"RecebeDoEas/conta-movimentos", kErp,
         {"SELECT COUNT(*) AS TOTAL FROM MAT_MOV_001"},
         {}},
        {"RecebeDoEas/baixa-estoque", kErp,
         {"UPDATE MAT_ITEN_001 SET",
          "QTDE = (QTDE - :QTD)",
          "WHERE CODIGO   = :CODIGO",
          "  AND COR      = :COR",
          "  AND LOTE     = :LOTE",
          "  AND DEPOSITO = :DEPOSITO"},
         {{"QTD", 1.5}, {"CODIGO", "M001"}, {"COR", "0"}, {"LOTE", "000000"}, {"DEPOSITO", "0001"}}},
        {"RecebeDoEas/insere-movimento", kErp,
         {"INSERT INTO MAT_MOV_001 (",
          "CODIGO,", "COR,", "QTDE,", "CUSTO,", "DEPOSITO,", "DT_MOVTO,", "GRUPO,",
          "NUM_DOCTO,", "OPERACAO,", "PRECO,", "LOTE,", "DESCRICAO,", "MAQUINA,", "ORDEM",
          ") VALUES (",
          ":CODIGO,", ":COR,", ":QTDE,", ":CUSTO,", ":DEPOSITO,", ":DT_MOVTO,", ":GRUPO,",
          ":NUM_DOCTO,", ":OPERACAO,", ":PRECO,", ":LOTE,", ":DESCRICAO,", ":MAQUINA,", ":ORDEM)"},
         {{"CODIGO", "M001"}, {"COR", "0"}, {"QTDE", 1.5}, {"CUSTO", 12.5}, {"DEPOSITO", "0001"},
          {"DT_MOVTO", QDate(2024, 3, 19)}, {"GRUPO", "CO"}, {"NUM_DOCTO", "0004711"},
          {"OPERACAO", "S"}, {"PRECO", 14.0}, {"LOTE", "000000"}, {"DESCRICAO", "EAS"},
          {"MAQUINA", ""}, {"ORDEM", 101}}},
        {"RecebeDoEas/consulta-custo", kErp,
         {"SELECT",
          "MI.preco_med,",
          "QX.preco,",
          "QX.grupo",
          "FROM MAT_ITEN_001  MI",
          "JOIN material_001  QX ON (MI.codigo = QX.codigo)",
          "where",
          "MI.codigo = :CODIGO AND",
          "MI.cor = '0' AND",
          "MI.deposito = '0000' AND",
          "mi.lote = '000000'"},
         {{"CODIGO", "M001"}}},
    };
}

QList<ComandoSistema> comandosProcessoEas()
{
    return {
        {"RecebeDoEas/inicio-fal", kErp,
         {"UPDATE PROCESSO_TIN_001 SET",
          "CONCLUIDO = :CONCLUIDO,",
          "PENDENTE = :PENDENTE,",
          "DATA_INI = :DATA_INI,",
          "HORA_INI = :HORA_INI,",
          "MAQUINA = :MAQUINA",
          "WHERE FAL = :FAL AND FASE = '01'"},
         {{"CONCLUIDO", "N"}, {"PENDENTE", "S"}, {"DATA_INI", QDate(2024, 3, 15)},
          {"HORA_INI", QTime(7, 30)}, {"MAQUINA", "M1"}, {"FAL", "1234"}}},
        {"RecebeDoEas/fim-fal", kErp,
         {"UPDATE PROCESSO_TIN_001 SET",
          "CONCLUIDO = :CONCLUIDO,",
          "PENDENTE = :PENDENTE,",
          "DATA_INI = :DATA_INI,",
          "HORA_INI = :HORA_INI,",
          "MAQUINA = :MAQUINA,",
          "DATA_FIN = :DATA_FIN,",
          "DATA = :DATA,",
          "HORA_FIN = :HORA_FIN,",
          "FUNCIONARIO = :FUNCIONARIO,",
          "TURNO = :TURNO,",
          "TEMPO = :TEMPO",
          "WHERE FAL = :FAL",
          "AND FASE IN (SELECT DISTINCT CODIGO FROM FASE_001 WHERE GRUPO = '01')"},
         {{"CONCLUIDO", "S"}, {"PENDENTE", "N"}, {"DATA_INI", QDate(2024, 3, 18)},
          {"HORA_INI", QTime(22, 15)}, {"MAQUINA", "M1"}, {"DATA_FIN", QDate(2024, 3, 19)},
          {"DATA", QDate(2024, 3, 19)}, {"HORA_FIN", QTime(2, 30)}, {"FUNCIONARIO", "0042"},
          {"TURNO", ""}, {"TEMPO", "04:15:00"}, {"FAL", "1234"}}},
        {"RecebeDoEas/turno-dia", kErp,
         {"SELECT TURNO FROM TURNO_HORARIOS_001 WHERE DIA = :DIA",
          "AND ENTRADA <= :HORA AND SAIDA >= :HORA"},
         {{"DIA", 3}, {"HORA", QTime(2, 30)}}},
        {"RecebeDoEas/turno-noite", kErp,
         {"SELECT TURNO AS TURNO FROM TURNO_HORARIOS_001",
          "WHERE DIA = :DIA",
          "AND ENTRADA > SAIDA",
          "AND CAST(CAST(:DATA AS DATE) || ' ' || CAST(:HORA AS TIME) AS TIMESTAMP)",
          "    >= CAST((CAST(:DATA AS DATE) - 1) || ' ' || CAST(ENTRADA AS TIME) AS TIMESTAMP) ",
          "AND CAST(CAST(:DATA AS DATE) || ' ' || CAST(:HORA AS TIME) AS TIMESTAMP) ",
          "    <= CAST((CAST(:DATA AS DATE) +1) || ' ' || CAST(SAIDA AS TIME) AS TIMESTAMP)",
          "ORDER BY TURNO DESC"},
         {{"DIA", 3}, {"DATA", QDate(2024, 3, 19)}, {"HORA", QTime(2, 30)}}},
    };
}

QList<ComandoSistema> comandosMaquinaEas()
{
    return {
        {"RecebeDoEas/maquina-fal", kErp,
         {"UPDATE FAL_001 SET",
          "MAQUINA = :MAQUINA",
          "WHERE NUMERO = :FAL"},
         {{"MAQUINA", "M2"}, {"FAL", "1234"}}},
        {"RecebeDoEas/posicao-fal", kErp,
         {"UPDATE FAL_001 SET",
          "ORDEM = :ORDEM",
          ",MAQUINA = :MAQUINA",
          "WHERE NUMERO = :FAL"},
         {{"ORDEM", "3"}, {"MAQUINA", "012"}, {"FAL", "1234"}}},
        {"RecebeDoEas/maquina-programa", kErp,
         {"UPDATE TNG_PROG_001 SET",
          "MAQUINA = :MAQUINA",
          "WHERE FAL = :FAL"},
         {{"MAQUINA", "M2"}, {"FAL", "1234"}}},
    };
}

// --- Vapora queue and payloads ------------------------------------------------

QList<ComandoSistema> comandosFilaVapora()
{
    return {
        {"SelecionaFila/consulta", kErp,
         {"SELECT * FROM QX_INTEGRA ",
          "WHERE STATUS = 0 OR STATUS IS NULL "},
         {}},
        {"AtualizaStatusFila/atualiza", kErp,
         {"UPDATE QX_INTEGRA SET ",
          "STATUS = 1 ",
          "WHERE (STATUS = 0 OR STATUS IS NULL) ",
          "AND ORDEM = :ORDEM"},
         {{"ORDEM", 7}}},
    };
}

QStringList linhasEnviaProgramacao(bool porPasso)
{
    QStringList linhas{
        "SELECT TNG_CONSUMOS.*, FAL.MAQUINA, MATERIAL.CONCENTRACAO, ",
        "MATERIAL.NE, BANHO.PROPORCAO, MAQUINA.RELAC_BANHO,  ",
        "(SELECT MAX(BANHO.PROPORCAO) FROM MAQ_TIN_CAP_001 QX",
        "LEFT JOIN BANHO_001 BANHO ON (QX.RELAC_BANHO = BANHO.CODIGO)",
        "WHERE FAL.MAQUINA = QX.MAQUINA",
        "AND FAL.VARIANTE = QX.VARIANTE) AS PROP_CAPACIDADE",
        "FROM TNG_CONSUMOS_001 TNG_CONSUMOS ",
        "INNER JOIN FAL_001 FAL ON (TNG_CONSUMOS.FAL = FAL.NUMERO)",
        "INNER JOIN MATERIAL_001 MATERIAL ON (MATERIAL.CODIGO = TNG_CONSUMOS.CODIGO)",
        "LEFT OUTER JOIN MAQ_TIN_001 MAQUINA ON (FAL.MAQUINA = MAQUINA.CODIGO)",
        "LEFT OUTER JOIN BANHO_001 BANHO ON (MAQUINA.RELAC_BANHO = BANHO.CODIGO)",
        "WHERE TNG_CONSUMOS.FAL = :NUMERO",
        "AND TNG_CONSUMOS.UNIDADE <> ''",
        "AND TNG_CONSUMOS.UNIDADE IS NOT NULL",
        "AND COALESCE(TNG_CONSUMOS.CONSUMO,0) > 0"};
    if (porPasso)
        linhas << "AND TNG_CONSUMOS.PASSO <> ''";
    linhas << "ORDER BY TNG_CONSUMOS.ORDEM ";
    return linhas;
}

QList<ComandoSistema> comandosPayloadsVapora()
{
    return {
        {"EnviaOP/consulta", kErp,
         {"SELECT FAL.*, FAL_ITEN.*, MAQ_TIN.TIPO AS GRUPO_MAQ, ",
          "(SELECT MAX(BANHO.PROPORCAO) FROM TNG_CONSUMOS_001 TC ",
          " LEFT JOIN banho_001 BANHO ON (TC.BANHO = BANHO.CODIGO)",
          " WHERE FAL.NUMERO = TC.FAL) AS PROP_CONSUMOS,",
          "(SELECT MAX(BANHO.PROPORCAO) FROM MAQ_TIN_001 QX",
          " LEFT JOIN banho_001 BANHO ON (QX.RELAC_BANHO = BANHO.CODIGO)",
          " WHERE FAL.MAQUINA = QX.CODIGO) AS PROP_MAQUINA,",
          "(SELECT MAX(BANHO.PROPORCAO) FROM MAQ_TIN_CAP_001 QX",
          "LEFT JOIN BANHO_001 BANHO ON (QX.RELAC_BANHO = BANHO.CODIGO)",
          "WHERE FAL.MAQUINA = QX.MAQUINA",
          "AND FAL.VARIANTE = QX.VARIANTE) AS PROP_CAPACIDADE,",
          "(SELECT MAX(PROCESSO_TIN.GRAFICO) FROM PROCESSO_TIN_001 PROCESSO_TIN",
          "WHERE PROCESSO_TIN.FAL = FAL_ITEN.FAL",
          "AND PROCESSO_TIN.ORD_IT = FAL_ITEN.ORD_IT) AS GRAFICO",
          "FROM FAL_001 FAL ",
          "INNER JOIN FAL_ITEN_001 FAL_ITEN ON (FAL_ITEN.FAL = FAL.NUMERO)",
          "INNER JOIN MAQ_TIN_001 MAQ_TIN ON (FAL.MAQUINA = MAQ_TIN.CODIGO)",
          "WHERE FAL.NUMERO = :NUMERO"},
         {{"NUMERO", "4711"}}},
        {"EnviaProgramacao/consulta", kErp, linhasEnviaProgramacao(false), {{"NUMERO", "4711"}}},
        {"EnviaProgramacao/consulta-por-passo", kErp, linhasEnviaProgramacao(true), {{"NUMERO", "4711"}}},
    };
}

// --- Bruma machine queue ------------------------------------------------------

QList<ComandoSistema> comandosBruma()
{
    return {
        {"ConsultaLotesBruma/consulta-fal", kErp,
         {"SELECT FAL.NUMERO, SUM(FAL_ITEN.ROLO) AS PECAS, SUM(FAL_ITEN.PESO) AS PESO, ",
          "FAL.MAQUINA, ENTIDADE.NOME, FAL.COR, CADCORTIN.COR_SIS, GRAFICO.TEMPO ",
          "FROM FAL_001 FAL ",
          "INNER JOIN FAL_ITEN_001 FAL_ITEN ON (FAL.NUMERO = FAL_ITEN.FAL)",
          "LEFT OUTER JOIN ENTIDADE_001 ENTIDADE ON (FAL.CLIENTE = ENTIDADE.CODCLI)",
          "LEFT OUTER JOIN CADCORTIN_001 CADCORTIN ON (FAL.COR = CADCORTIN.CODIGO)",
          "LEFT OUTER JOIN RECEITA_001 RECEITA ON (FAL.COR = RECEITA.COR AND FAL.VARIANTE = RECEITA.VARIANTE)",
          "LEFT OUTER JOIN GRAFICO_001 GRAFICO ON (RECEITA.GRAFICO = GRAFICO.CODIGO)",
          "WHERE FAL.STATUS_QX IS NULL OR FAL.STATUS_QX = ''",
          "GROUP BY FAL.NUMERO, FAL.MAQUINA, ENTIDADE.NOME, FAL.COR, CADCORTIN.COR_SIS, GRAFICO.TEMPO "},
         {}},
        {"ConsultaLotesBruma/abre-OB", kBruma,
         {"SELECT * FROM OB "},
         {}},
        {"EnviaLotesBruma/consulta-OB", kBruma,
         {"SELECT * FROM OB ",
          "WHERE NUMEROOB = '4711    '",
          "AND STATUSTERMINO <> '0'"},
         {}},
        {"EnviaLotesBruma/consulta-encadeamento", kBruma,
         {"SELECT * FROM ENCADEAMENTO ",
          "WHERE NOME = 'AZ01'"},
         {}},
        {"EnviaLotesBruma/conta-posicao", kBruma,
         {"SELECT COUNT(*) AS POSICAO FROM OB ",
          "WHERE MAQUINA = 'M1'"},
         {}},
        {"EnviaLotesBruma/exclui-OB", kBruma,
         {"DELETE FROM OB WHERE NUMEROOB = '4711    '"},
         {}},
        {"EnviaLotesBruma/insere-OB", kBruma,
         {"INSERT INTO OB ",
          "(NUMEROOB, PECAS, MAQUINA, CLIENTE, PESO, ENCADEAMENTO, COR, RGB, ",
          "STATUSTERMINO, POSICAO, DATAPROG, DATAINICIO, DATAFIM, ",
          "TOTALRECEITAS, RECEITA01, RECEITA02, RECEITA03, RECEITA04, RECEITA05, TEMPOTOTAL, TEMPOPROG) ",
          "VALUES",
          "('4711    '",
          ",'22'",
          ",'M1'",
          ",'Malharia D''Ávila'",
          ",'25,5'",
          ",'AZ01'",
          ",'AZ01'",
          ",16711680",
          ",'0'",
          ",4",
          ",'19/03/2024 10:30:00'",
          ",'19/03/2024 10:30:00'",
          ",'19/03/2024 10:30:00'",
          ",'2'",
          ",'TINGE01'",
          ",'LAVA02'",
          ",''",
          ",''",
          ",''",
          ",0",
          ",90)"},
         {}},
        {"EnviaLotesBruma/marca-fal", kErp,
         {"UPDATE FAL_001 SET STATUS_QX = 'E'",
          "WHERE NUMERO  = '4711    '"},
         {}},
    };
}

QList<ComandoSistema> montaCatalogo()
{
    QList<ComandoSistema> todos;
    for (const auto& grupo : {comandosMonitor(), comandosHostEas(), comandosCadastrosEas(),
                              comandosMarcaEnviadoErp(), comandosFalsEas(), comandosConsumosEas(),
                              comandosProcessoEas(), comandosMaquinaEas(), comandosFilaVapora(),
                              comandosPayloadsVapora(), comandosBruma()})
        todos += grupo;
    return todos;
}

} // namespace

const QList<ComandoSistema>& ComandosSistema()
{
    static const QList<ComandoSistema> catalogo = montaCatalogo();
    return catalogo;
}
