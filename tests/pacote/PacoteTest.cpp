// The Debian package as scripts/pacote.sh builds it from this build folder:
// its name, control fields and contents, the dependencies of what it ships,
// and the unpacked quelix (dpkg -x) running a cycle in a folder of its own.
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
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

#include <cstdio>
#include <unistd.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao =
    ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

QString Le(const QString& caminho)
{
    QFile arquivo(caminho);
    return arquivo.open(QIODevice::ReadOnly) ? QString::fromUtf8(arquivo.readAll()) : QString();
}

// The installed package a file belongs to. With /lib merged into /usr the
// loader may name a file by a path dpkg does not know: each way of writing
// it is asked.
QString PacoteDoArquivo(const QString& caminho)
{
    const QString real = QFileInfo(caminho).canonicalFilePath();
    QStringList formas{caminho, real};
    for (const QString& forma : QStringList(formas)) {
        if (forma.startsWith(QLatin1String("/usr/")))
            formas << forma.mid(4);
        else
            formas << QStringLiteral("/usr") + forma;
    }
    for (const QString& forma : formas) {
        const TSaida dono = Executa(QStringLiteral("dpkg"), {"-S", forma});
        if (dono.status == 0)
            return dono.saida.section(u':', 0, 0).trimmed();
    }
    return {};
}

// The package, built once for the whole run, and its unpacked tree.
class Pacote : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const QString saida = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("deb"));
        QProcess script;
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.insert(QStringLiteral("QX_BUILD"), QStringLiteral(QUELIX_DIR_BUILD));
        script.setProcessEnvironment(ambiente);
        script.setWorkingDirectory(QDir::tempPath());
        script.start(QStringLiteral("bash"), {QStringLiteral(QUELIX_DIR_FONTE "/scripts/pacote.sh"), saida});
        const bool terminou = script.waitForFinished(900000);
        FSaidaScript = QString::fromUtf8(script.readAllStandardOutput() + script.readAllStandardError());
        if (!terminou || script.exitStatus() != QProcess::NormalExit || script.exitCode() != 0)
            return;
        const QStringList debs = QDir(saida).entryList({QStringLiteral("*.deb")}, QDir::Files);
        if (debs.size() != 1)
            return;
        FDeb = QDir(saida).filePath(debs.front());
        FRaiz = QDir(saida).filePath(QStringLiteral("raiz"));
        FControle = QDir(saida).filePath(QStringLiteral("controle"));
        if (Executa(QStringLiteral("dpkg"), {"-x", FDeb, FRaiz}).status != 0
            || Executa(QStringLiteral("dpkg-deb"), {"-e", FDeb, FControle}).status != 0)
            FDeb.clear();
    }

    void SetUp() override
    {
        ASSERT_FALSE(FDeb.isEmpty()) << "scripts/pacote.sh did not make one package that dpkg unpacks:\n"
                                     << FSaidaScript.toStdString();
    }

    static QString Campo(const QString& nome)
    {
        return Executa(QStringLiteral("dpkg-deb"), {"-f", FDeb, nome}).saida.trimmed();
    }

    // The package names of a relation field, without versions or alternatives.
    static QSet<QString> Pacotes(const QString& campo)
    {
        QSet<QString> nomes;
        for (const QString& item : Campo(campo).split(u',', Qt::SkipEmptyParts))
            for (const QString& alternativa : item.split(u'|'))
                nomes << alternativa.trimmed().section(u' ', 0, 0);
        return nomes;
    }

    static QString Quelix() { return FRaiz + QStringLiteral("/usr/bin/quelix"); }

    static QString FDeb;
    static QString FRaiz;
    static QString FControle;
    static QString FSaidaScript;
};

QString Pacote::FDeb;
QString Pacote::FRaiz;
QString Pacote::FControle;
QString Pacote::FSaidaScript;

TEST_F(Pacote, NomeECampos)
{
    EXPECT_EQ(QFileInfo(FDeb).fileName(), QStringLiteral("quelix_%1_amd64.deb").arg(QStringLiteral(QUELIX_VERSAO)));
    EXPECT_EQ(Campo("Package"), "quelix");
    EXPECT_EQ(Campo("Version"), QUELIX_VERSAO);
    EXPECT_EQ(Campo("Architecture"), "amd64");
    EXPECT_FALSE(Campo("Maintainer").isEmpty());
    EXPECT_FALSE(Campo("Description").isEmpty());
    // Each relation set once, with every package it names.
    EXPECT_EQ(Pacotes(QStringLiteral("Recommends")),
              (QSet<QString>{"qt6-translations-l10n", "qt6-qpa-plugins", "firebird3.0-server-core", "unixodbc"}));
    EXPECT_EQ(Pacotes(QStringLiteral("Suggests")), (QSet<QString>{"odbc-postgresql", "tdsodbc", "libsqliteodbc"}));
}

// lintian, as Debian checks its own packages: no error and no warning. The
// informational tags left are printed.
TEST_F(Pacote, LintianSemErrosNemAvisos)
{
    const TSaida lintian = Executa(QStringLiteral("lintian"), {"--display-info", "--pedantic", "--no-tag-display-limit", FDeb});
    ASSERT_NE(lintian.status, -1) << "lintian is missing: install the package lintian";
    QStringList informativas;
    for (const QString& linha : lintian.saida.split(u'\n', Qt::SkipEmptyParts)) {
        EXPECT_FALSE(linha.startsWith(QLatin1String("E: ")) || linha.startsWith(QLatin1String("W: ")))
            << linha.toStdString();
        if (linha.startsWith(QLatin1String("I: ")) || linha.startsWith(QLatin1String("P: ")))
            informativas << linha;
    }
    std::printf("lintian, informativas:\n%s\n", qPrintable(informativas.join(u'\n')));
}

// The packaged unit as systemd judges its sandbox, without a running
// systemd: "OK" (4.5 or lower).
TEST_F(Pacote, UnidadeIsolada)
{
    const QString unidade = FRaiz + QStringLiteral("/usr/lib/systemd/system/quelix.service");
    const TSaida analise = Executa(QStringLiteral("systemd-analyze"), {"security", "--offline=yes", unidade});
    ASSERT_NE(analise.status, -1) << "systemd-analyze is missing: install the package systemd";
    const auto nota = QRegularExpression(QStringLiteral("Overall exposure level for quelix.service: ([0-9.]+) (\\w+)"))
                          .match(analise.saida);
    ASSERT_TRUE(nota.hasMatch()) << analise.saida.toStdString() << analise.erros.toStdString();
    std::printf("systemd-analyze security: %s %s\n", qPrintable(nota.captured(1)), qPrintable(nota.captured(2)));
    EXPECT_LE(nota.captured(1).toDouble(), 4.5) << analise.saida.toStdString();
}

// The manual pages are those of the packaged commands' --help: every option
// it lists is in the page.
TEST_F(Pacote, ManuaisDizemOQueAAjudaDiz)
{
    for (const char* comando : {"quelix", "quelix-sql"}) {
        SCOPED_TRACE(comando);
        const QString pagina = Executa(QStringLiteral("zcat"), {FRaiz + QStringLiteral("/usr/share/man/man1/%1.1.gz").arg(QLatin1String(comando))}).saida;
        ASSERT_TRUE(pagina.startsWith(QStringLiteral(".TH "))) << pagina.toStdString();
        EXPECT_TRUE(pagina.contains(QStringLiteral("\n.SH NOME\n") + QString(QLatin1String(comando)).replace(u'-', QStringLiteral("\\-")) + QStringLiteral(" \\- ")));
        const QString ajuda = Executa(FRaiz + QStringLiteral("/usr/bin/") + QLatin1String(comando), {"--help"}).saida;
        static const QRegularExpression opcao(QStringLiteral("^  (-\\S+(?:, -\\S+)?(?: \\S+)?)  "), QRegularExpression::MultilineOption);
        int opcoes = 0;
        for (auto it = opcao.globalMatch(ajuda); it.hasNext(); ++opcoes) {
            const QString termo = it.next().captured(1);
            EXPECT_TRUE(pagina.contains(QStringLiteral("\\fB") + QString(termo).replace(u'-', QStringLiteral("\\-"))))
                << termo.toStdString();
        }
        EXPECT_GE(opcoes, 2) << ajuda.toStdString();
    }
}

// The package installed with dpkg in a throwaway copy of this machine (an
// overlay of its root, in a mount namespace of its own, so that nothing of
// the machine changes): the folder and Logs/ are quelix's, a command run by
// root that only reads leaves them so, the service's user writes its
// journal, and purge removes the folder.
TEST_F(Pacote, InstaladoPeloDpkg)
{
    ASSERT_EQ(::geteuid(), 0u) << "installing the package in an overlay of this machine needs root";
    const QString raiz = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("sobreposicao"));
    QDir().mkpath(raiz);
    // Mounts made here must not reach the machine: the namespace's mounts are
    // made private first. In a chroot whose root is no mount point that
    // fails; its own namespace already keeps them in.
    const QString roteiro = QStringLiteral(R"sh(set -e
R=$1; DEB=$2
mount --make-rprivate / 2>/dev/null || true
mount -t tmpfs tmpfs "$R"
mkdir -p "$R/acima" "$R/trabalho" "$R/raiz"
mount -t overlay overlay -o lowerdir=/,upperdir="$R/acima",workdir="$R/trabalho" "$R/raiz"
mount --rbind /proc "$R/raiz/proc"
mount --rbind /dev "$R/raiz/dev"
cp "$DEB" "$R/raiz/tmp/quelix.deb"
na() { chroot "$R/raiz" "$@"; }
na dpkg -i /tmp/quelix.deb >/dev/null
echo "instalado: $(na stat -c '%U:%G %a' /var/lib/quelix) $(na stat -c '%U:%G %a' /var/lib/quelix/Logs) $(na stat -c '%U:%G %a' /var/lib/quelix/QX.ini)"
na quelix --verifica --pasta /var/lib/quelix >/dev/null || true
na quelix --estado --pasta /var/lib/quelix >/dev/null 2>&1 || true
echo "depois de root: $(na find /var/lib/quelix ! -user quelix -printf '%P ')"
na runuser -u quelix -- quelix --ciclo --pasta /var/lib/quelix >/dev/null 2>&1 || true
echo "historico: $(na stat -c '%U' /var/lib/quelix/Logs/historico.sqlite)"
na dpkg --purge quelix >/dev/null
echo "purge: $(na test -e /var/lib/quelix && echo ficou || echo removida)"
)sh");
    const TSaida r = Executa(QStringLiteral("unshare"), {"-m", "--propagation", "unchanged", "sh", "-c", roteiro, "sh", raiz, FDeb});
    EXPECT_EQ(r.status, 0) << r.saida.toStdString() << r.erros.toStdString();
    EXPECT_TRUE(r.saida.contains(QStringLiteral("instalado: quelix:quelix 750 quelix:quelix 750 root:quelix 640\n")))
        << r.saida.toStdString() << r.erros.toStdString();
    // Only QX.ini, root's on purpose.
    EXPECT_TRUE(r.saida.contains(QStringLiteral("depois de root: QX.ini \n"))) << r.saida.toStdString();
    EXPECT_TRUE(r.saida.contains(QStringLiteral("historico: quelix\n"))) << r.saida.toStdString() << r.erros.toStdString();
    EXPECT_TRUE(r.saida.contains(QStringLiteral("purge: removida\n"))) << r.saida.toStdString();
}

TEST_F(Pacote, ConteudoInstalado)
{
    struct {
        const char* caminho;
        QFile::Permissions exige;
    } casos[] = {
        {"usr/bin/quelix", QFile::ExeOther},
        {"usr/bin/quelix-sql", QFile::ExeOther},
        {"usr/lib/systemd/system/quelix.service", QFile::ReadOther},
        {"usr/share/quelix/QX.ini.exemplo", QFile::ReadOther},
        {"usr/share/quelix/quelix-alertas.yml", QFile::ReadOther},
        {"usr/share/doc/quelix/README.md", QFile::ReadOther},
        {"usr/share/doc/quelix/docs/arquitetura.md", QFile::ReadOther},
        {"usr/share/doc/quelix/sql/erp_firebird.sql", QFile::ReadOther},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.caminho);
        const QFileInfo arquivo(QDir(FRaiz).filePath(QLatin1String(caso.caminho)));
        ASSERT_TRUE(arquivo.isFile());
        EXPECT_TRUE(arquivo.permissions() & caso.exige);
    }
    // Owned by root in the archive, whoever built it.
    const TSaida lista = Executa(QStringLiteral("dpkg-deb"), {"-c", FDeb});
    for (const QString& linha : lista.saida.split(u'\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(linha.section(u' ', 1, 1) == "root/root") << linha.toStdString();
    // Stripped: no debugging sections in what is shipped.
    const TSaida secoes = Executa(QStringLiteral("readelf"), {"-S", Quelix()});
    EXPECT_FALSE(secoes.saida.contains(".debug_info"));
}

// Every shared library the two executables load directly comes from a
// package that Depends names; and the database drivers that Qt loads at
// run time for the connections are declared too.
TEST_F(Pacote, DependenciasCobremOQueOsExecutaveisCarregam)
{
    const QSet<QString> depende = Pacotes(QStringLiteral("Depends"));
    for (const char* executavel : {"usr/bin/quelix", "usr/bin/quelix-sql"}) {
        SCOPED_TRACE(executavel);
        const QString caminho = QDir(FRaiz).filePath(QLatin1String(executavel));
        const TSaida ldd = Executa(QStringLiteral("ldd"), {caminho});
        ASSERT_EQ(ldd.status, 0) << ldd.erros.toStdString();
        EXPECT_FALSE(ldd.saida.contains("not found")) << ldd.saida.toStdString();
        QMap<QString, QString> resolvidas;  // soname -> path
        // "libX.so.N => /path (address)", and the loader as "/path (address)".
        static const QRegularExpression linhaLdd(QStringLiteral("^\\s*(\\S+) => (\\S+)"));
        static const QRegularExpression carregador(QStringLiteral("^\\s*(/\\S+) \\("));
        for (const QString& linha : ldd.saida.split(u'\n')) {
            if (const auto m = linhaLdd.match(linha); m.hasMatch())
                resolvidas[m.captured(1)] = m.captured(2);
            else if (const auto c = carregador.match(linha); c.hasMatch())
                resolvidas[QFileInfo(c.captured(1)).fileName()] = c.captured(1);
        }
        const TSaida dinamica = Executa(QStringLiteral("readelf"), {"-d", caminho});
        static const QRegularExpression needed(QStringLiteral("\\(NEEDED\\).*\\[(.+)\\]"));
        int diretas = 0;
        for (auto it = needed.globalMatch(dinamica.saida); it.hasNext();) {
            const QString soname = it.next().captured(1);
            ++diretas;
            ASSERT_TRUE(resolvidas.contains(soname)) << soname.toStdString();
            const QString pacote = PacoteDoArquivo(resolvidas[soname]);
            ASSERT_FALSE(pacote.isEmpty()) << soname.toStdString() << " belongs to no package";
            EXPECT_TRUE(depende.contains(pacote))
                << soname.toStdString() << " comes from " << pacote.toStdString() << ", not in Depends: "
                << Campo("Depends").toStdString();
        }
        EXPECT_GT(diretas, 0);
    }
    for (const char* driver : {"libqt6sql6-odbc", "libqt6sql6-psql", "libqt6sql6-sqlite", "adduser"})
        EXPECT_TRUE(depende.contains(QLatin1String(driver))) << driver;
}

// The unit runs the packaged executable without a window in the folder the
// maintainer scripts create, as the user they create; the scripts are valid
// shell and executable.
TEST_F(Pacote, UnidadeEScriptsCombinam)
{
    const QString unidade = Le(FRaiz + QStringLiteral("/usr/lib/systemd/system/quelix.service"));
    EXPECT_TRUE(unidade.contains(QStringLiteral("\nExecStart=/usr/bin/quelix --sem-janela --pasta /var/lib/quelix\n")))
        << unidade.toStdString();
    EXPECT_TRUE(unidade.contains(QStringLiteral("\nUser=quelix\n")));
    EXPECT_TRUE(unidade.contains(QStringLiteral("\nSuccessExitStatus=143\n")));
    EXPECT_TRUE(unidade.contains(QStringLiteral("\nReadWritePaths=/var/lib/quelix\n")));
    const auto arquivos = QRegularExpression(QStringLiteral("\nLimitNOFILE=(\\d+)\n")).match(unidade);
    EXPECT_GT(arquivos.captured(1).toInt(), 1024) << unidade.toStdString();
    const QString postinst = Le(FControle + QStringLiteral("/postinst"));
    EXPECT_TRUE(postinst.contains(QRegularExpression(QStringLiteral("adduser --system[^\\n]*\\n?[^\\n]* quelix"))))
        << postinst.toStdString();
    EXPECT_TRUE(postinst.contains(QStringLiteral("PASTA=/var/lib/quelix")));
    EXPECT_TRUE(postinst.contains(QStringLiteral("/usr/share/quelix/QX.ini.exemplo")));
    for (const char* script : {"postinst", "prerm", "postrm"}) {
        SCOPED_TRACE(script);
        const QString caminho = FControle + u'/' + QLatin1String(script);
        EXPECT_TRUE(QFileInfo(caminho).permissions() & QFile::ExeOther);
        const TSaida sintaxe = Executa(QStringLiteral("sh"), {"-n", caminho});
        EXPECT_EQ(sintaxe.status, 0) << sintaxe.erros.toStdString();
    }
}

TEST_F(Pacote, VersaoDoDesempacotadoEhADoBuild)
{
    const TSaida desempacotado = Executa(Quelix(), {"--versao"});
    EXPECT_EQ(desempacotado.status, 0) << desempacotado.erros.toStdString();
    EXPECT_TRUE(desempacotado.saida.startsWith(QStringLiteral("quelix %1 (commit ").arg(QStringLiteral(QUELIX_VERSAO))));
    EXPECT_EQ(desempacotado.saida, Executa(QStringLiteral(QUELIX_EXECUTAVEL), {"--versao"}).saida);
}

// The unpacked quelix, run from elsewhere with --pasta naming a folder with
// a Bruma configuration: one cycle sends the pending lot, and nothing is
// written beside the executable.
TEST_F(Pacote, CicloComPastaNoDesempacotado)
{
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp, ErpLote4711);
    const QString dsn = CriaFilaBruma(FilaLote4711);
    const QString pasta = PastaComIni(
        SecaoBanco1(erp)
        + SecaoBanco2(dsn) + QStringLiteral("[ModeloAtivo]\nModelo=0\n"));

    const QStringList antes = QDir(FRaiz + QStringLiteral("/usr/bin")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const TSaida r = Executa(Quelix(), {"--ciclo", "--pasta", pasta});
    EXPECT_EQ(r.status, 0) << r.saida.toStdString() << r.erros.toStdString();
    EXPECT_EQ(r.erros, "");
    EXPECT_EQ(r.saida, QString::fromUtf8("Concluído. FAL 4711     enviada para máquina com sucesso para Posição 1.\n"));
    EXPECT_EQ(QDir(FRaiz + QStringLiteral("/usr/bin")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), antes);

    EXPECT_EQ(StatusDoLote(erp, QStringLiteral("4711")), "E");
}

} // namespace
