// quelix --ciclo and --sem-janela end to end: the built executable, copied
// alone into a folder beside its QX.ini, against real databases.
#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "BancoTeste.h"
#include "MonitorEmExecucao.h"
#include "OutraConexao.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao =
    ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

QString Instala(const QString& ini)
{
    return InstalaExecutavel(QStringLiteral(QUELIX_EXECUTAVEL), ini);
}

// The rows of a query on an embedded Firebird file, as the query layer reads
// them (whole numbers as integers, exact decimals as their value).
QList<QVariantList> Consulta(const QString& caminho, const char* sql)
{
    QList<QVariantList> linhas;
    for (const TLinhaLida& lida : TOutraConexao(TOutraConexao::TServidor::Firebird, caminho).Linhas(QString::fromUtf8(sql))) {
        QVariantList linha;
        for (const TKoField& campo : lida)
            linha << campo.Value();
        linhas << linha;
    }
    return linhas;
}

TEST(LinhaDeComando, AjudaListaOsModos)
{
    const TSaida r = Executa(QStringLiteral(QUELIX_EXECUTAVEL), {"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.saida.contains("--ciclo"));
    EXPECT_TRUE(r.saida.contains("--sem-janela"));
    EXPECT_TRUE(r.saida.contains("--verifica"));
    EXPECT_TRUE(r.saida.contains("--simula"));
    // One language: the parser's own texts too, whatever the locale.
    EXPECT_TRUE(r.saida.startsWith(QStringLiteral("Uso: "))) << r.saida.toStdString();
    EXPECT_TRUE(r.saida.contains(QStringLiteral("\nOpções:\n")));
    for (const char* ingles : {"Usage", "Options:", "Displays"})
        EXPECT_FALSE(r.saida.contains(QLatin1String(ingles))) << ingles;
    EXPECT_EQ(Executa(QStringLiteral(QUELIX_EXECUTAVEL), {"--nada"}).status, 2);
}

// Every entry under `pasta`, with its owner's uid.
QMap<QString, uint> Donos(const QString& pasta)
{
    QMap<QString, uint> donos;
    QDirIterator it(pasta, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entrada(it.next());
        donos[QDir(pasta).relativeFilePath(entrada.filePath())] = entrada.ownerId();
    }
    return donos;
}

// Commands run by root on a folder another user owns (the service's, as
// /var/lib/quelix is quelix's): those that only read leave nothing there;
// those that write leave only what the owner can write, and the owner's own
// monitor then writes its journal and daily log.
TEST(LinhaDeComando, ComandosDeRootNaoDeixamArquivosQueODonoNaoGrave)
{
    ASSERT_EQ(::geteuid(), 0u) << "this test runs commands as root on a folder of another user";
    const passwd* dono = ::getpwnam("nobody");
    ASSERT_NE(dono, nullptr) << "the user nobody is missing";
    QTemporaryDir base(QDir::tempPath() + QStringLiteral("/quelix-dono-XXXXXX"));
    const QString pasta = base.path();
    {
        QFile ini(QDir(pasta).filePath(QStringLiteral("QX.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[ModeloAtivo]\nModelo=0\n");
    }
    for (const QString& caminho : {pasta, QDir(pasta).filePath(QStringLiteral("QX.ini"))})
        ASSERT_EQ(::chown(QFile::encodeName(caminho).constData(), dono->pw_uid, dono->pw_gid), 0);
    const QString quelix = QStringLiteral(QUELIX_EXECUTAVEL);

    for (const QStringList& soLeitura : {QStringList{"--verifica"}, QStringList{"--historico"}, QStringList{"--estado"}}) {
        SCOPED_TRACE(soLeitura.front().toStdString());
        Executa(quelix, soLeitura + QStringList{"--pasta", pasta});
        EXPECT_EQ(Donos(pasta).keys(), QStringList{"QX.ini"});
    }

    // Cycles with no ERP fail: each writes to the journal, and the monitor
    // without a window writes the error to the daily log too.
    {
        TMonitorEmExecucao monitor(quelix, {"--sem-janela", "--pasta", pasta}, {{"QUELIX_INTERVALO_MS", "200"}});
        monitor.Espera([&monitor](const QStringList&) { return monitor.Erros().count(QStringLiteral("Conexão fechada")) >= 2; },
                       60000);
        monitor.PedeTermino();
        EXPECT_EQ(monitor.Fim(60000), 0) << monitor.Erros().toStdString();
    }
    const QMap<QString, uint> feitos = Donos(pasta);
    EXPECT_TRUE(feitos.contains(QStringLiteral("Logs/historico.sqlite"))) << feitos.keys().join(u' ').toStdString();
    EXPECT_FALSE(QDir(pasta + QStringLiteral("/Logs")).entryList({QStringLiteral("*.log")}).isEmpty())
        << feitos.keys().join(u' ').toStdString();
    for (auto it = feitos.cbegin(); it != feitos.cend(); ++it)
        EXPECT_EQ(it.value(), dono->pw_uid) << it.key().toStdString();

    const TSaida comoDono = Executa(QStringLiteral("setpriv"),
                                    {"--reuid=nobody", "--regid=" + QString::number(dono->pw_gid), "--clear-groups",
                                     quelix, "--ciclo", "--pasta", pasta});
    EXPECT_EQ(comoDono.status, 1) << comoDono.erros.toStdString();
    for (const char* falha : {"Histórico não pôde", "arquivo de log"})
        EXPECT_FALSE((comoDono.saida + comoDono.erros).contains(QString::fromUtf8(falha)))
            << comoDono.saida.toStdString() << comoDono.erros.toStdString();
    EXPECT_EQ(Executa(quelix, {"--estado", "--pasta", pasta}).status, 1);

    // Logs/ taken by root: --verifica, run as root, says so.
    ASSERT_EQ(::chown(QFile::encodeName(QDir(pasta).filePath(QStringLiteral("Logs"))).constData(), 0, 0), 0);
    const TSaida verificacao = Executa(quelix, {"--verifica", "--pasta", pasta});
    EXPECT_TRUE(verificacao.saida.contains(
        QStringLiteral("FALHA: pasta de logs %1/Logs gravável: pertence a root:root, não a nobody:%2, dono de %1")
            .arg(pasta, QString::fromLocal8Bit(::getgrgid(dono->pw_gid)->gr_name))))
        << verificacao.saida.toStdString();
}

TEST(LinhaDeComando, VersaoTrazOCommit)
{
    const TSaida r = Executa(QStringLiteral(QUELIX_EXECUTAVEL), {"--versao"});
    EXPECT_EQ(r.status, 0);
    const QRegularExpression forma(QStringLiteral("^quelix %1 \\(commit [0-9a-f]{12}(-modificado)?\\)\n$")
                                       .arg(QRegularExpression::escape(QStringLiteral(QUELIX_VERSAO))));
    EXPECT_TRUE(forma.match(r.saida).hasMatch()) << r.saida.toStdString();
}

// --pasta alone opens the window, as the window's toolkit options do: with
// a platform plugin that does not exist the window cannot open, and says
// so, while the modes without a window run.
TEST(LinhaDeComando, PastaAbreAJanelaSemOutroModo)
{
    const QString pasta = PastaComIni(QStringLiteral("[ModeloAtivo]\nModelo=9\n"));
    QProcessEnvironment semTela = QProcessEnvironment::systemEnvironment();
    semTela.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("nenhuma"));
    const struct {
        QStringList argumentos;
        bool janela;
    } casos[] = {
        {{"--pasta", pasta}, true},
        {{"--pasta=" + pasta}, true},
        {{"--pasta", pasta, "--ciclo"}, false},
        {{"--versao"}, false},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.argumentos.join(' ').toStdString());
        const TSaida r = Executa(QStringLiteral(QUELIX_EXECUTAVEL), caso.argumentos, semTela);
        EXPECT_EQ(r.erros.contains("\"nenhuma\""), caso.janela) << r.erros.toStdString();
        if (!caso.janela) {
            EXPECT_NE(r.status, -1);
        }
    }
}

TEST(LinhaDeComando, PastaQueNaoExisteEhRecusada)
{
    const QString ausente = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("nada"));
    const TSaida r = Executa(QStringLiteral(QUELIX_EXECUTAVEL), {"--ciclo", "--pasta", ausente});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.erros.contains(ausente + QStringLiteral("\" não é uma pasta"))) << r.erros.toStdString();
    EXPECT_FALSE(QFileInfo::exists(ausente));
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
    // On standard output the line before each of them: the connection with
    // its section and data source, and the cycle's end with the connection
    // it found closed.
    const QStringList saida = r.saida.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(saida.size(), 2) << r.saida.toStdString();
    EXPECT_TRUE(saida[0].startsWith("Conexão KoDatabase1 não aberta: [Banco1] Base = (vazia) (driver FB): "))
        << r.saida.toStdString();
    EXPECT_TRUE(saida[1].startsWith("O ciclo de Bruma parou: ")) << r.saida.toStdString();
    EXPECT_TRUE(saida[1].endsWith("(conexão fechada: KoDatabase1).")) << r.saida.toStdString();
}

// A model that names no machine type, or EAS without its host database, is
// said at start-up. The first keeps its old end (the Bruma cycle fails on
// the closed connection: exit 1); the EAS pass that cannot run makes
// --ciclo exit 3.
TEST(Ciclo, ModeloSemTipoOuSemBancoEhNomeadoNoInicio)
{
    const QString erp = CriaErp();
    const struct {
        const char* modelo;
        int status;
        const char* linha;
    } casos[] = {
        {"9", 1, "[ModeloAtivo] Modelo \"9\" não é um tipo de máquina: só o ERP (KoDatabase1) foi conectado, e nenhum lado das máquinas."},
        {"", 1, "[ModeloAtivo] Modelo \"\" não é um tipo de máquina: só o ERP (KoDatabase1) foi conectado, e nenhum lado das máquinas."},
        {"2", 3, "QX.ini sem [Banco3] Base: o banco do EAS (KoDatabase2) não foi configurado, e os passos do EAS não rodam."},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.modelo);
        const TSaida r = Executa(Instala(SecaoBanco1(erp) + QStringLiteral("[ModeloAtivo]\nModelo=%1\n")
                                                              .arg(QLatin1String(caso.modelo))),
                                 {"--ciclo"});
        EXPECT_EQ(r.status, caso.status) << r.saida.toStdString() << r.erros.toStdString();
        EXPECT_EQ(r.saida.split('\n').value(0), QString::fromUtf8(caso.linha)) << r.saida.toStdString();
    }
}

// The interval the environment sets for tests is never taken silently: a
// run that reads it says so first, and one that cannot use it says that the
// 59 s hold.
TEST(Ciclo, IntervaloDoAmbienteEhDitoNoInicio)
{
    const QString programa = Instala(QStringLiteral("[ModeloAtivo]\nModelo=9\n"));
    const struct {
        const char* valor;  // nullptr: not set
        const char* linha;
    } casos[] = {
        {"250", "QUELIX_INTERVALO_MS=250: o intervalo entre ciclos é de 250 ms, não de 59 s."},
        {"abc", "QUELIX_INTERVALO_MS=\"abc\" não é um número de milissegundos: o intervalo entre ciclos fica em 59 s."},
        {"0", "QUELIX_INTERVALO_MS=\"0\" não é um número de milissegundos: o intervalo entre ciclos fica em 59 s."},
        {nullptr, "[ModeloAtivo] Modelo \"9\" não é um tipo de máquina: só o ERP (KoDatabase1) foi conectado, e nenhum "
                  "lado das máquinas."},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.valor ? caso.valor : "(sem a variável)");
        QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
        ambiente.remove(QStringLiteral("QUELIX_INTERVALO_MS"));
        if (caso.valor)
            ambiente.insert(QStringLiteral("QUELIX_INTERVALO_MS"), QString::fromLatin1(caso.valor));
        const TSaida r = Executa(programa, {"--ciclo"}, ambiente);
        // The interval's line comes first; without it, start-up's own lines.
        if (caso.valor)
            EXPECT_EQ(r.saida.split('\n').value(0), QString::fromUtf8(caso.linha)) << r.saida.toStdString();
        else
            EXPECT_TRUE(r.saida.contains(QString::fromUtf8(caso.linha))) << r.saida.toStdString();
        EXPECT_EQ(r.saida.count(QStringLiteral("QUELIX_INTERVALO_MS")), caso.valor ? 1 : 0) << r.saida.toStdString();
    }
}

TEST(Ciclo, BrumaEnviaOLoteParaAFilaDaMaquina)
{
    const TSiteBruma site = SiteBruma(ErpLote4711, FilaLote4711);

    const TSaida r = Executa(Instala(site.Ini), {"--ciclo"});

    EXPECT_EQ(r.status, 0) << r.erros.toStdString();
    EXPECT_EQ(r.erros, "");
    EXPECT_EQ(r.saida, QString::fromUtf8("Concluído. FAL 4711     enviada para máquina com sucesso para Posição 1.\n"));

    EXPECT_EQ(StatusDoLote(site.Erp, QStringLiteral("4711")), "E");
}

TEST(Ciclo, LoteQueFalhaNaoParaOCicloESaiComTres)
{
    const TSaida r = Executa(Instala(SiteBruma(ErpLoteRuimEBom, FilaLoteRuimEBom).Ini), {"--ciclo"});

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

// --pasta moves what the monitor keeps beside the executable: QX.ini is
// read there, the lock file is held there, and the daily logs go to its
// Logs/. A relative name is taken from the working directory. The folder of
// the executable, with a QX.ini of its own, is left alone and stays usable
// by another monitor.
TEST(SemJanela, PastaGuardaIniTravaELogs)
{
    const QString programa = Instala(QStringLiteral("[ModeloAtivo]\nModelo=9\n"));
    const QDir pastaPrograma = QFileInfo(programa).dir();
    // No ERP: every cycle fails on the closed connection, and the service
    // writes each such error to the daily log.
    const QDir pasta(PastaComIni(QStringLiteral("[ModeloAtivo]\nModelo=0\n")));
    QDir acima = pasta;
    acima.cdUp();

    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(QStringLiteral("QUELIX_INTERVALO_MS"), QStringLiteral("200"));
    QProcess monitor;
    monitor.setProcessEnvironment(ambiente);
    monitor.setWorkingDirectory(acima.path());
    monitor.start(programa, {"--sem-janela", "--pasta", pasta.dirName()});
    ASSERT_TRUE(monitor.waitForStarted());
    const QString trava = pasta.filePath("quelix.lock");
    QStringList logs;
    for (int i = 0; i < 600 && logs.isEmpty(); ++i) {
        QThread::msleep(100);
        logs = QDir(pasta.filePath("Logs")).entryList({"*.log"}, QDir::Files);
    }
    ASSERT_EQ(logs.size(), 1) << monitor.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(trava));
    EXPECT_TRUE(QFile::exists(pasta.filePath("Logs/historico.sqlite")));
    QFile log(pasta.filePath("Logs/" + logs.front()));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Erro no ciclo: "));
    EXPECT_FALSE(pastaPrograma.exists("Logs"));

    const TSaida segundo = Executa(programa, {"--ciclo", "--pasta", pasta.path()});
    EXPECT_EQ(segundo.status, 1);
    EXPECT_TRUE(segundo.erros.contains(QStringLiteral("outro monitor (processo %1").arg(monitor.processId())))
        << segundo.erros.toStdString();
    EXPECT_TRUE(segundo.erros.contains(trava)) << segundo.erros.toStdString();

    // Without --pasta the executable's own folder and QX.ini.
    const TSaida aoLado = Executa(programa, {"--ciclo"});
    EXPECT_FALSE(aoLado.erros.contains("outro monitor")) << aoLado.erros.toStdString();
    EXPECT_TRUE(aoLado.saida.contains(QStringLiteral("\n[ModeloAtivo] Modelo \"9\""))) << aoLado.saida.toStdString();

    monitor.terminate();
    ASSERT_TRUE(monitor.waitForFinished(60000));
    EXPECT_EQ(monitor.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(trava));
}

// One EAS cycle on a machine that writes dates day first with "." and
// numbers with a decimal comma: the kitchen's events applied, the pending
// rows exported, and status 3 for the queue position that failed and waits.
TEST(Ciclo, EasAplicaOsEventosEExportaOsPendentes)
{
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp,
        "INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('CO', 'S');\n"
        "INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, REPOSICAO) VALUES ('M001', 'Corante', 'CO', 2.5);\n"
        "INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0001', '1');\n"
        "INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE) VALUES ('M001', '0', '000000', '0001', 10);\n"
        "INSERT INTO FAL_001 (NUMERO, TIPO) VALUES ('4711', '1');\n"
        "INSERT INTO FAL_001 (NUMERO, TIPO, STATUS_EAS30) VALUES ('4712', '1', 'N');\n"
        "INSERT INTO PROCESSO_TIN_001 (FAL, FASE) VALUES ('4711', '01');\n");
    const QString host = BancoTeste::criaFirebirdLocal(AmbienteTeste::nomeUnico("eas_host"), {"eas_host_firebird.sql"});
    BancoTeste::executaSqlFirebird(host,
        "INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('80', 'X', '0004711|X||M1|20240315|0730|', 'F');\n"
        "INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('89', 'X', 'ABC0004711|||M001|||150000000|||||||9|', 'F');\n"
        "INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('95', 'X', 'AX012|4712|||terceira|', 'F');\n");
    QProcessEnvironment regional = QProcessEnvironment::systemEnvironment();
    regional.insert("LC_TIME", "de_DE.UTF-8");
    regional.insert("LC_NUMERIC", "de_DE.UTF-8");

    const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
    const QString programa = Instala(
        SecaoBanco1(erp)
        + QStringLiteral("[Banco3]\nProtocolo=firebird\nBase=%1\nUsuario=SYSDBA\nEstoque=S\n[ModeloAtivo]\nModelo=2\n").arg(host));
    const TSaida r = Executa(programa, {"--ciclo"}, regional);
    const QDateTime depois = QDateTime::currentDateTime().addSecs(1);

    EXPECT_EQ(r.status, 3) << r.erros.toStdString();
    EXPECT_EQ(r.erros, "");
    const QStringList linhas = r.saida.split('\n', Qt::SkipEmptyParts);
    for (const char* linha : {"Grava Movimentos do FTOHOST (80) - FAL: 4711 MAQUINA M1",
                              "Grava Movimentos do FTOHOST (89) (Movimento) - Material: M001 Partida 0004711",
                              "Sucesso no envio para EAS (33) - M001|Corante|2,5|",
                              "Sucesso na alteração do ERP (33) - Materiais",
                              "Sucesso na alteração do ERP (30) - FAL"})
        EXPECT_TRUE(linhas.contains(QString::fromUtf8(linha))) << linha << "\n" << r.saida.toStdString();
    EXPECT_EQ(linhas.filter("ERRO na Gravação Movimentos do FTOHOST (95) - FAL: 4712 ORDEM terceiraMAQUINA 012").size(), 1);

    EXPECT_EQ(Consulta(erp, "SELECT P.MAQUINA, EXTRACT(DAY FROM P.DATA_INI), I.QTDE, F.STATUS_EAS30 "
                            "FROM PROCESSO_TIN_001 P JOIN FAL_001 F ON F.NUMERO = P.FAL, MAT_ITEN_001 I"),
              (QList<QVariantList>{{"M1", 15, 8.5, "N"}}));
    const QList<QVariantList> enviados =
        Consulta(host, "SELECT IDTIPO, CAST(FECHA AS DATE), CAST(FECHA AS TIME) FROM FFROMHOST ORDER BY NRECNO");
    ASSERT_EQ(enviados.size(), 2);
    for (const QVariantList& enviado : enviados) {
        const QDateTime fecha(enviado[1].toDate(), enviado[2].toTime());
        EXPECT_TRUE(fecha >= antes && fecha <= depois) << fecha.toString(Qt::ISODate).toStdString();
    }
    EXPECT_EQ(enviados[0][0], "33");
    EXPECT_EQ(enviados[1][0], "30");
    EXPECT_EQ(Consulta(host, "SELECT IDTIPO, LEIDO FROM FTOHOST ORDER BY NRECNO"),
              (QList<QVariantList>{{"80", "T"}, {"89", "T"}, {"95", "F"}}));

    // The journal: each host record received and each record sent, by its
    // number or key.
    const TSaida historico = Executa(programa, {"--historico", "--formato", "json"});
    QStringList registros;
    for (const QJsonValue& valor : QJsonDocument::fromJson(historico.saida.toUtf8()).array()) {
        const QJsonObject registro = valor.toObject();
        registros << QStringList{registro["direcao"].toString(), registro["tipo"].toString(),
                                 registro["chave"].toString(), registro["desfecho"].toString()}.join(u',');
    }
    registros.sort();
    EXPECT_EQ(registros, QStringList({"enviado,30,4711,enviado", "enviado,33,M001,enviado", "recebido,80,1,enviado",
                                      "recebido,89,2,enviado", "recebido,95,3,falhou"}))
        << historico.saida.toStdString();
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

namespace {

// SIGTERM while the cycle waits on a lock another client holds (a call that
// would wait its whole limit, 30 s and its retries): the process still ends
// within the grace of the shut-down, and says why.
TEST(SemJanela, SigtermEncerraMesmoComUmaChamadaPresa)
{
    const QString banco = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico("erp"), {"erp_postgres.sql"});
    QSqlDatabase trava = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), AmbienteTeste::nomeUnico("trava"));
    trava.setHostName(AmbienteTeste::pgHost());
    trava.setPort(AmbienteTeste::pgPorta());
    trava.setDatabaseName(banco);
    trava.setUserName(AmbienteTeste::pgUsuario());
    trava.setPassword(AmbienteTeste::pgSenha());
    ASSERT_TRUE(trava.open()) << trava.lastError().text().toStdString();
    QSqlQuery(trava).exec(QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, STATUS) VALUES (1, 'ZZ', 'S', 0)"));
    ASSERT_TRUE(trava.transaction());
    ASSERT_TRUE(QSqlQuery(trava).exec(QStringLiteral("SELECT * FROM QX_INTEGRA FOR UPDATE")));

    QProcessEnvironment ambiente = QProcessEnvironment::systemEnvironment();
    ambiente.insert(QStringLiteral("QUELIX_INTERVALO_MS"), QStringLiteral("200"));
    QProcess processo;
    processo.setProcessEnvironment(ambiente);
    processo.start(Instala(QStringLiteral("[Banco1]\nProtocolo=Postgres\nBase=%1\nservidor=%2:%3\nUsuario=%4\nSenha=\"%5\"\n"
                                          "[ModeloAtivo]\nModelo=1\n")
                               .arg(banco, AmbienteTeste::pgHost())
                               .arg(AmbienteTeste::pgPorta())
                               .arg(AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha())),
                   {"--sem-janela"});
    ASSERT_TRUE(processo.waitForStarted());
    // The status update of the row waits on the lock (a session of this
    // test's own database: other tests may wait on locks of theirs).
    QSqlQuery espera(trava);
    bool esperando = false;
    for (int i = 0; i < 200 && !esperando; ++i) {
        QThread::msleep(100);
        // Inside the lock's transaction the activity view is a snapshot
        // taken at its first reading: it is cleared before each one.
        espera.exec(QStringLiteral("SELECT pg_stat_clear_snapshot()"));
        esperando = espera.exec(QStringLiteral("SELECT COUNT(*) FROM pg_stat_activity WHERE wait_event_type = 'Lock' "
                                          "AND datname = current_database()"))
                 && espera.next() && espera.value(0).toInt() > 0;
    }
    ASSERT_TRUE(esperando) << processo.readAllStandardError().toStdString();

    processo.terminate();
    const bool terminou = processo.waitForFinished(20000);
    trava.rollback();
    ASSERT_TRUE(terminou) << "SIGTERM did not end a monitor whose cycle waits on a lock";
    EXPECT_TRUE(QString::fromUtf8(processo.readAllStandardError())
                    .contains(QString::fromUtf8("o encerramento esperou 8 s por uma chamada que não responde")));
    EXPECT_EQ(processo.exitCode(), 128 + SIGTERM);
}

} // namespace
