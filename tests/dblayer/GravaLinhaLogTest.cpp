// The daily log writer and the small helpers beside it.
#include "AmbienteTeste.h"

#include "base/Erros.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/Maquina.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString Pasta(const QString& nome)
{
    const QString p = AmbienteTeste::pastaTemporaria() + u'/' + AmbienteTeste::nomeUnico(nome);
    QDir().mkpath(p);
    return p;
}

QByteArray LeArquivo(const QString& caminho)
{
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString Hoje() { return QDate::currentDate().toString("yyyyMMdd"); }

TEST(GravaLinhaLog, LinhaComCincoCamposEMensagemLimpa)
{
    const QString pasta = Pasta("logs");
    DefinePastaDoExecutavel(pasta);
    GravaLinhaLog("MAQ1", "10.0.0.5", "ana", "  a|b\r\nUPDATE X\rY\n ");
    GravaLinhaLog("MAQ1", "10.0.0.5", "", "segunda");

    const QByteArray texto = LeArquivo(pasta + "/Logs/MAQ1-" + Hoje() + ".log");
    const QList<QByteArray> linhas = texto.split('\n');
    ASSERT_EQ(linhas.size(), 3) << texto.toStdString();
    const QString primeira = QString::fromLatin1(linhas[0]);
    EXPECT_TRUE(primeira.startsWith("|10.0.0.5||ana|")) << primeira.toStdString();
    // CR LF becomes one blank, "|" becomes ß, lone CR and LF stay, the text is trimmed.
    EXPECT_TRUE(primeira.endsWith(QString::fromUtf8("|aßb UPDATE X\rY|\r")))
        << primeira.toStdString();
    EXPECT_EQ(primeira.count(u'|'), 6);
    EXPECT_TRUE(linhas[1].startsWith("|10.0.0.5|||"));
    DefinePastaDoExecutavel({});
}

TEST(GravaLinhaLog, SemNomeDeMaquinaESemPastaLogs)
{
    const QString pasta = Pasta("semlogs");
    // A file named Logs keeps the folder from being made: the line goes
    // beside the executable.
    QFile bloqueio(pasta + "/Logs");
    ASSERT_TRUE(bloqueio.open(QIODevice::WriteOnly));
    bloqueio.close();
    DefinePastaDoExecutavel(pasta);
    GravaLinhaLog("", "1.2.3.4", "u", "msg");
    EXPECT_FALSE(LeArquivo(pasta + "/MaqDesconhecida-" + Hoje() + ".log").isEmpty());
    DefinePastaDoExecutavel({});
}

TEST(GravaLinhaLog, FalhaDeGravacaoViraErroDeEntradaESaida)
{
    const QString pasta = Pasta("ocupado");
    DefinePastaDoExecutavel(pasta);
    QDir().mkpath(pasta + "/Logs/M-" + Hoje() + ".log");  // a folder where the file should be
    EXPECT_THROW(GravaLinhaLog("M", "", "", "x"), EInOutError);
    DefinePastaDoExecutavel({});
}

// The file is in Windows-1252: the euro sign, curly quotes and dashes keep
// their bytes; a character the code page lacks becomes "?".
TEST(GravaLinhaLog, GravaEmWindows1252)
{
    const QString pasta = Pasta("cp1252");
    DefinePastaDoExecutavel(pasta);
    GravaLinhaLog("M", "", "", QString::fromUtf8("€ “aspas” – ação ✓"));
    const QByteArray texto = LeArquivo(pasta + "/Logs/M-" + Hoje() + ".log");
    EXPECT_TRUE(texto.endsWith(QByteArray("|\x80 \x93" "aspas\x94 \x96 a\xe7\xe3o ?|\r\n"))) << texto.toStdString();
    DefinePastaDoExecutavel({});
}

// A full disk fails at the flush, not at the write into Qt's buffer: the
// failure is raised, never dropped.
TEST(GravaLinhaLog, DiscoCheioViraErroDeEntradaESaida)
{
    const QString pasta = Pasta("cheio");
    QDir().mkpath(pasta + "/Logs");
    ASSERT_TRUE(QFile::link("/dev/full", pasta + "/Logs/M-" + Hoje() + ".log"));
    DefinePastaDoExecutavel(pasta);
    try {
        GravaLinhaLog("M", "", "", "linha que não cabe");
        ADD_FAILURE() << "a line on a full disk counted as written";
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.Message().startsWith(QString::fromUtf8("Não foi possível gravar o arquivo de log ")))
            << e.Message().toStdString();
    }
    DefinePastaDoExecutavel({});
}

// The time stamp's separators are the locale's: "/" and ":" under Brazilian
// (and the default) settings; "." for dates under German ones (the same
// test runs again with LC_TIME=de_DE.UTF-8).
TEST(GravaLinhaLog, CarimboComOsSeparadoresDaLocalidade)
{
    const QString nome = qEnvironmentVariable("LC_TIME");
    const QString s = nome.startsWith(QLatin1String("de")) ? QStringLiteral(".") : QStringLiteral("/");
    const QDateTime momento(QDate(2024, 3, 5), QTime(7, 8, 9));
    const QString linha = MontaLinhaLog("ip", "janela", "u", momento, "m");
    EXPECT_EQ(linha, "|ip|janela|u|05" + s + "03" + s + "24 07:08:09|m|") << nome.toStdString();
}

TEST(Maquina, CompletaZerosEIdentidade)
{
    EXPECT_EQ(CompletaZeros(5, 2), "05");
    EXPECT_EQ(CompletaZeros(7, 2), "07");
    EXPECT_EQ(CompletaZeros(123, 2), "123");
    EXPECT_EQ(CompletaZeros(2025, 2), "2025");
    EXPECT_EQ(CompletaZeros(0, 3), "000");
    EXPECT_LE(NomeMaquina().size(), 15);
    EXPECT_EQ(IPLocal().count(u'.'), 3);
}

} // namespace
