// quelix --ciclo and --sem-janela end to end: the built executable, copied
// alone into a folder beside its QX.ini, against real databases.
#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "BancoTeste.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QProcess>
#include <gtest/gtest.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao =
    ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

struct TSaida {
    int status = -1;
    QString saida;
    QString erros;
};

QString Instala(const QString& ini)
{
    return InstalaExecutavel(QStringLiteral(QUELIX_EXECUTAVEL), ini);
}

TSaida Executa(const QString& programa, const QStringList& argumentos)
{
    QProcess processo;
    processo.setWorkingDirectory(QDir::tempPath());  // QX.ini is found beside the executable
    processo.start(programa, argumentos);
    processo.waitForFinished(300000);
    return {processo.exitStatus() == QProcess::NormalExit ? processo.exitCode() : -1,
            QString::fromUtf8(processo.readAllStandardOutput()),
            QString::fromUtf8(processo.readAllStandardError())};
}

TEST(LinhaDeComando, AjudaListaOsModos)
{
    const TSaida r = Executa(QStringLiteral(QUELIX_EXECUTAVEL), {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.saida.contains("--ciclo"));
    EXPECT_TRUE(r.saida.contains("--sem-janela"));
    EXPECT_EQ(Executa(QStringLiteral(QUELIX_EXECUTAVEL), {"--nada"}).status, 2);
}

TEST(Ciclo, IniVazioMostraAsMensagensNoErroPadraoESaiComUm)
{
    const TSaida r = Executa(Instala(""), {"--ciclo"});
    EXPECT_EQ(r.status, 1);
    const QStringList linhas = r.erros.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(linhas.size(), 2) << r.erros.toStdString();
    // The ERP message (its CR a line break, so no terminal writes over it),
    // then the error that ended the Bruma cycle on the closed connections.
    EXPECT_EQ(linhas[0], "Quelix: Erro na Conexão do Banco1!.") << r.erros.toStdString();
    EXPECT_FALSE(r.erros.contains('\r'));
    EXPECT_TRUE(linhas.back().startsWith("Quelix: "));
    EXPECT_EQ(r.saida, "");
}

TEST(Ciclo, BrumaEnviaOLoteParaAFilaDaMaquina)
{
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp,
        "INSERT INTO ENTIDADE_001 (CODCLI, NOME) VALUES ('C1', 'Malharia Alfa');\n"
        "INSERT INTO CADCORTIN_001 (CODIGO, DESCRICAO, COR_SIS) VALUES ('AZ-010', 'Azul', '16711680');\n"
        "INSERT INTO GRAFICO_001 (CODIGO, DESCRICAO, TEMPO) VALUES ('G1', 'Reativo', '01:30:00');\n"
        "INSERT INTO RECEITA_001 (COR, VARIANTE, GRAFICO) VALUES ('AZ-010', 'V1', 'G1');\n"
        "INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('4711', 'AZ-010', 'M01', 'C1', 'V1');\n"
        "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4711', 1, 100.5, 10);\n"
        "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4711', 2, 120, 12);\n");
    const QString bruma = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico("bruma"), {"bruma_postgres.sql"});
    BancoTeste::executaSqlPostgres(bruma,
        "INSERT INTO ENCADEAMENTO (NOME, RECEITA1, RECEITA2) VALUES ('AZ-010', 'PREPARA', 'TINGE');");
    const QString dsn = BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico("dsn"), bruma);

    const TSaida r = Executa(
        Instala(SecaoBanco1(erp)
                + QStringLiteral("[Banco2]\nProtocolo=Postgres\nBase=%1\nUsuario=%2\nSenha=%3\n[ModeloAtivo]\nModelo=0\n")
                      .arg(dsn, AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha())),
        {"--ciclo"});

    EXPECT_EQ(r.status, 0) << r.erros.toStdString();
    EXPECT_EQ(r.erros, "");
    EXPECT_EQ(r.saida, QString::fromUtf8("Concluído. FAL 4711     enviada para máquina com sucesso para Posição 1.\n"));

    TKoDatabase banco;
    banco.SetDriverName("FB");
    banco.SetDatabaseName(erp);
    banco.Open();
    TKoQuery lote;
    lote.SetDatabase(&banco);
    lote.SQL.Add("SELECT STATUS_QX FROM FAL_001 WHERE NUMERO = '4711'");
    lote.Open();
    EXPECT_EQ(lote.FieldByName("STATUS_QX").AsString(), "E");
}

TEST(Ciclo, LoteQueFalhaNaoParaOCicloESaiComTres)
{
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp,
        "INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('RUIM', 'não é número');\n"
        "INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('AZUL', '255');\n"
        "INSERT INTO FAL_001 (NUMERO, COR, MAQUINA) VALUES ('1', 'RUIM', 'M01');\n"
        "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('1', 1, 1, 1);\n"
        "INSERT INTO FAL_001 (NUMERO, COR, MAQUINA) VALUES ('2', 'AZUL', 'M01');\n"
        "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('2', 1, 1, 1);\n");
    const QString bruma = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico("bruma"), {"bruma_postgres.sql"});
    BancoTeste::executaSqlPostgres(bruma, "INSERT INTO ENCADEAMENTO (NOME, RECEITA1) VALUES ('RUIM', 'A'), ('AZUL', 'B');");
    const QString dsn = BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico("dsn"), bruma);

    const TSaida r = Executa(
        Instala(SecaoBanco1(erp)
                + QStringLiteral("[Banco2]\nProtocolo=Postgres\nBase=%1\nUsuario=%2\nSenha=%3\n[ModeloAtivo]\nModelo=0\n")
                      .arg(dsn, AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha())),
        {"--ciclo"});

    EXPECT_EQ(r.status, 3) << r.saida.toStdString() << r.erros.toStdString();
    EXPECT_TRUE(r.saida.contains("Erro. Execução de envio mal sucedida na FAL 1       \n")) << r.saida.toStdString();
    EXPECT_TRUE(r.saida.contains("Concluído. FAL 2        enviada")) << r.saida.toStdString();
}

TEST(Ciclo, IniAusenteENomeado)
{
    const QString programa = Instala("");
    QFile::remove(QFileInfo(programa).dir().filePath("QX.ini"));
    const TSaida r = Executa(programa, {"--ciclo"});
    EXPECT_TRUE(r.saida.startsWith("Arquivo de configuração não encontrado: " + QFileInfo(programa).dir().filePath("QX.ini")))
        << r.saida.toStdString();
}

// Two monitors on one folder would send lots twice: the second one names the
// first and ends; a lock left by a monitor killed outright is taken over.
TEST(SemJanela, UmMonitorPorPasta)
{
    const QString programa = Instala(SecaoBanco1(CriaErp()));
    QProcess primeiro;
    primeiro.start(programa, {"--sem-janela"});
    ASSERT_TRUE(primeiro.waitForStarted());
    const QString trava = QFileInfo(programa).dir().filePath("quelix.lock");
    for (int i = 0; i < 600 && !QFile::exists(trava); ++i)
        QThread::msleep(100);
    ASSERT_TRUE(QFile::exists(trava));

    const TSaida segundo = Executa(programa, {"--ciclo"});
    EXPECT_EQ(segundo.status, 1);
    EXPECT_TRUE(segundo.erros.contains(QStringLiteral("outro monitor (processo %1").arg(primeiro.processId())))
        << segundo.erros.toStdString();

    primeiro.kill();  // SIGKILL: no shut-down, the lock file stays behind
    ASSERT_TRUE(primeiro.waitForFinished(60000));
    EXPECT_TRUE(QFile::exists(trava));
    const TSaida depois = Executa(programa, {"--ciclo"});
    EXPECT_FALSE(depois.erros.contains("outro monitor")) << depois.erros.toStdString();
    EXPECT_FALSE(QFile::exists(trava));  // taken over, and given up at the end
}

TEST(SemJanela, TerminaComSigtermPeloFechamentoNormal)
{
    // With the ERP open (the database engine loaded in the process) and the
    // machine queue missing, which gives a message on standard error.
    QProcess processo;
    processo.setReadChannel(QProcess::StandardError);
    processo.start(Instala(SecaoBanco1(CriaErp()) + QStringLiteral("[ModeloAtivo]\nModelo=0\n")),
                   {"--sem-janela"});
    ASSERT_TRUE(processo.waitForStarted());
    // The start-up message comes after the signal handlers are in place.
    QByteArray erros;
    while (!erros.contains('\n') && processo.waitForReadyRead(60000))
        erros += processo.readAllStandardError();
    EXPECT_TRUE(erros.startsWith("Quelix: ")) << erros.toStdString();
    processo.terminate();
    ASSERT_TRUE(processo.waitForFinished(60000));
    EXPECT_EQ(processo.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(processo.exitCode(), 0);
}

} // namespace
