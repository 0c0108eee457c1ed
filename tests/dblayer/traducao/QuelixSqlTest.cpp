// quelix-sql end to end: standard input to standard output, as a user runs it.

#include <gtest/gtest.h>

#include <QProcess>

namespace {

struct Saida {
    int status = -1;
    QByteArray saida;
    QByteArray erro;
};

Saida Executa(const QStringList& argumentos, const QByteArray& entrada = {})
{
    QProcess processo;
    processo.start(QStringLiteral(QUELIX_SQL_EXE), argumentos);
    EXPECT_TRUE(processo.waitForStarted()) << QUELIX_SQL_EXE;
    processo.write(entrada);
    processo.closeWriteChannel();
    EXPECT_TRUE(processo.waitForFinished(30000));
    return {processo.exitStatus() == QProcess::NormalExit ? processo.exitCode() : -1,
            processo.readAllStandardOutput(), processo.readAllStandardError()};
}

TEST(QuelixSql, TraduzDaEntradaParaASaidaComCrLf)
{
    const Saida r = Executa({QStringLiteral("PG")},
                            "SELECT SUBSTRING(A FROM 1 FOR 2) FROM T\r\nWHERE D = '12/31/2024'");
    EXPECT_EQ(r.status, 0) << r.erro.toStdString();
    EXPECT_EQ(r.saida.toStdString(), "SELECT SUBSTR(A,1,2) FROM T\r\nWHERE D = '2024-12-31'\r\n");
    EXPECT_TRUE(r.erro.isEmpty());
}

TEST(QuelixSql, ColunasDoDicionarioPelaLinhaDeComando)
{
    const Saida r = Executa({QStringLiteral("Ora"), QStringLiteral("--colunas"), QStringLiteral("fal_001=NUMERO,COR"),
                             QStringLiteral("--colunas"), QStringLiteral("ITEM_001=A")},
                            "SELECT DISTINCT F.*, I.*, X.*\nFROM FAL_001 F\nJOIN ITEM_001 I ON 1 = 1 JOIN NADA X ON 1 = 1\n");
    EXPECT_EQ(r.status, 0) << r.erro.toStdString();
    EXPECT_EQ(r.saida.toStdString(),
              "SELECT DISTINCT F.NUMERO, F.COR , I.A , X\r\n"
              "FROM FAL_001 F\r\nJOIN ITEM_001 I ON 1 = 1 JOIN NADA X ON 1 = 1\r\n");
}

TEST(QuelixSql, ErroDeConversaoVaiParaASaidaDeErro)
{
    const Saida r = Executa({QStringLiteral("FB")}, "SELECT HORA[A, talvez] FROM T\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.saida.isEmpty());
    EXPECT_TRUE(r.erro.contains("talvez")) << r.erro.toStdString();
}

TEST(QuelixSql, AjudaELinhaDeComandoInvalida)
{
    const Saida ajuda = Executa({QStringLiteral("--help")});
    EXPECT_EQ(ajuda.status, 0);
    EXPECT_TRUE(ajuda.saida.contains("--colunas")) << ajuda.saida.toStdString();
    for (const QStringList& argumentos : {QStringList{}, QStringList{QStringLiteral("DB2")},
                                          QStringList{QStringLiteral("PG"), QStringLiteral("--colunas")}}) {
        SCOPED_TRACE(argumentos.join(u' ').toStdString());
        const Saida r = Executa(argumentos, "SELECT 1\n");
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.saida.isEmpty());
    }
}

} // namespace
