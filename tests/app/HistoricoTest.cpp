// The journal of Logs/historico.sqlite end to end: what a Bruma cycle of the
// built executable writes in it, what --historico and --estado read back,
// that a journal that cannot be written never fails the cycle, and its
// retention.
#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "MonitorEmExecucao.h"
#include "servico/ConsultaHistorico.h"
#include "operacao/Diario.h"
#include "operacao/LeituraDiario.h"
#include "operacao/RegraSaude.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao =
    ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

const QString Quelix = QStringLiteral(QUELIX_EXECUTAVEL);

// A folder holding the QX.ini of a Bruma site with lots 1 (it fails) and 2.
QString PastaBrumaRuimEBom(QString* erp = nullptr)
{
    const TSiteBruma site = SiteBruma(ErpLoteRuimEBom, FilaLoteRuimEBom);
    if (erp)
        *erp = site.Erp;
    return PastaComIni(site.Ini);
}

TSaida Quelix_(const QString& pasta, QStringList argumentos)
{
    argumentos << QStringLiteral("--pasta") << pasta;
    return Executa(Quelix, argumentos);
}

QJsonArray Json(const TSaida& saida)
{
    QJsonParseError erro{};
    const QJsonDocument documento = QJsonDocument::fromJson(saida.saida.toUtf8(), &erro);
    EXPECT_EQ(erro.error, QJsonParseError::NoError) << saida.saida.toStdString();
    return documento.array();
}

// A tmpfs mounted on a folder for the life of the object: a read-only
// folder (root writes through any mode bits) or one with no room left.
class TMontagem {
public:
    TMontagem(const QString& pasta, const QString& opcoes) : FPasta(pasta)
    {
        QDir().mkpath(pasta);
        QProcess mount;
        mount.start(QStringLiteral("mount"), {"-t", "tmpfs", "-o", opcoes, "tmpfs", pasta});
        mount.waitForFinished(30000);
        if (mount.exitStatus() != QProcess::NormalExit || mount.exitCode() != 0)
            throw std::runtime_error("não foi possível montar um tmpfs em " + pasta.toStdString() + " (o teste "
                                     "precisa de root): " + mount.readAllStandardError().toStdString());
    }
    ~TMontagem() { QProcess::execute(QStringLiteral("umount"), {FPasta}); }
    TMontagem(const TMontagem&) = delete;
    TMontagem& operator=(const TMontagem&) = delete;

private:
    QString FPasta;
};

void Enche(const QString& pasta)
{
    QFile enchimento(QDir(pasta).filePath(QStringLiteral("enchimento")));
    ASSERT_TRUE(enchimento.open(QIODevice::WriteOnly));
    const QByteArray bloco(4096, 'x');
    while (enchimento.write(bloco) == bloco.size() && enchimento.flush()) {
    }
}

} // namespace

TEST(Historico, CicloGravaCadaLoteQueHistoricoEEstadoLeem)
{
    QString erp;
    const QString pasta = PastaBrumaRuimEBom(&erp);
    ASSERT_EQ(Quelix_(pasta, {"--ciclo"}).status, 3);

    const QJsonArray registros = Json(Quelix_(pasta, {"--historico", "--formato", "json"}));
    ASSERT_EQ(registros.size(), 2);
    // Newest first: lot 2 went after lot 1 failed.
    const QJsonObject bom = registros[0].toObject();
    const QJsonObject ruim = registros[1].toObject();
    EXPECT_EQ(bom["chave"], "2");
    EXPECT_EQ(bom["integracao"], "Bruma");
    EXPECT_EQ(bom["direcao"], "enviado");
    EXPECT_EQ(bom["tipo"], "lote");
    EXPECT_EQ(bom["desfecho"], "enviado");
    EXPECT_TRUE(bom["linha"].toString().startsWith(QString::fromUtf8("Concluído. FAL 2 "))) << bom["linha"].toString().toStdString();
    EXPECT_EQ(bom["erro"], "");
    // The OB row it was sent as; the failed lot never reached the queue.
    EXPECT_TRUE(bom["conteudo"].toString().startsWith(QStringLiteral("NUMEROOB='2       '\nPECAS=")))
        << bom["conteudo"].toString().toStdString();
    EXPECT_EQ(ruim["conteudo"], "");
    EXPECT_EQ(ruim["chave"], "1");
    EXPECT_EQ(ruim["desfecho"], "falhou");
    EXPECT_FALSE(ruim["erro"].toString().isEmpty());
    // Both pane lines of the failure.
    EXPECT_TRUE(ruim["linha"].toString().startsWith(QString::fromUtf8("Erro. Execução de envio mal sucedida na FAL 1")));
    EXPECT_TRUE(ruim["linha"].toString().contains(QStringLiteral("\nErro: ")));

    const TSaida csv = Quelix_(pasta, {"--historico", "--falhas", "--formato", "csv"});
    EXPECT_EQ(csv.status, 0);
    const QStringList linhasCsv = csv.saida.split(u'\n', Qt::SkipEmptyParts);
    EXPECT_EQ(linhasCsv.value(0), "momento,integracao,direcao,tipo,chave,desfecho,linha,erro");
    EXPECT_TRUE(linhasCsv.value(1).contains(",Bruma,enviado,lote,1,falhou,\"Erro. Exec")) << csv.saida.toStdString();

    const QString hoje = QDate::currentDate().toString(Qt::ISODate);
    const QString amanha = QDate::currentDate().addDays(1).toString(Qt::ISODate);
    EXPECT_EQ(Json(Quelix_(pasta, {"--historico", "--chave", "2", "--desde", hoje, "--ate", hoje, "--formato", "json"})).size(), 1);
    EXPECT_EQ(Json(Quelix_(pasta, {"--historico", "--desde", amanha, "--formato", "json"})).size(), 0);
    const TSaida texto = Quelix_(pasta, {"--historico", "--chave", "2"});
    EXPECT_TRUE(texto.saida.contains(QString::fromUtf8("  Bruma  enviado  lote  2  enviado\n    Concluído. FAL 2")))
        << texto.saida.toStdString();
    EXPECT_EQ(Quelix_(pasta, {"--historico", "--desde", "11/12/2026"}).status, 2);
    EXPECT_EQ(Quelix_(pasta, {"--historico", "--formato", "xml"}).status, 2);
    EXPECT_EQ(Quelix_(pasta, {"--chave", "2"}).status, 2);

    const TSaida estado = Quelix_(pasta, {"--estado"});
    EXPECT_EQ(estado.status, 0) << estado.saida.toStdString();
    EXPECT_TRUE(estado.saida.contains(QRegularExpression(
        QString::fromUtf8("^Último ciclo \\(Bruma\\): \\d\\d:\\d\\d:\\d\\d: 1 enviados, 1 falha\n"))))
        << estado.saida.toStdString();
    EXPECT_TRUE(estado.saida.contains(QString::fromUtf8("\nPróximo ciclo: "))) << estado.saida.toStdString();
    EXPECT_TRUE(estado.saida.contains("KoDatabase1: ativa desde ")) << estado.saida.toStdString();
    EXPECT_TRUE(estado.saida.contains("KoDatabase2: ativa desde ")) << estado.saida.toStdString();

    // Three intervals later with no cycle, polling has stopped.
    const TEstadoMonitor depois =
        AvaliaEstado(TDiario::Arquivo(pasta), 1800000, QDateTime::currentDateTime().addSecs(4 * 59));
    EXPECT_EQ(depois.Status, TEstadoMonitor::Parado);
    EXPECT_TRUE(depois.Linhas.join(u'\n').contains(QStringLiteral("atrasado desde")));
}

TEST(Historico, SemHistoricoEstadoSaiComDoisECicloComErroComUm)
{
    const QString vazia = PastaComIni(QString());
    const TSaida semHistorico = Quelix_(vazia, {"--estado"});
    EXPECT_EQ(semHistorico.status, 2);
    EXPECT_TRUE(semHistorico.saida.contains(QString::fromUtf8("Histórico não encontrado: "))) << semHistorico.saida.toStdString();
    EXPECT_EQ(Quelix_(vazia, {"--historico"}).status, 2);

    // A Bruma site whose machine queue does not answer: the cycle's error
    // escapes it.
    const QString erp = CriaErp();
    const QString pasta = PastaComIni(SecaoBanco1(erp) + QStringLiteral("[Banco2]\nProtocolo=ODBC\nBase=naoexiste\n"
                                                                        "[ModeloAtivo]\nModelo=0\n"));
    EXPECT_EQ(Quelix_(pasta, {"--ciclo"}).status, 1);
    const TSaida estado = Quelix_(pasta, {"--estado"});
    EXPECT_EQ(estado.status, 1) << estado.saida.toStdString();
    EXPECT_TRUE(estado.saida.contains("KoDatabase2: inativa desde ")) << estado.saida.toStdString();
}

// Keys as a spreadsheet would read them: a cell that begins as a formula
// does is kept text in CSV; JSON carries every value as it is, control
// characters too.
TEST(Historico, CsvGuardaFormulasEJsonLevaOsValoresComoSao)
{
    struct TCaso {
        QString chave;
        QString celula;  // as the CSV line carries it
    };
    const QList<TCaso> casos = {
        {"=1+1", "'=1+1"},           {"+55 11", "'+55 11"},   {"-3", "'-3"},
        {"@SOMA(A1)", "'@SOMA(A1)"}, {"\tx", "'\tx"},        {"\rx", "\"'\rx\""},
        {"=A1,B1", "\"'=A1,B1\""},  {"4711", "4711"},        {"a=b", "a=b"},
        {"x\"y", "\"x\"\"y\""},     {"", ""},
    };
    const QString pasta = PastaComIni(QString());
    {
        TDiario diario(TDiario::Arquivo(pasta), [](const QString& aviso) { ADD_FAILURE() << aviso.toStdString(); });
        diario.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime()});
        for (const TCaso& caso : casos)
            diario.RegistraRegistro(QStringLiteral("Bruma"), {TDirecaoRegistro::Saida, "lote", caso.chave, TDesfechoRegistro::Enviado, {}},
                                    QStringLiteral("linha"));
        TFimCiclo fim;
        fim.Integracao = QStringLiteral("Bruma");
        fim.Fim = QDateTime::currentDateTime();
        diario.CicloTerminado(fim);
    }

    // Newest first: the cases in reverse.
    const TSaida csv = Quelix_(pasta, {"--historico", "--formato", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.erros.toStdString();
    const QString linhas = csv.saida.section(u'\n', 1);
    qsizetype de = 0;
    for (qsizetype i = casos.size() - 1; i >= 0; --i) {
        SCOPED_TRACE(casos[i].chave.toStdString());
        const QString esperada = QStringLiteral(",Bruma,enviado,lote,%1,enviado,linha,\n").arg(casos[i].celula);
        const qsizetype achada = linhas.indexOf(esperada, de);
        ASSERT_GE(achada, 0) << linhas.mid(de, 200).toStdString();
        EXPECT_EQ(linhas.mid(de, achada - de).size(), 19) << linhas.mid(de, achada - de).toStdString();
        de = achada + esperada.size();
    }
    EXPECT_EQ(de, linhas.size());

    const QString controles = QString::fromUtf8("\x01\x1f\b\f\n\r\t\"\\/ \x7f ção €");
    {
        TDiario diario(TDiario::Arquivo(pasta), [](const QString& aviso) { ADD_FAILURE() << aviso.toStdString(); });
        diario.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime()});
        diario.RegistraRegistro(QStringLiteral("Bruma"), {TDirecaoRegistro::Saida, "lote", controles, TDesfechoRegistro::Falhou, controles}, controles);
        TFimCiclo fim;
        fim.Integracao = QStringLiteral("Bruma");
        fim.Fim = QDateTime::currentDateTime();
        fim.Falhas = 1;
        diario.CicloTerminado(fim);
    }
    const QJsonArray registros = Json(Quelix_(pasta, {"--historico", "--formato", "json"}));
    ASSERT_EQ(registros.size(), casos.size() + 1);
    EXPECT_EQ(registros[0].toObject()["chave"].toString(), controles);
    EXPECT_EQ(registros[0].toObject()["erro"].toString(), controles);
    EXPECT_EQ(registros[0].toObject()["linha"].toString(), controles);
    for (qsizetype i = 0; i < casos.size(); ++i)
        EXPECT_EQ(registros[i + 1].toObject()["chave"].toString(), casos[casos.size() - 1 - i].chave);
}

// A monitor stopped as a service is (SIGTERM) is a stopped monitor at once,
// not one whose next cycle is due; started again, it no longer is.
TEST(Historico, ParadaLimpaEEstadoDoMonitorParado)
{
    const QString pasta = PastaBrumaRuimEBom();
    {
        TMonitorEmExecucao monitor(Quelix, {"--sem-janela", "--pasta", pasta}, {{"QUELIX_INTERVALO_MS", "300"}});
        ASSERT_TRUE(monitor.EsperaLinhas(QString::fromUtf8("Concluído. FAL 2"), 1, 60000))
            << monitor.Linhas().join(u'\n').toStdString() << monitor.Erros().toStdString();
        monitor.PedeTermino();
        ASSERT_EQ(monitor.Fim(60000), 0) << monitor.Erros().toStdString();
    }
    const TSaida parado = Quelix_(pasta, {"--estado"});
    EXPECT_EQ(parado.status, 1) << parado.saida.toStdString();
    EXPECT_TRUE(parado.saida.contains(QRegularExpression(QString::fromUtf8(
        "^Monitor parado em (\\d{4}-\\d\\d-\\d\\d )?\\d\\d:\\d\\d:\\d\\d\\.\nÚltimo ciclo \\(Bruma\\): "))))
        << parado.saida.toStdString();
    EXPECT_TRUE(parado.saida.contains("KoDatabase1: inativa desde ")) << parado.saida.toStdString();
    EXPECT_TRUE(parado.saida.contains("KoDatabase2: inativa desde ")) << parado.saida.toStdString();
    EXPECT_FALSE(parado.saida.contains(QString::fromUtf8("Próximo ciclo"))) << parado.saida.toStdString();
    // However recent its last cycle, a stopped monitor stays stopped.
    EXPECT_EQ(AvaliaEstado(TDiario::Arquivo(pasta), LimiteCicloPadraoSegundos * 1000LL, QDateTime::currentDateTime()).Status, TEstadoMonitor::Parado);

    // Started again (its first cycle far off): no longer stopped once its
    // run is noted.
    TMonitorEmExecucao denovo(Quelix, {"--sem-janela", "--pasta", pasta}, {{"QUELIX_INTERVALO_MS", "600000"}});
    TSaida estado;
    for (int tentativa = 0; tentativa < 300; ++tentativa) {
        estado = Quelix_(pasta, {"--estado"});
        if (!estado.saida.contains(QStringLiteral("Monitor parado em")))
            break;
        QThread::msleep(100);
    }
    EXPECT_FALSE(estado.saida.contains(QStringLiteral("Monitor parado em"))) << estado.saida.toStdString();
    EXPECT_TRUE(estado.saida.contains(QString::fromUtf8("Último ciclo (Bruma): "))) << estado.saida.toStdString();
    denovo.PedeTermino();
    EXPECT_EQ(denovo.Fim(60000), 0) << denovo.Erros().toStdString();
    EXPECT_EQ(Quelix_(pasta, {"--estado"}).status, 1);
}

// Writing the journal never fails a cycle: the lot still goes, and the
// failure is said once.
TEST(Historico, PastaSomenteLeituraOuCheiaNaoImpedeOCiclo)
{
    struct TCaso {
        const char* nome;
        const char* opcoes;
        bool enche;
    };
    for (const TCaso& caso : {TCaso{"somente leitura", "ro,size=1m", false}, TCaso{"cheia", "size=64k", true}}) {
        SCOPED_TRACE(caso.nome);
        QString erp;
        const QString pasta = PastaBrumaRuimEBom(&erp);
        const QString logs = QDir(pasta).filePath(QStringLiteral("Logs"));
        const TMontagem montagem(logs, QString::fromLatin1(caso.opcoes));
        if (caso.enche)
            Enche(logs);

        const TSaida r = Quelix_(pasta, {"--ciclo"});
        EXPECT_EQ(r.status, 3) << r.saida.toStdString() << r.erros.toStdString();
        EXPECT_EQ(StatusDoLote(erp, QStringLiteral("2")), "E");
        EXPECT_EQ(r.saida.count(QString::fromUtf8("Histórico não pôde ser")), 1) << r.saida.toStdString();
        EXPECT_TRUE(r.saida.contains(QString::fromUtf8("O monitoramento continua sem ele; "
                                                       "os registros esperam na memória até que ele volte."))) << r.saida.toStdString();
    }
}

// Logs/ fills up under a running monitor, or is full when it starts, and
// room is made again later: the failure is said once, the recovery once,
// and only when the journal has really been written again; the cycles
// after it are in the journal.
TEST(Historico, DiscoCheioDizFalhaUmaVezEVoltaSoQuandoGrava)
{
    const QString falha = QString::fromUtf8("Histórico não pôde ser");
    const QString voltou = QString::fromUtf8("Histórico voltou a ser gravado");
    // Lot 1 fails in every cycle: its line marks a cycle's end, and every
    // cycle has a record to write.
    const QString fimDeCiclo = QString::fromUtf8("Erro. Execução de envio mal sucedida na FAL 1");
    for (const bool cheiaAoIniciar : {false, true}) {
        SCOPED_TRACE(cheiaAoIniciar ? "cheia ao iniciar" : "enche durante a execução");
        const QString pasta = PastaBrumaRuimEBom();
        const QString logs = QDir(pasta).filePath(QStringLiteral("Logs"));
        const TMontagem montagem(logs, QStringLiteral("size=1m"));
        if (cheiaAoIniciar)
            Enche(logs);
        TMonitorEmExecucao monitor(Quelix, {QStringLiteral("--sem-janela"), QStringLiteral("--pasta"), pasta},
                                   {{QStringLiteral("QUELIX_INTERVALO_MS"), QStringLiteral("300")}});
        const auto saida = [&monitor] { return (monitor.Linhas().join(u'\n') + u'\n' + monitor.Erros()).toStdString(); };
        int ciclos = 1;
        ASSERT_TRUE(monitor.EsperaLinhas(fimDeCiclo, ciclos, 120000)) << saida();
        if (!cheiaAoIniciar) {
            EXPECT_EQ(monitor.Conta(falha), 0) << saida();
            Enche(logs);
        }
        ciclos += 3;
        ASSERT_TRUE(monitor.EsperaLinhas(fimDeCiclo, ciclos, 120000)) << saida();
        EXPECT_EQ(monitor.Conta(falha), 1) << saida();
        EXPECT_EQ(monitor.Conta(voltou), 0) << saida();
        // Full from the start, nothing could be written.
        const qsizetype registrosAntes =
            cheiaAoIniciar ? 0 : Json(Quelix_(pasta, {"--historico", "--chave", "1", "--formato", "json"})).size();

        ASSERT_TRUE(QFile::remove(QDir(logs).filePath(QStringLiteral("enchimento"))));
        ciclos += 3;
        ASSERT_TRUE(monitor.EsperaLinhas(fimDeCiclo, ciclos, 120000)) << saida();
        monitor.PedeTermino();
        EXPECT_EQ(monitor.Fim(60000), 0) << saida();
        EXPECT_EQ(monitor.Conta(falha), 1) << saida();
        EXPECT_EQ(monitor.Conta(voltou), 1) << saida();
        // At least the two cycles after the one that wrote again.
        EXPECT_GE(Json(Quelix_(pasta, {"--historico", "--chave", "1", "--formato", "json"})).size(), registrosAntes + 2)
            << saida();
    }
}

// [Monitor] DiasHistorico: older rows go, once a day.
TEST(Historico, PodaUmaVezPorDia)
{
    const QString arquivo = TDiario::Arquivo(PastaComIni(QString()));
    QStringList avisos;
    TDiario diario(arquivo, [&avisos](const QString& linha) { avisos << linha; });
    diario.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime()});
    diario.RegistraRegistro(QStringLiteral("Bruma"), {TDirecaoRegistro::Saida, "lote", "novo", TDesfechoRegistro::Enviado, {}}, QString());
    TFimCiclo fim;
    fim.Fim = QDateTime::currentDateTime();
    diario.CicloTerminado(fim);
    auto insereAntigo = [&arquivo](const QString& chave) {
        QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("teste-poda"));
        banco.setDatabaseName(arquivo);
        ASSERT_TRUE(banco.open());
        QSqlQuery insere(banco);
        insere.prepare(QStringLiteral("INSERT INTO REGISTROS (MOMENTO, CHAVE) VALUES (?, ?)"));
        insere.addBindValue(TDiario::Momento(QDateTime::currentDateTime().addDays(-91)));
        insere.addBindValue(chave);
        ASSERT_TRUE(insere.exec());
        banco.close();
        banco = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("teste-poda"));
    };
    auto chaves = [&arquivo] {
        QStringList lidas;
        for (const TLinhaHistorico& linha : TLeituraDiario(arquivo).Pagina({}, 0, 10))
            lidas << linha.Chave;
        return lidas;
    };
    const QDate hoje = QDate::currentDate();
    insereAntigo(QStringLiteral("antigo1"));
    diario.Poda(90, hoje);
    EXPECT_EQ(chaves(), QStringList{"novo"});
    insereAntigo(QStringLiteral("antigo2"));
    diario.Poda(90, hoje);
    EXPECT_EQ(chaves(), (QStringList{"antigo2", "novo"}));
    diario.Poda(90, hoje.addDays(1));
    EXPECT_EQ(chaves(), QStringList{"novo"});
    EXPECT_TRUE(avisos.isEmpty()) << avisos.join(u'\n').toStdString();
}

// What a record sent is kept with it and read back as it was: in --formato
// json, and by --conteudo under the record's line. Past 64 KB of UTF-8 it is
// cut at a character's start, with a line that says so.
TEST(Historico, ConteudoGuardadoLidoECortadoEm64KB)
{
    const QString envelope = QString::fromUtf8("POST http://vapora/ClienteWS\n\n<nome>Malharia D'Ávila & cia 🧵</nome>\n\nHTTP 200 OK");
    // "é" is two bytes and "🧵" four: the limit falls inside one of them.
    const QString longo = QString::fromUtf8("é🧵").repeated(12000);
    const QString pasta = PastaComIni(QString());
    {
        TDiario diario(TDiario::Arquivo(pasta), [](const QString& aviso) { ADD_FAILURE() << aviso.toStdString(); });
        diario.CicloIniciado({QStringLiteral("Vapora"), QDateTime::currentDateTime()});
        diario.RegistraRegistro(QStringLiteral("Vapora"), {TDirecaoRegistro::Saida, "CL", "7", TDesfechoRegistro::Enviado, {}, envelope}, "linha 7");
        diario.RegistraRegistro(QStringLiteral("Vapora"), {TDirecaoRegistro::Saida, "CL", "8", TDesfechoRegistro::Ignorado, {}}, "linha 8");
        diario.RegistraRegistro(QStringLiteral("Vapora"), {TDirecaoRegistro::Saida, "CL", "9", TDesfechoRegistro::Enviado, {}, longo}, "linha 9");
        TFimCiclo fim;
        fim.Integracao = QStringLiteral("Vapora");
        fim.Fim = QDateTime::currentDateTime();
        diario.CicloTerminado(fim);
    }

    const QJsonArray registros = Json(Quelix_(pasta, {"--historico", "--formato", "json"}));
    ASSERT_EQ(registros.size(), 3);
    EXPECT_EQ(registros[2].toObject()["conteudo"].toString(), envelope);
    EXPECT_EQ(registros[1].toObject()["conteudo"].toString(), "");
    const QString cortado = registros[0].toObject()["conteudo"].toString();
    const QByteArray utf8 = cortado.toUtf8();
    EXPECT_LE(utf8.size(), TDiario::MaximoConteudo);
    EXPECT_GT(utf8.size(), TDiario::MaximoConteudo - 80);
    EXPECT_FALSE(cortado.contains(QChar::ReplacementCharacter));
    const QString marca = QString::fromUtf8("\n[conteúdo cortado em 64 KB: tinha %1 bytes]").arg(longo.toUtf8().size());
    ASSERT_TRUE(cortado.endsWith(marca)) << cortado.right(80).toStdString();
    EXPECT_TRUE(longo.startsWith(cortado.chopped(marca.size())));
    // Exactly at the limit a record is whole.
    const QString noLimite = QString(TDiario::MaximoConteudo, u'x');
    EXPECT_EQ(TDiario::CortaConteudo(noLimite), noLimite);
    EXPECT_TRUE(TDiario::CortaConteudo(noLimite + u'x').endsWith(QStringLiteral("65537 bytes]")));

    const TSaida conteudo = Quelix_(pasta, {"--historico", "--chave", "7", "--conteudo"});
    EXPECT_EQ(conteudo.status, 0) << conteudo.erros.toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d  Vapora  enviado  CL  7  enviado\n"))
                    .match(conteudo.saida).hasMatch()) << conteudo.saida.toStdString();
    EXPECT_TRUE(conteudo.saida.endsWith(u'\n' + envelope + QStringLiteral("\n\n"))) << conteudo.saida.toStdString();
    const TSaida semConteudo = Quelix_(pasta, {"--historico", "--chave", "8", "--conteudo"});
    EXPECT_TRUE(semConteudo.saida.endsWith(QString::fromUtf8("  ignorado\n(sem conteúdo)\n\n"))) << semConteudo.saida.toStdString();
    EXPECT_EQ(Quelix_(pasta, {"--historico", "--conteudo", "--formato", "json"}).status, 2);
    EXPECT_EQ(Quelix_(pasta, {"--conteudo"}).status, 2);
}

// A journal written before records kept their content is read as it is,
// with no content, and gets the column when a monitor opens it again; its
// old records stay.
TEST(Historico, HistoricoAntigoSemConteudoContinuaValendo)
{
    const QString pasta = PastaComIni(QString());
    const QString arquivo = TDiario::Arquivo(pasta);
    QDir().mkpath(QFileInfo(arquivo).absolutePath());
    {
        QSqlDatabase antigo = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("diario_antigo"));
        antigo.setDatabaseName(arquivo);
        ASSERT_TRUE(antigo.open());
        QSqlQuery comando(antigo);
        for (const char* texto : {
                 "CREATE TABLE CICLOS (ID INTEGER PRIMARY KEY, INICIO TEXT NOT NULL, FIM TEXT, INTEGRACAO TEXT, "
                 "DESFECHO TEXT, ENVIADOS INTEGER, FALHAS INTEGER, ERRO TEXT, INTERVALO_MS INTEGER, CONEXOES TEXT)",
                 "CREATE TABLE REGISTROS (ID INTEGER PRIMARY KEY, CICLO INTEGER, MOMENTO TEXT NOT NULL, "
                 "INTEGRACAO TEXT, DIRECAO TEXT, TIPO TEXT, CHAVE TEXT, DESFECHO TEXT, LINHA TEXT, ERRO TEXT)",
                 "INSERT INTO REGISTROS (MOMENTO, INTEGRACAO, DIRECAO, TIPO, CHAVE, DESFECHO, LINHA) VALUES "
                 "('2026-12-01T10:00:00.000Z', 'Bruma', 'enviado', 'lote', '4711', 'enviado', 'FAL 4711 enviada')"})
            ASSERT_TRUE(comando.exec(QString::fromLatin1(texto))) << texto;
        antigo.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("diario_antigo"));

    const QJsonArray antes = Json(Quelix_(pasta, {"--historico", "--formato", "json"}));
    ASSERT_EQ(antes.size(), 1);
    EXPECT_EQ(antes[0].toObject()["chave"], "4711");
    EXPECT_EQ(antes[0].toObject()["conteudo"], "");
    EXPECT_TRUE(Quelix_(pasta, {"--historico", "--conteudo"}).saida.contains(QString::fromUtf8("(sem conteúdo)")));

    {
        TDiario diario(arquivo, [](const QString& aviso) { ADD_FAILURE() << aviso.toStdString(); });
        diario.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime()});
        diario.RegistraRegistro(QStringLiteral("Bruma"), {TDirecaoRegistro::Saida, "lote", "4712", TDesfechoRegistro::Enviado, {}, "NUMEROOB='4712    '"},
                                "FAL 4712 enviada");
        TFimCiclo fim;
        fim.Integracao = QStringLiteral("Bruma");
        fim.Fim = QDateTime::currentDateTime();
        diario.CicloTerminado(fim);
    }
    const QJsonArray depois = Json(Quelix_(pasta, {"--historico", "--formato", "json"}));
    ASSERT_EQ(depois.size(), 2);
    EXPECT_EQ(depois[0].toObject()["conteudo"], "NUMEROOB='4712    '");
    EXPECT_EQ(depois[1].toObject()["chave"], "4711");
    EXPECT_EQ(depois[1].toObject()["conteudo"], "");
}
