// The whole pipeline, driver by driver: name tables, the single-call
// rewrites of the legacy functions, and the order of the steps.

#include "CasosTraducao.h"

#include "base/Erros.h"
#include "dblayer/traducao/ConverteSQL.h"
#include "dblayer/traducao/ConverteSubstring.h"
#include "dblayer/traducao/FechaParenteses.h"

namespace {

QString Traduz(const QString& texto, const QString& driver)
{
    return TraduzSQL(texto, driver, [](const QString&) { return QStringList(); });
}

TEST(FechaParenteses, AchaOParenteseQueFecha)
{
    EXPECT_EQ(FechaParenteses(u"(A)"), 2);
    EXPECT_EQ(FechaParenteses(u"(A(B)C) D)"), 6);
    EXPECT_EQ(FechaParenteses(u"(A(B)(C)) D"), 8);
    EXPECT_EQ(FechaParenteses(u"(A"), 0);
    EXPECT_EQ(FechaParenteses(u""), 0);
    EXPECT_EQ(FechaParenteses(u"((A)"), 0); // the first character is not examined
}

TEST(TraduzSQL, TabelasDeNomes)
{
    ConfereCasos(Traduz, {
        {"FB sem nada a traduzir fica", "FB", "SELECT A FROM T WHERE B = '' AND D = '12/31/2024'\r\n",
         "SELECT A FROM T WHERE B = '' AND D = '12/31/2024'\r\n"},
        {"DESCENDING no FB", "FB", "SELECT A FROM T ORDER BY A descending\r\n",
         "SELECT A FROM T ORDER BY A DESC\r\n"},
        {"DESCENDING no MSSQL", "MSSQL", "SELECT A FROM T ORDER BY A DESCENDING\r\n",
         "SELECT A FROM T ORDER BY A DESC\r\n"},
        {"udf_len minusculo no PG", "PG", "SELECT udf_len(A) FROM T\r\n", "SELECT char_length(A) FROM T\r\n"},
        {"udf_len minusculo no Oracle", "Ora", "SELECT udf_len(A) FROM T\r\n", "SELECT length(A) FROM T\r\n"},
        {"UDF_DAY nao toca UDF_DAYNAME", "FB", "SELECT UDF_DAY(D), UDF_DAYNAME(D) FROM T\r\n",
         "SELECT EXTRACT(DAY FROM D), UDF_DAYNAME(D) FROM T\r\n"},
        {"tabela A no MSSQL sem ramo", "MSSQL", "SELECT UDF_UPPER(A), SUBSTRING(A FROM 1 FOR 2) FROM T\r\n",
         "SELECT UPPER(A), SUBSTRING(A FROM 1 FOR 2) FROM T\r\n"},
        {"horas no Oracle", "Ora",
         "SELECT current_time, current_timestamp, CURRENT_TIMESTAMP, current_date FROM T\r\n",
         "SELECT current_timestamp, current_timestamp, current_timestamp, sysdate FROM T\r\n"},
        {"coalesce de tres no Oracle", "Ora", "SELECT COALESCE(A, B, C) FROM T\r\n",
         "SELECT nvl(A, B, C) FROM T\r\n"},
        {"ASCII_CHAR", "PG", "SELECT ASCII_CHAR(65) FROM T\r\n", "SELECT CHR(65) FROM T\r\n"},
    });
}

TEST(TraduzSQL, FuncoesLegadas)
{
    ConfereCasos(Traduz, {
        {"NVL so o primeiro, Oracle", "Ora", "SELECT UDF_NVL(A), UDF_NVL(B) FROM T\r\n",
         "SELECT NVL(A,0), UDF_NVL(B) FROM T\r\n"},
        {"NVL com parenteses no argumento, PG", "PG", "SELECT UDF_NVL(SUM(A)) FROM T\r\n",
         "SELECT COALESCE(SUM(A),0) FROM T\r\n"},
        {"minutos entre", "PG", "SELECT UDF_MINUTESBETWEEN(A, B) FROM T\r\n",
         "SELECT (extract(MINUTE FROM A -  B )) FROM T\r\n"},
        {"hora e minuto", "PG", "SELECT UDF_HOUR(X), UDF_MINUTE(X) FROM T\r\n",
         "SELECT (TO_CHAR((X),'HH24')), (TO_CHAR((X),'MI')) FROM T\r\n"},
        {"tres nomes de dia: dois reescritos", "Ora",
         "SELECT UDF_DAYNAME(A), UDF_DAYNAME(B), UDF_DAYNAME(C) FROM T\r\n",
         "SELECT (TO_CHAR((A),'DAY')), (TO_CHAR((B),'DAY')), UDF_DAYNAME(C) FROM T\r\n"},
        {"strip, rounddec, copy no Oracle", "Ora", "SELECT UDF_STRIP(A), UDF_ROUNDDEC(B), udf_copy(C, 1, 2) FROM T\r\n",
         "SELECT REPLACE(A), ROUND(B), substr(C, 1, 2) FROM T\r\n"},
        {"copy no PG", "PG", "SELECT UDF_COPY(C, 1, 2) FROM T\r\n", "SELECT SUBSTRING(C, 1, 2) FROM T\r\n"},
        {"SUBSTRING no PG", "PG", "SELECT SUBSTRING(MAT.DESCRICAO FROM 1 FOR 30) AS DESCRICAO FROM MAT\r\n",
         "SELECT SUBSTR(MAT.DESCRICAO,1,30) AS DESCRICAO FROM MAT\r\n"},
        {"SUBSTRING no Oracle perde o AS", "Ora",
         "SELECT SUBSTRING(MAT.DESCRICAO FROM 1 FOR 30) AS DESCRICAO FROM MAT\r\n",
         "SELECT SUBSTR(MAT.DESCRICAO,1,30)  DESCRICAO FROM MAT\r\n"},
        {"SUBSTRING aninhado no Oracle", "Ora",
         "SELECT SUBSTRING(CODIGO FROM CHAR_LENGTH(CODIGO)-1 FOR CHAR_LENGTH(CODIGO)) X FROM C\r\n",
         "SELECT SUBSTR(CODIGO,length(CODIGO)-1,length(CODIGO)) X FROM C\r\n"},
        {"POSITION so no Oracle", "PG", "SELECT POSITION('X' IN A) FROM T\r\n",
         "SELECT POSITION('X' IN A) FROM T\r\n"},
        {"POSITION no Oracle", "Ora", "SELECT POSITION('X' IN A) FROM T\r\n", "SELECT INSTR(A,'X') FROM T\r\n"},
    });
}

TEST(ConverteSubstring, FormasForaDoPadrao)
{
    ConfereCasos([](const QString& t, const QString&) { return ConverteSubstring(t); }, {
        {"forma com virgulas so troca o nome", "", "SELECT SUBSTRING(A, 1, 2) FROM T",
         "SELECT SUBSTR(A, 1, 2) FROM T"},
        {"duas chamadas", "", "SUBSTRING(A FROM 1 FOR 2) || substring(B from 3 for 4)",
         "SUBSTR(A,1,2) || SUBSTR(B,3,4)"},
        {"sem parentese de fechamento", "", "SUBSTRING(A FROM 1 FOR 2", "SUBSTR(A FROM 1 FOR 2"},
    });
}

TEST(TraduzSQL, CadaPassoDevolveOTextoComoALista)
{
    // The WHERE split of ConverteVazio drops the last line break; the line
    // list puts it back before the next step.
    EXPECT_EQ(Traduz(QStringLiteral("UPDATE T SET A = ''\nWHERE B = ''"), QStringLiteral("Ora")),
              QStringLiteral("UPDATE T SET A = ''\r\nWHERE B  IS NULL \r\n"));
}

TEST(TraduzSQL, DriverContemParaOsRamosEExatoParaAsConstrucoes)
{
    // "ORA_X" contains "Ora": the Oracle branch runs, but the constructs and
    // the dates compare exactly and treat it as any other driver.
    EXPECT_EQ(Traduz(QStringLiteral("SELECT A FROM T WHERE B = '' AND D = '12/31/2024' AND "
                                    "C = FIRST[(SELECT 1 FROM U) X, 'E', 1]"),
                     QStringLiteral("ORA_Ora")),
              QStringLiteral("SELECT A FROM T WHERE B  IS NULL  AND D = '12/31/2024' AND C = SELECT 1 FROM U\r\n"));
}

TEST(TraduzSQL, ConstrucoesAninhadasSaemInteiras)
{
    // The legacy name inside goes first (table A, then Oracle's table B);
    // both HORA[ constructs are then rewritten, the inner one first.
    ConfereCasos(Traduz, {
        {"FB", "FB", "SELECT HORA[UDF_LEN(HORA[X, 1]), 1] FROM T\r\n", "SELECT char_length(X) FROM T\r\n"},
        {"PG", "PG", "SELECT HORA[UDF_LEN(HORA[X, 1]), 1] FROM T\r\n", "SELECT char_length(X) FROM T\r\n"},
        {"Oracle", "Ora", "SELECT HORA[UDF_LEN(HORA[X, 1]), 1] FROM T\r\n", "SELECT length(X) FROM T\r\n"},
        {"semana dentro de hora", "PG", "SELECT HORA[WEEK_NUMBER[ WEEK_NUMBER[ B ] ], 1] FROM T\r\n",
         "SELECT TO_CHAR(TO_CHAR(B,'IW'),'IW') FROM T\r\n"},
        {"hora dentro de semana", "FB", "SELECT WEEK_NUMBER[HORA[X, 1]] FROM T\r\n",
         "SELECT EXTRACT(WEEK FROM X) FROM T\r\n"},
    });
}

TEST(TraduzSQL, ErroDeConversaoPropaga)
{
    EXPECT_THROW(Traduz(QStringLiteral("SELECT HORA[A, talvez] FROM T"), QStringLiteral("FB")),
                 EConvertError);
}

} // namespace
