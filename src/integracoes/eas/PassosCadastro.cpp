// The five master-data steps of the export: their queries as the ERP's SQL,
// and the key of each exported table by which the rows sent are marked.
#include "integracoes/eas/EnvioEas.h"

// The column equals the bound value, or both are empty: an empty value (NULL
// or '') matches a NULL or '' column. Written so that it means the same on
// every server, Oracle included, where '' is NULL and a COALESCE to '' never
// compares equal; whether the value is empty is bound apart
// (:<COLUNA>_VAZIO, 1 or 0), so no untyped parameter stands in IS NULL.
QString CondicaoVazioIgual(const QString& coluna)
{
    return QStringLiteral("AND ((%1 = :%1) OR (:%1_VAZIO = 1 AND (%1 IS NULL OR %1 = '')))").arg(coluna);
}

const TPassoCadastro& TEnvioEas::PassoMateriais()
{
    static const TPassoCadastro passo{
        QStringLiteral("33"),
        {QStringLiteral("SELECT MATERIAL.CODIGO, SUBSTRING(MATERIAL.DESCRICAO FROM 1 FOR 30), MATERIAL.REPOSICAO "),
         QStringLiteral("FROM MATERIAL_001 MATERIAL"),
         QStringLiteral("LEFT JOIN GRUPO_MA_001 GRUPO_MAT ON (MATERIAL.GRUPO = GRUPO_MAT.CODIGO)"),
         QStringLiteral("WHERE ((MATERIAL.STATUS_EAS33 <> 'N') OR (MATERIAL.STATUS_EAS33 IS NULL))"),
         QStringLiteral("AND GRUPO_MAT.DESP = 'S'")},
        QStringLiteral("Falha ao consultar os materiais. Erro: "),
        QStringLiteral("MATERIAL_001"),
        QStringLiteral("Materiais"),
        {QStringLiteral("AND (CODIGO = :CODIGO)")},
        {QStringLiteral("CODIGO")}};
    return passo;
}

// A stock movement has no key of its own: it is named by what the record
// carries of it (material, supplier, document) and its kind.
const TPassoCadastro& TEnvioEas::PassoEstoque()
{
    static const TPassoCadastro passo{
        QStringLiteral("34"),
        {QStringLiteral("SELECT MOV.CODIGO, SUBSTRING(MAT.DESCRICAO FROM 1 FOR 30) AS DESCRICAO, TRUNC(MOV.QTDE*100) AS QTDE,"),
         QStringLiteral("CASE WHEN (SELECT FIRST 1 UNIDADE FROM MAT_TIN_001 MAT WHERE MAT.CODIGO = MOV.CODIGO) = '%'"),
         QStringLiteral("THEN '3' ELSE '1' END AS UND, '000000' AS LOTE,"),
         QStringLiteral("MOV.CODCRE, MOV.NUM_DOCTO"),
         QStringLiteral("FROM MAT_MOV_001 MOV"),
         QStringLiteral("JOIN MATERIAL_001 MAT  ON MAT.CODIGO = MOV.CODIGO"),
         QStringLiteral("JOIN DEPOSITO_001 DEP ON DEP.CODIGO = MOV.DEPOSITO AND DEP.PRIORIDADE = '1'"),
         QStringLiteral("WHERE MOV.OPERACAO = 'E' AND (MOV.STATUS_EAS34 <> 'N' OR MOV.STATUS_EAS34 IS NULL)"),
         QStringLiteral("AND EXISTS (SELECT DISTINCT 1 FROM MAT_TIN_001 MAT WHERE MAT.CODIGO = MOV.CODIGO)")},
        QStringLiteral("Falha ao consultar o estoque. Erro: "),
        QStringLiteral("MAT_MOV_001"),
        QStringLiteral("Estoque"),
        {QStringLiteral("AND (CODIGO = :CODIGO)"),
         CondicaoVazioIgual(QStringLiteral("CODCRE")),
         CondicaoVazioIgual(QStringLiteral("NUM_DOCTO")),
         QStringLiteral("AND (OPERACAO = 'E')")},
        {QStringLiteral("CODIGO"), QStringLiteral("CODCRE"), QStringLiteral("NUM_DOCTO")}};
    return passo;
}

const TPassoCadastro& TEnvioEas::PassoProdutos()
{
    static const TPassoCadastro passo{
        QStringLiteral("40"),
        {QStringLiteral("SELECT PROD.CODIGO, SUBSTRING(PROD.DESCRICAO FROM 1 FOR 80) AS DESCRICAO, PROD.FAMILIA,"),
         QStringLiteral("FAMILIA.DESCRICAO AS DESC_FAMILIA, PROD.COMP1, PROD.COMP2"),
         QStringLiteral("FROM PRODUTO_001 PROD"),
         QStringLiteral("LEFT JOIN FAMILIA_001 FAMILIA ON (FAMILIA.CODIGO = PROD.FAMILIA)"),
         QStringLiteral("WHERE (STATUS_EAS40 <> 'N') OR (STATUS_EAS40 IS NULL)")},
        QStringLiteral("Falha ao consultar os produtos. Erro: "),
        QStringLiteral("PRODUTO_001"),
        QStringLiteral("Produtos"),
        {QStringLiteral("AND (CODIGO = :CODIGO)")},
        {QStringLiteral("CODIGO")}};
    return passo;
}

const TPassoCadastro& TEnvioEas::PassoClientes()
{
    static const TPassoCadastro passo{
        QStringLiteral("42"),
        {QStringLiteral("SELECT CODCLI, SUBSTRING(NOME FROM 1 FOR 35) AS RAZSOC"),
         QStringLiteral("FROM ENTIDADE_001"),
         QStringLiteral("WHERE ((STATUS_EAS42 <> 'N') OR (STATUS_EAS42 IS NULL))"),
         QStringLiteral("AND (ATIVO = 'S')"),
         QStringLiteral("AND (TIPO_ENTIDADE IN ('C', 'CF'))")},
        QStringLiteral("Falha ao consultar os clientes. Erro: "),
        QStringLiteral("ENTIDADE_001"),
        QStringLiteral("Clientes"),
        {QStringLiteral("AND (CODCLI = :CODCLI)")},
        {QStringLiteral("CODCLI")}};
    return passo;
}

const TPassoCadastro& TEnvioEas::PassoCores()
{
    static const TPassoCadastro passo{
        QStringLiteral("41"),
        {QStringLiteral("SELECT CODIGO, SUBSTRING(TRIM(DESCRICAO) FROM 1 FOR 30) AS DESCCOR, COR_SIS,"),
         QStringLiteral("SUBSTRING(CODIGO FROM CHAR_LENGTH(CODIGO)-1 FOR CHAR_LENGTH(CODIGO)) AS ULTIDIG"),
         QStringLiteral("FROM CADCORTIN_001"),
         QStringLiteral("WHERE (STATUS_EAS41 <> 'N') OR (STATUS_EAS41 IS NULL)")},
        QStringLiteral("Falha ao consultar as cores. Erro: "),
        QStringLiteral("CADCORTIN_001"),
        QStringLiteral("Cores"),
        {QStringLiteral("AND (CODIGO = :CODIGO)")},
        {QStringLiteral("CODIGO")}};
    return passo;
}
