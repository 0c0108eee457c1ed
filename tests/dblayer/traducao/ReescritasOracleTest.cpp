// The statement rewrites of the Oracle branch, each alone.

#include "CasosTraducao.h"

#include "dblayer/traducao/ConvertePosition.h"
#include "dblayer/traducao/ConverteVazio.h"
#include "dblayer/traducao/ExpandeAsterisco.h"
#include "dblayer/traducao/RemoveAliasAs.h"

#include <QHash>

namespace {

TEST(ConverteVazio, ComparacoesComTextoVazio)
{
    ConfereCasos([](const QString& t, const QString&) { return ConverteVazio(t); }, {
        {"igual e diferente", "", "SELECT * FROM T WHERE A = '' AND B <> ''\r\n",
         "SELECT * FROM T WHERE A  IS NULL  AND B  IS NOT NULL \r\n"},
        {"sem blancos", "", "SELECT 1 FROM T WHERE X<>'' AND Y=''\r\n",
         "SELECT 1 FROM T WHERE X IS NOT NULL  AND Y IS NULL \r\n"},
        {"maior ou igual vira IS NOT NULL", "", "SELECT 1 FROM T WHERE X >= '' OR Y <= ''\r\n",
         "SELECT 1 FROM T WHERE X  IS NOT NULL  OR Y  IS NOT NULL \r\n"},
        {"update: SET fica, WHERE muda; a quebra final sai", "",
         "UPDATE T SET NOME = '' WHERE OBS = ''\r\n", "UPDATE T SET NOME = '' WHERE OBS  IS NULL "},
        {"update sem WHERE muda a atribuicao", "", "UPDATE T SET X = ''\r\n",
         "UPDATE T SET X  IS NULL \r\n"},
        {"delete em minusculas", "", "delete from T where A = ''\r\n", "delete from T where A  IS NULL "},
        {"aspas escapadas ficam", "", "SELECT A FROM T WHERE B = 'O''X' AND C = ''\r\n",
         "SELECT A FROM T WHERE B = 'O''X' AND C  IS NULL \r\n"},
        {"sem vazio nada muda", "", "SELECT A FROM T WHERE B = 'X'\r\n",
         "SELECT A FROM T WHERE B = 'X'\r\n"},
    });
}

TEST(RemoveAliasAs, TiraOAsDeAliasDepoisDeParenteses)
{
    ConfereCasos([](const QString& t, const QString&) { return RemoveAliasAs(t); }, {
        {"count", "", "SELECT COUNT(*) AS N FROM T", "SELECT COUNT(*)  N FROM T"},
        {"tabela derivada", "", "SELECT D.X FROM (SELECT 1 AS X FROM T) AS D",
         "SELECT D.X FROM (SELECT 1 AS X FROM T)  D"},
        {"cast para varchar fica", "", "SELECT CAST((A) AS VARCHAR(10)) FROM T",
         "SELECT CAST((A) AS VARCHAR(10)) FROM T"},
        {"cast para char perde", "", "SELECT CAST((A) AS CHAR(10)) FROM T",
         "SELECT CAST((A)  CHAR(10)) FROM T"},
        {"timestamp conta como TIME", "", "SELECT CAST((A) AS TIMESTAMP) FROM T",
         "SELECT CAST((A) AS TIMESTAMP) FROM T"},
        {"alias simples e CASE ficam", "", "SELECT CASE WHEN A THEN 1 END AS K, X AS Y FROM T",
         "SELECT CASE WHEN A THEN 1 END AS K, X AS Y FROM T"},
        {"caixa mista que fica volta minuscula", "", "SELECT CAST((A) As INTEGER) FROM T",
         "SELECT CAST((A) as INTEGER) FROM T"},
        {"minusculas removidas", "", "select sum(x) as total from t", "select sum(x)  total from t"},
        {"AS seguido de quebra", "", "SELECT SUM(X) AS\r\nTOTAL FROM T", "SELECT SUM(X) \r\nTOTAL FROM T"},
        {"marcadores do proprio texto", "", "SELECT A FROM T WHERE B LIKE '%@X@%'",
         "SELECT A FROM T WHERE B LIKE 'asXAS'"},
    });
}

// The dictionary of an Oracle test schema, answered in memory.
QStringList Dicionario(const QString& tabela)
{
    static const QHash<QString, QStringList> tabelas = {
        {QStringLiteral("FAL_001"), {QStringLiteral("NUMERO"), QStringLiteral(" COR ")}},
        {QStringLiteral("ITEM_001"), {QStringLiteral("A")}},
    };
    return tabelas.value(tabela);
}

TEST(ExpandeAsterisco, EscreveAsColunasDoAlias)
{
    ConfereCasos([](const QString& t, const QString&) { return ExpandeAsterisco(t, Dicionario); }, {
        {"sem DISTINCT nem GROUP BY fica", "", "SELECT F.* FROM FAL_001 F", "SELECT F.* FROM FAL_001 F"},
        {"distinct com join", "",
         "SELECT DISTINCT F.*, I.A FROM FAL_001 F JOIN ITEM_001 I ON I.X = F.NUMERO",
         "SELECT DISTINCT F.NUMERO, F.COR , I.A FROM FAL_001 F JOIN ITEM_001 I ON I.X = F.NUMERO"},
        {"group by, minusculas, quebra de linha", "",
         "select f.*, count(*)\r\nfrom fal_001 f group by f.*",
         "select f.NUMERO, F.COR , count(*)\r\nfrom fal_001 f group by f.NUMERO, F.COR "},
        {"JOIN logo apos o alias na mesma linha nao e lido", "",
         "SELECT DISTINCT I.* FROM FAL_001 F JOIN ITEM_001 I ON 1 = 1",
         "SELECT DISTINCT I.* FROM FAL_001 F JOIN ITEM_001 I ON 1 = 1"},
        {"tabela desconhecida fica so o alias", "", "SELECT DISTINCT F.* FROM NADA F",
         "SELECT DISTINCT F FROM NADA F"},
        {"qualificador que nao e alias fica", "", "SELECT DISTINCT X.*, F.* FROM FAL_001 F",
         "SELECT DISTINCT X.*, F.NUMERO, F.COR  FROM FAL_001 F"},
        {"qualificador com parenteses fica", "", "SELECT DISTINCT (F).* FROM FAL_001 F",
         "SELECT DISTINCT (F).* FROM FAL_001 F"},
        {"marcador vira DISTINCT com GROUP BY", "", "SELECT @@@@@@@@ A FROM T GROUP BY A",
         "SELECT DISTINCT A FROM T GROUP BY A"},
        {"marcador fica sem DISTINCT nem GROUP BY", "", "SELECT @@@@@@@@ A FROM T",
         "SELECT @@@@@@@@ A FROM T"},
    });
}

TEST(ExpandeAsterisco, LeAliasesETabelas)
{
    const TListaAliases aliases =
        MontaAliases(QStringLiteral("select 1 from fal_001 f\r\njoin item_001 i on 1=1 JOIN X Y, Z W"));
    ASSERT_EQ(aliases.Count(), 3);
    ASSERT_NE(aliases.Procura(QStringLiteral("f")), nullptr);
    EXPECT_EQ(aliases.Procura(QStringLiteral("F"))->NmBase, QStringLiteral("FAL_001"));
    EXPECT_EQ(aliases.Procura(QStringLiteral("I"))->NmBase, QStringLiteral("ITEM_001"));
    EXPECT_NE(aliases.Procura(QStringLiteral("Y,")), nullptr); // the comma stays with the alias
    EXPECT_EQ(UltimaPalavra(QStringLiteral("SELECT A,B.C")), QStringLiteral("B.C"));
    EXPECT_EQ(UltimaPalavra(QStringLiteral("T")), QStringLiteral("T"));
}

TEST(ExpandeAsterisco, ConsultaDoDicionario)
{
    EXPECT_EQ(SQLListaCampos(QStringLiteral("O'X"), true).join(u'|'),
              QStringLiteral("SELECT T.COLUMN_NAME AS NmCampo FROM USER_TAB_COLUMNS t|"
                             "WHERE t.TABLE_NAME = 'O''X'|"
                             "AND Ltrim(Rtrim(T.DATA_TYPE)) NOT IN ('BLOB', 'CLOB')|"
                             "ORDER BY T.COLUMN_ID"));
}

TEST(ConvertePosition, TrocaPorInstr)
{
    ConfereCasos([](const QString& t, const QString&) { return ConvertePosition(t); }, {
        {"forma IN seguida de virgula", "", "SELECT POSITION('X' IN A.NOME), A.B FROM A",
         "SELECT INSTR(A.NOME,'X'), A.B FROM A"},
        {"forma com virgula", "", "SELECT POSITION(a, b) FROM T", "SELECT INSTR( b,a) FROM T"},
        {"minusculas com blanco", "", "SELECT position ('X' in B) FROM T",
         "SELECT INSTR(B,'X') FROM T"},
        {"minusculas sem blanco ficam", "", "SELECT position('X' in B) FROM T",
         "SELECT position('X' in B) FROM T"},
        {"duas chamadas", "", "SELECT POSITION('a' IN X), POSITION('b' IN Y) FROM T",
         "SELECT INSTR(X,'a'), INSTR(Y,'b') FROM T"},
        {"sem parentese de fechamento fica", "", "SELECT POSITION('a' IN X FROM T",
         "SELECT POSITION('a' IN X FROM T"},
        {"sem IN nem virgula fica", "", "SELECT POSITION(X) FROM T", "SELECT POSITION(X) FROM T"},
    });
}

} // namespace
