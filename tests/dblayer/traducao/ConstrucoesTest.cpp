// The bracket constructs, the date literals and the date and blob functions.

#include "CasosTraducao.h"

#include "base/Erros.h"
#include "dblayer/traducao/ConverteDatas.h"
#include "dblayer/traducao/ConverteFirst.h"
#include "dblayer/traducao/ConverteHora.h"
#include "dblayer/traducao/ConverteList.h"
#include "dblayer/traducao/ConverteWeekNumber.h"

namespace {

TEST(ConverteFirst, LimiteDeLinhasPorDriver)
{
    ConfereCasos(ConverteFirst, {
        {"FB", "FB", "FIRST[(SELECT A FROM T) X, 'E', 1]", "SELECT FIRST 1  A FROM T"},
        {"Oracle externo", "Ora", "FIRST[(SELECT A FROM T) X, 'E', 1]",
         "SELECT * FROM (SELECT A FROM T) WHERE ROWNUM <= 1"},
        {"PG externo", "PG", "FIRST[(SELECT A FROM T) X, 'E', 1]", "SELECT * FROM (SELECT A FROM T LIMIT 1) X"},
        {"Oracle interno com WHERE", "Ora", "FIRST[(SELECT A FROM T WHERE B = 1 OR C = 2) X, 'I', 5]",
         "SELECT A FROM T WHERE ROWNUM <= 5 AND  B = 1 OR C = 2"},
        {"PG interno com WHERE", "PG", "FIRST[(SELECT A FROM T WHERE B = 1) X, 'I', 5]",
         "SELECT A FROM T  WHERE  B = 1 LIMIT 5"},
        {"Oracle interno com ORDER BY", "Ora", "FIRST[(SELECT A FROM T ORDER BY A) X, 'I', 3]",
         "SELECT A FROM T  WHERE  ROWNUM <= 3 ORDER BY A"},
        {"PG interno com GROUP BY", "PG", "FIRST[(SELECT A FROM T GROUP BY A) X, 'I', 3]",
         "SELECT A FROM T  GROUP BY A LIMIT 3"},
        {"Oracle interno simples", "Ora", "FIRST[(SELECT A FROM T) X, 'I', 3]",
         "SELECT A FROM T WHERE ROWNUM <= 3"},
        {"outro driver: so o select", "MSSQL", "FIRST[(SELECT A FROM T) X, 'E', 1]", "SELECT A FROM T"},
        {"quebra de linha vira blanco", "PG", "FIRST[(SELECT A\r\nFROM T) X, 'E', 2]",
         "SELECT * FROM (SELECT A FROM T LIMIT 2) X"},
        {"duas construcoes", "FB", "FIRST[(SELECT A FROM T) X, 'E', 1] + FIRST[(SELECT B FROM U) Y, 'E', 2]",
         "SELECT FIRST 1  A FROM T + SELECT FIRST 2  B FROM U"},
        {"sem ] o resto fica", "FB", "FIRST[(SELECT A FROM T) X, 'E', 1] FIRST[(SELECT B",
         "SELECT FIRST 1  A FROM T FIRST[(SELECT B"},
        {"minusculas nao e construcao", "FB", "first[(SELECT A FROM T) X, 'E', 1]",
         "first[(SELECT A FROM T) X, 'E', 1]"},
    });
}

TEST(ConverteList, AgregadoDeTextoPorDriver)
{
    ConfereCasos(ConverteList, {
        {"FB", "FB", "SELECT LIST[P.NOME, ', ', P.NOME] FROM P", "SELECT LIST(P.NOME, ', ') FROM P"},
        {"PG", "PG", "SELECT LIST[P.NOME, ', ', P.NOME] FROM P", "SELECT STRING_AGG(P.NOME, ', ') FROM P"},
        {"MSSQL apaga", "MSSQL", "SELECT LIST[P.NOME, ', ', P.NOME] FROM P", "SELECT  FROM P"},
        {"Oracle ordena e tira repetidos", "Ora", "LIST[DISTINCT P.NOME, ';', P.NOME]",
         "REGEXP_REPLACE( REGEXP_REPLACE( XMLAGG(XMLELEMENT(E, P.NOME,';').EXTRACT('//text()') "
         "ORDER BY  P.NOME).GETCLOBVAL() ,'([^;]+)(;\\1)*(;|$)', '\\1\\3') ,'(;;)','') "},
        {"sem ] fica", "PG", "SELECT LIST[P.NOME, ', '", "SELECT LIST[P.NOME, ', '"},
    });
}

TEST(ConverteHora, ExpressaoDeHora)
{
    ConfereCasos(ConverteHora, {
        {"FB com flag 0 perde dez caracteres", "FB", "HORA[2024-01-31 08:05, 0]", "08:05"},
        {"FB com flag 1 fica inteira", "FB", "HORA[2024-01-31 08:05, 1]", "2024-01-31 08:05"},
        {"FB com False", "FB", "HORA[2024-01-31 08:05,false]", "08:05"},
        {"FB com True", "FB", "HORA[2024-01-31 08:05, TRUE ]", "2024-01-31 08:05"},
        {"PG com flag 0 fica inteira", "PG", "HORA[2024-01-31 08:05, 0]", "2024-01-31 08:05"},
        {"sem ] fica", "FB", "X HORA[A, 0", "X HORA[A, 0"},
    });
}

TEST(ConverteHora, FlagQueNaoEBooleanoELevantaErroDeConversao)
{
    for (const char* flag : {"talvez", "", "1x"}) {
        SCOPED_TRACE(flag);
        const QString texto = QStringLiteral("SELECT HORA[A, %1] FROM T").arg(QString::fromUtf8(flag));
        EXPECT_THROW(ConverteHora(texto, QStringLiteral("PG")), EConvertError);
    }
    EXPECT_THROW(ConverteHora(QStringLiteral("HORA[A]"), QStringLiteral("FB")), EConvertError);
}

TEST(ConverteWeekNumber, SemanaIso)
{
    ConfereCasos(ConverteWeekNumber, {
        {"FB", "FB", "WEEK_NUMBER[ F.DATA ]", "EXTRACT(WEEK FROM F.DATA)"},
        {"PG", "PG", "WEEK_NUMBER[F.DATA]", "TO_CHAR(F.DATA,'IW')"},
        {"Oracle", "Ora", "WEEK_NUMBER[F.DATA]", "TO_CHAR(F.DATA,'IW')"},
    });
}

// A construct inside another of its kind is rewritten first, and the outer
// one is rewritten around its result: no bracket text is left behind.
TEST(ConstrucoesAninhadas, InternaPrimeiroDepoisAExterna)
{
    ConfereCasos(ConverteWeekNumber, {
        {"semana de semana FB", "FB", "WEEK_NUMBER[ WEEK_NUMBER[ B ] ]",
         "EXTRACT(WEEK FROM EXTRACT(WEEK FROM B))"},
        {"semana de semana PG", "PG", "WEEK_NUMBER[ WEEK_NUMBER[ B ] ]", "TO_CHAR(TO_CHAR(B,'IW'),'IW')"},
        {"semana de semana Oracle", "Ora", "WEEK_NUMBER[WEEK_NUMBER[B]]", "TO_CHAR(TO_CHAR(B,'IW'),'IW')"},
        {"tres niveis e uma vizinha", "FB", "WEEK_NUMBER[WEEK_NUMBER[WEEK_NUMBER[A]]] + WEEK_NUMBER[B]",
         "EXTRACT(WEEK FROM EXTRACT(WEEK FROM EXTRACT(WEEK FROM A))) + EXTRACT(WEEK FROM B)"},
        {"externa sem ] fica, interna reescrita", "FB", "WEEK_NUMBER[ X WEEK_NUMBER[B]",
         "WEEK_NUMBER[ X EXTRACT(WEEK FROM B)"},
        {"] solto fica", "PG", "A] WEEK_NUMBER[B]]", "A] TO_CHAR(B,'IW')]"},
    });
    ConfereCasos(ConverteHora, {
        {"hora dentro de hora FB", "FB", "HORA[char_length(HORA[X, 1]), 1]", "char_length(X)"},
        {"hora dentro de hora PG", "PG", "HORA[char_length(HORA[X, 0]), 0]", "char_length(X)"},
        {"flag 0 da externa no FB corta o resultado da interna", "FB", "HORA[2024-01-31 HORA[08:05, 1], 0]",
         "08:05"},
    });
    ConfereCasos(ConverteFirst, {
        {"first em first FB", "FB",
         "FIRST[(SELECT A FROM T WHERE B = (FIRST[(SELECT C FROM U) Y, 'E', 1])) X, 'E', 2]",
         "SELECT FIRST 2  A FROM T WHERE B = (SELECT FIRST 1  C FROM U)"},
        {"first em first PG", "PG",
         "FIRST[(SELECT A FROM T WHERE B = (FIRST[(SELECT C FROM U) Y, 'E', 1])) X, 'E', 2]",
         "SELECT * FROM (SELECT A FROM T WHERE B = (SELECT * FROM (SELECT C FROM U LIMIT 1) Y) LIMIT 2) X"},
        {"first em first Oracle", "Ora",
         "FIRST[(SELECT A FROM T WHERE B = (FIRST[(SELECT C FROM U) Y, 'E', 1])) X, 'E', 2]",
         "SELECT * FROM (SELECT A FROM T WHERE B = (SELECT * FROM (SELECT C FROM U) WHERE ROWNUM <= 1)) "
         "WHERE ROWNUM <= 2"},
        {"first em first MSSQL", "MSSQL",
         "FIRST[(SELECT A FROM T WHERE B = (FIRST[(SELECT C FROM U) Y, 'E', 1])) X, 'E', 2]",
         "SELECT A FROM T WHERE B = (SELECT C FROM U)"},
    });
    ConfereCasos(ConverteList, {
        {"list na ordem de list FB", "FB", "LIST[P.NOME, ', ', LIST[Q.X, ';', Q.Y]]", "LIST(P.NOME, ', ')"},
        {"list na ordem de list PG", "PG", "LIST[P.NOME, ', ', LIST[Q.X, ';', Q.Y]]",
         "STRING_AGG(P.NOME, ', ')"},
        {"list na ordem de list MSSQL", "MSSQL", "X LIST[P.NOME, ', ', LIST[Q.X, ';', Q.Y]] Y", "X  Y"},
        // The inner aggregate's regular expressions hold "]": they belong to
        // the inner result and do not close the outer construct.
        {"list na ordem de list Oracle", "Ora", "LIST[P.NOME, ';', LIST[Q.X, ',', Q.Y]]",
         "REGEXP_REPLACE( REGEXP_REPLACE( XMLAGG(XMLELEMENT(E,P.NOME,';').EXTRACT('//text()') ORDER BY  "
         "REGEXP_REPLACE( REGEXP_REPLACE( XMLAGG(XMLELEMENT(E,Q.X,',').EXTRACT('//text()') ORDER BY  Q.Y)"
         ".GETCLOBVAL() ,'([^,]+)(,\\1)*(,|$)', '\\1\\3') ,'(,,)','') "
         ").GETCLOBVAL() ,'([^;]+)(;\\1)*(;|$)', '\\1\\3') ,'(;;)','') "},
    });
}

TEST(ConverteDatas, LiteraisDeData)
{
    ConfereCasos(ConverteDatas, {
        {"Oracle dia primeiro", "Ora", "D = '12/31/2024'", "D = '31/12/2024'"},
        {"PG ano primeiro", "PG", "D = '12/31/2024'", "D = '2024-12-31'"},
        {"Oracle com zeros", "Ora", "D = '01/05/2024'", "D = '05/01/2024'"},
        {"PG sem zeros", "PG", "D = '01/05/2024'", "D = '2024-1-5'"},
        {"mes 13 fica", "Ora", "D = '13/01/2024'", "D = '13/01/2024'"},
        {"29 de fevereiro fora de ano bissexto fica", "PG", "D = '02/29/2023'", "D = '02/29/2023'"},
        {"29 de fevereiro em ano bissexto", "PG", "D = '02/29/2024'", "D = '2024-2-29'"},
        {"FB nao muda", "FB", "D = '12/31/2024'", "D = '12/31/2024'"},
        {"MSSQL nao muda", "MSSQL", "D = '12/31/2024'", "D = '12/31/2024'"},
        {"data e hora Oracle", "Ora", "D = '01/31/2024 08:05:09'", "D = '31/01/2024 8:5:9'"},
        {"data e hora PG", "PG", "D = '01/31/2024 08:05:09'", "D = '2024-1-31 8:5:9'"},
        {"24:00:00 vale", "PG", "D = '01/31/2024 24:00:00'", "D = '2024-1-31 24:0:0'"},
        {"24:00:01 nao vale", "PG", "D = '01/31/2024 24:00:01'", "D = '01/31/2024 24:00:01'"},
        {"partes com letras ficam", "PG", "D = '0x/01/2024'", "D = '0x/01/2024'"},
        {"blancos antes do literal", "PG", "D = ' 12/31/2024'", "D = ' 2024-12-31'"},
        {"duas datas trocadas entre si", "Ora", "A = '01/05/2024' OR B = '05/01/2024'",
         "A = '05/01/2024' OR B = '01/05/2024'"},
        {"mesma data duas vezes", "PG", "A = '12/31/2024' OR B = '12/31/2024'",
         "A = '2024-12-31' OR B = '2024-12-31'"},
        {"marcador do texto vira barra com aspas", "PG", "SELECT '@/@' FROM T", "SELECT '/' FROM T"},
        {"marcador sem aspas fica", "PG", "SELECT A@/@B FROM T", "SELECT A@/@B FROM T"},
        {"aspa sem par", "PG", "SELECT 'x", "SELECT 'x"},
    });
}

TEST(ConverteDatas, FuncoesDeDataEBlob)
{
    ConfereCasos(ConverteDatas, {
        {"diferenca", "PG", "SELECT UDF_DAYSBETWEEN(A, B) FROM T", "SELECT CAST(A- B AS INTEGER) FROM T"},
        {"dayspan com literal", "Ora", "SELECT udf_dayspan(:D, '01/31/2024') FROM T",
         "SELECT CAST(:D- CAST('31/01/2024' AS DATE) AS INTEGER) FROM T"},
        {"diferenca no FB fica", "FB", "SELECT UDF_DAYSBETWEEN(A, B) FROM T",
         "SELECT UDF_DAYSBETWEEN(A, B) FROM T"},
        {"diferenca sem UDF_ no texto fica", "PG", "SELECT DIFERENCAENTREDATAS(A, B) FROM T",
         "SELECT DIFERENCAENTREDATAS(A, B) FROM T"},
        {"dia da semana", "PG", "SELECT UDF_WEEKDAY(F.DATA) FROM F",
         "SELECT CAST(TO_CHAR(F.DATA, 'D') AS INTEGER)-1 FROM F"},
        {"chamada aninhada perde parenteses", "PG", "SELECT UDF_WEEKDAY(TRUNC(X)) FROM F",
         "SELECT CAST(TO_CHAR(TRUNCX, 'D') AS INTEGER)-1) FROM F"},
        {"diferenca sem ) fica", "PG", "SELECT UDF_DAYSPAN(A, B FROM T",
         "SELECT DIFERENCAENTREDATAS(A, B FROM T"},
        {"KO_BLOB no FB", "FB", "SELECT KO_BLOB(T.OBS) FROM T", "SELECT T.OBS FROM T"},
        {"KO_BLOB no MSSQL", "MSSQL", "SELECT KO_BLOB(T.OBS) FROM T", "SELECT T.OBS FROM T"},
        {"KO_BLOB no Oracle", "Ora", "SELECT KO_BLOB(T.OBS) FROM T", "SELECT dbms_lob.substr(T.OBS)  FROM T"},
        {"dbms_lob.substr e o mesmo que KO_BLOB", "PG", "SELECT DBMS_LOB.SUBSTR(T.OBS) FROM T",
         "SELECT T.OBS FROM T"},
        {"KO_BLOB sem ) fica", "PG", "SELECT KO_BLOB(T.OBS FROM T", "SELECT KO_BLOB(T.OBS FROM T"},
    });
}

} // namespace
