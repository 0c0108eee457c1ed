// Commissioning a site with the executable, on the test servers. quelix
// --verifica: a right configuration of each model passes, and each kind of
// mistake a site makes gives its FALHA line and status 1; nothing is
// written to any database. quelix --simula: shows what its cycle would
// write and leaves the databases as they were (every model and server in
// tests/simulacao).
#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "ApoioSupervisao.h"
#include "BancoTeste.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao =
    ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

TSaida Verifica(const QString& pasta)
{
    return Executa(QStringLiteral(QUELIX_EXECUTAVEL), {QStringLiteral("--verifica"), QStringLiteral("--pasta"), pasta});
}

QStringList Linhas(const TSaida& r, const QString& inicio)
{
    QStringList linhas;
    for (const QString& linha : r.saida.split(u'\n'))
        if (linha.startsWith(inicio))
            linhas << linha;
    return linhas;
}

// A Bruma site with lot 4711 pending; `erp` and `fila` change its databases
// as a site's mistake, and `dsn` names another queue in its QX.ini.
TSiteBruma Site4711(const QString& erp = {}, const QString& fila = {}, const QString& dsn = {})
{
    return SiteBruma(QString::fromUtf8(ErpLote4711) + erp, QString::fromUtf8(FilaLote4711) + fila, dsn);
}

QString LocalServico(const QString& interface)
{
    return QStringLiteral("http://127.0.0.1:%1/integracao/%2?wsdl")
        .arg(AmbienteTeste::exige("QX_SOAP_PORT"), interface);
}

// The nine services on the test SOAP service; `artigo` and `cliente`, when
// given, in place of the article and customer services' locations.
QString SecaoVapora(const QString& artigo, const QString& cliente = {})
{
    QString secao = QStringLiteral("[Vapora]\n");
    for (const char* chave : {"Artigo", "Cliente", "Cor", "ClasseProduto", "SubClasseProduto", "Produto",
                              "GerarOP", "Programacao", "TipoFio"}) {
        const QString nome = QString::fromLatin1(chave);
        const QString trocado = nome == QLatin1String("Artigo") ? artigo
                              : nome == QLatin1String("Cliente") ? cliente : QString();
        secao += nome + u'=' + (!trocado.isEmpty() ? trocado : LocalServico(nome + QStringLiteral("WS"))) + u'\n';
    }
    return secao;
}

// The customer service's description as the test service serves it, in a
// file of `pasta`, without the binding's operations named in `sem`.
QString DescricaoClienteSem(const QString& pasta, const QStringList& sem)
{
    const TRespostaHttp http = HttpGet(quint16(AmbienteTeste::exige("QX_SOAP_PORT").toUInt()),
                                       "/integracao/ClienteWS?wsdl");
    EXPECT_EQ(http.Status, 200);
    QString wsdl = QString::fromUtf8(http.Corpo);
    for (const QString& operacao : sem) {
        // The binding's operation holds a soap:operation; the port type's does not.
        const QRegularExpression ligacao(QStringLiteral("<operation name=\"%1\">\\s*<soap:operation.*?</operation>")
                                             .arg(operacao),
                                         QRegularExpression::DotMatchesEverythingOption);
        EXPECT_TRUE(wsdl.contains(ligacao)) << operacao.toStdString();
        wsdl.remove(ligacao);
    }
    const QString caminho = QDir(pasta).filePath(QStringLiteral("ClienteWS-%1.wsdl").arg(sem.join(u'-')));
    QFile arquivo(caminho);
    EXPECT_TRUE(arquivo.open(QIODevice::WriteOnly));
    arquivo.write(wsdl.toUtf8());
    return caminho;
}

TEST(Verifica, BrumaCertoPassaSemGravarNada)
{
    const TSiteBruma site = Site4711();
    const TSaida r = Verifica(PastaComIni(site.Ini));
    EXPECT_EQ(r.status, 0) << r.saida.toStdString() << r.erros.toStdString();
    EXPECT_TRUE(Linhas(r, "FALHA").isEmpty()) << r.saida.toStdString();
    for (const QString& esperada : {QStringLiteral("ok: conexão KoDatabase1 aberta"),
                                    QStringLiteral("ok: conexão KoDatabase2 aberta"),
                                    QStringLiteral("ok: índice de OB (NUMEROOB) em KoDatabase2"),
                                    QStringLiteral("ok: índice de OB (MAQUINA) em KoDatabase2"),
                                    QStringLiteral("ok: nenhum outro monitor usa a pasta")})
        EXPECT_TRUE(r.saida.contains(esperada)) << qPrintable(esperada) << "\n" << r.saida.toStdString();
    const QRegularExpression comandos(QStringLiteral("ok: (\\d+) de \\1 comandos de Bruma preparados em KoDatabase(1|2)"));
    EXPECT_EQ(Linhas(r, "ok:").filter(comandos).size(), 2) << r.saida.toStdString();
    EXPECT_EQ(StatusDoLote(site.Erp, QStringLiteral("4711")), QString());
}

// Each mistake: what the site has wrong and a piece of its FALHA line.
struct TErro {
    const char* Nome;
    QString Erp, Fila, Dsn;
    QString Linha;
};

TEST(Verifica, CadaErroDoSiteTemSuaLinha)
{
    const QList<TErro> erros = {
        {"DSN errado", {}, {}, QStringLiteral("nao_existe_dsn"), QStringLiteral("FALHA: conexão KoDatabase2: ")},
        {"coluna ausente no ERP", QStringLiteral("ALTER TABLE FAL_ITEN_001 DROP ROLO;"), {}, {},
         QStringLiteral("ROLO")},
        {"tabela da fila com outro nome", {}, QStringLiteral("ALTER TABLE OB RENAME TO FILA_OB;"), {},
         QStringLiteral("\"ob\"")},
    };
    for (const TErro& erro : erros) {
        SCOPED_TRACE(erro.Nome);
        const TSiteBruma site = Site4711(erro.Erp, erro.Fila, erro.Dsn);
        const TSaida r = Verifica(PastaComIni(site.Ini));
        EXPECT_EQ(r.status, 1) << r.saida.toStdString();
        EXPECT_FALSE(Linhas(r, "FALHA").filter(erro.Linha, Qt::CaseInsensitive).isEmpty())
            << qPrintable(erro.Linha) << "\n" << r.saida.toStdString();
    }
}

TEST(Verifica, IndiceAusenteEhAvisoComOComandoQueOCria)
{
    const TSiteBruma site = Site4711({}, QStringLiteral("DROP INDEX OB_NUMEROOB;"));
    const TSaida r = Verifica(PastaComIni(site.Ini));
    EXPECT_EQ(r.status, 0) << r.saida.toStdString();
    EXPECT_EQ(Linhas(r, "aviso:").filter(QStringLiteral("OB (NUMEROOB)")).join(u'\n'),
              QStringLiteral("aviso: índice de OB (NUMEROOB) em KoDatabase2 ausente (a fila de máquina procura "
                             "cada lote; 0 linhas): CREATE INDEX OB_NUMEROOB ON OB (NUMEROOB)"));
}

// The index looked for in each server's catalogue: SQLite behind ODBC (a
// Bruma queue) and PostgreSQL reached natively (a Vapora ERP), with and
// without it.
TEST(Verifica, IndiceLidoNoCatalogoDeCadaServidor)
{
    struct TCaso {
        const char* Nome;
        std::function<QString(const QString& semIndice)> Ini;
        QString Indice;
    };
    const QList<TCaso> casos = {
        {"SQLite por ODBC",
         [](const QString& semIndice) {
             const QString erp = CriaErp();
             const QString dsn = AmbienteTeste::nomeUnico(QStringLiteral("fila"));
             const QString dados = QDir(AmbienteTeste::pastaTemporaria()).filePath(dsn + QStringLiteral(".sql"));
             QFile arquivo(dados);
             if (!arquivo.open(QIODevice::WriteOnly) || arquivo.write(semIndice.toUtf8() + "\n") < 0)
                 throw std::runtime_error("não gravou " + dados.toStdString());
             arquivo.close();
             BancoTeste::criaSqliteOdbc(dsn, {QStringLiteral("bruma_sqlite.sql"), dados});
             return SecaoBanco1(erp) + QStringLiteral("[Banco2]\nBase=%1\n[ModeloAtivo]\nModelo=0\n").arg(dsn);
         },
         QStringLiteral("índice de OB (NUMEROOB) em KoDatabase2")},
        {"PostgreSQL",
         [](const QString& semIndice) {
             const QString erp = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico(QStringLiteral("erp")),
                                                          {QStringLiteral("erp_postgres.sql")});
             BancoTeste::executaSqlPostgres(erp, semIndice);
             return QStringLiteral("[Banco1]\nProtocolo=POSTGRES\nBase=%1\nservidor=%2:%3\nUsuario=%4\nSenha=%5\n")
                        .arg(erp, AmbienteTeste::pgHost(), QString::number(AmbienteTeste::pgPorta()),
                             AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha())
                  + SecaoVapora({}) + QStringLiteral("[ModeloAtivo]\nModelo=1\n");
         },
         QStringLiteral("índice de QX_INTEGRA (ORDEM) em KoDatabase1")},
    };
    for (const TCaso& caso : casos) {
        SCOPED_TRACE(caso.Nome);
        const TSaida com = Verifica(PastaComIni(caso.Ini(QStringLiteral("SELECT 1;"))));
        EXPECT_EQ(com.status, 0) << com.saida.toStdString() << com.erros.toStdString();
        EXPECT_EQ(Linhas(com, QStringLiteral("ok: ") + caso.Indice).size(), 1) << com.saida.toStdString();

        const QString tabela = caso.Indice.section(u' ', 2, 2);
        const QString nome = tabela + u'_' + caso.Indice.section(u'(', 1).section(u')', 0, 0);
        const TSaida sem = Verifica(PastaComIni(caso.Ini(QStringLiteral("DROP INDEX %1;").arg(nome))));
        EXPECT_EQ(sem.status, 0) << sem.saida.toStdString();
        EXPECT_EQ(Linhas(sem, QStringLiteral("aviso: ") + caso.Indice + QStringLiteral(" ausente")).size(), 1)
            << sem.saida.toStdString();
    }
}

TEST(Verifica, PastaDeOutroMonitorFalha)
{
    const QString pasta = PastaComIni(Site4711().Ini);
    QLockFile trava(QDir(pasta).filePath(QStringLiteral("quelix.lock")));
    ASSERT_TRUE(trava.tryLock());
    const TSaida r = Verifica(pasta);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(Linhas(r, "FALHA").filter(QStringLiteral("nenhum outro monitor usa a pasta")).size(), 1)
        << r.saida.toStdString();
}

TEST(Verifica, VaporaLeCadaDescricaoDeServico)
{
    const QString erp = CriaErp();
    const TSaida certo = Verifica(PastaComIni(SecaoBanco1(erp) + SecaoVapora({}) + "[ModeloAtivo]\nModelo=1\n"));
    EXPECT_EQ(certo.status, 0) << certo.saida.toStdString() << certo.erros.toStdString();
    EXPECT_EQ(Linhas(certo, "ok: serviço ").size(), 9) << certo.saida.toStdString();
    EXPECT_TRUE(certo.saida.contains("ok: índice de QX_INTEGRA (ORDEM) em KoDatabase1")) << certo.saida.toStdString();

    const QString inalcancavel = QStringLiteral("http://127.0.0.1:9/integracao/ArtigoWS?wsdl");
    const TSaida errado = Verifica(PastaComIni(SecaoBanco1(erp) + SecaoVapora(inalcancavel) + "[ModeloAtivo]\nModelo=1\n"));
    EXPECT_EQ(errado.status, 1);
    const QStringList falhas = Linhas(errado, "FALHA");
    ASSERT_EQ(falhas.size(), 1) << errado.saida.toStdString();
    EXPECT_TRUE(falhas.front().startsWith("FALHA: serviço ArtigoWSService (" + inalcancavel + "): ")) << falhas.front().toStdString();

    // The customer's saveByAux and deleteByAux, which the queue never calls,
    // may be missing: a warning. An operation it calls may not.
    const QString pasta = PastaComIni(QString());
    const QString semAux = DescricaoClienteSem(pasta, {QStringLiteral("saveByAux"), QStringLiteral("deleteByAux")});
    const TSaida avisado = Verifica(PastaComIni(SecaoBanco1(erp) + SecaoVapora({}, semAux) + "[ModeloAtivo]\nModelo=1\n"));
    EXPECT_EQ(avisado.status, 0) << avisado.saida.toStdString();
    EXPECT_TRUE(Linhas(avisado, "FALHA").isEmpty()) << avisado.saida.toStdString();
    EXPECT_EQ(Linhas(avisado, "ok: serviço ").size(), 9) << avisado.saida.toStdString();
    EXPECT_EQ(Linhas(avisado, "aviso: ").filter(QStringLiteral("ClienteWSService")),
              QStringList({"aviso: serviço ClienteWSService (" + semAux
                           + "): operações ausentes que o monitor não chama: saveByAux, deleteByAux"}))
        << avisado.saida.toStdString();

    const QString semSave = DescricaoClienteSem(pasta, {QStringLiteral("save")});
    const TSaida semChamada = Verifica(PastaComIni(SecaoBanco1(erp) + SecaoVapora({}, semSave) + "[ModeloAtivo]\nModelo=1\n"));
    EXPECT_EQ(semChamada.status, 1);
    EXPECT_EQ(Linhas(semChamada, "FALHA"),
              QStringList({"FALHA: serviço ClienteWSService (" + semSave + "): operações ausentes: save"}))
        << semChamada.saida.toStdString();
}

// The host tables in a schema of their own on PostgreSQL: the catalogue's
// statements are qualified by [Banco3] Schema as the passes qualify them.
TEST(Verifica, EasQualificaAsTabelasDoHostPeloSchema)
{
    const QString host = BancoTeste::criaPostgresNoEsquema(AmbienteTeste::nomeUnico(QStringLiteral("host")),
                                                          QStringLiteral("eas"), {QStringLiteral("eas_host_postgres.sql")});
    const QString erp = CriaErp();
    const auto ini = [&](const QString& schema) {
        return SecaoBanco1(erp)
             + QStringLiteral("[Banco3]\nProtocolo=POSTGRES\nBase=%1\nservidor=%2:%3\nUsuario=%4\nSenha=%5\nSchema=%6\n")
                   .arg(host, AmbienteTeste::pgHost(), QString::number(AmbienteTeste::pgPorta()),
                        AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha(), schema)
             + QStringLiteral("[ModeloAtivo]\nModelo=2\n");
    };
    const TSaida certo = Verifica(PastaComIni(ini(QStringLiteral("eas"))));
    EXPECT_EQ(certo.status, 0) << certo.saida.toStdString() << certo.erros.toStdString();
    EXPECT_FALSE(Linhas(certo, "ok:").filter(QStringLiteral("comandos de EAS preparados em KoDatabase2")).isEmpty())
        << certo.saida.toStdString();

    const TSaida semSchema = Verifica(PastaComIni(ini({})));
    EXPECT_EQ(semSchema.status, 1);
    EXPECT_FALSE(Linhas(semSchema, "FALHA: comando em KoDatabase2").filter(QStringLiteral("\"ftohost\"")).isEmpty())
        << semSchema.saida.toStdString();
}

// The ERP of an EAS site: the monitor's own table of applied events, whose
// absence fails the check once (its statements are not tried one by one),
// and the indexes the kitchen's events need, whose absence is a warning.
TEST(Verifica, EasConfereATabelaDeAplicadosEOsIndicesDoErp)
{
    const QString host = BancoTeste::criaFirebirdLocal(QStringLiteral("eas_host"), {QStringLiteral("eas_host_firebird.sql")});
    const auto site = [&](const QString& sqlErp) {
        const QString erp = CriaErp();
        if (!sqlErp.isEmpty())
            BancoTeste::executaSqlFirebird(erp, sqlErp);
        return SecaoBanco1(erp) + QStringLiteral("[Banco3]\nProtocolo=firebird\nBase=%1\nUsuario=SYSDBA\nEstoque=S\n").arg(host)
             + QStringLiteral("[ModeloAtivo]\nModelo=2\n");
    };
    const TSaida certo = Verifica(PastaComIni(site({})));
    EXPECT_EQ(certo.status, 0) << certo.saida.toStdString() << certo.erros.toStdString();
    for (const QString& esperada : {QStringLiteral("ok: tabela QX_EAS_APLICADOS em KoDatabase1"),
                                    QStringLiteral("ok: índice de PROCESSO_TIN_001 (FAL) em KoDatabase1"),
                                    QStringLiteral("ok: índice de TNG_PROG_001 (FAL) em KoDatabase1")})
        EXPECT_EQ(Linhas(certo, esperada).size(), 1) << qPrintable(esperada) << "\n" << certo.saida.toStdString();

    const TSaida sem = Verifica(PastaComIni(site(QStringLiteral("DROP TABLE QX_EAS_APLICADOS;\n"
                                                                 "DROP INDEX PROCESSO_TIN_001_FAL;\n"
                                                                 "DROP INDEX TNG_PROG_001_FAL;\n"))));
    EXPECT_EQ(sem.status, 1) << sem.saida.toStdString();
    const QStringList falhas = Linhas(sem, "FALHA");
    ASSERT_EQ(falhas.size(), 1) << sem.saida.toStdString();
    EXPECT_TRUE(falhas[0].startsWith("FALHA: tabela QX_EAS_APLICADOS em KoDatabase1: ausente (")) << falhas[0].toStdString();
    EXPECT_EQ(Linhas(sem, "aviso: índice de PROCESSO_TIN_001 (FAL) em KoDatabase1 ausente (").size(), 1)
        << sem.saida.toStdString();
    EXPECT_EQ(Linhas(sem, "aviso: índice de TNG_PROG_001 (FAL) em KoDatabase1 ausente (").size(), 1)
        << sem.saida.toStdString();
    EXPECT_TRUE(sem.saida.contains("CREATE INDEX TNG_PROG_001_FAL ON TNG_PROG_001 (FAL)")) << sem.saida.toStdString();
}

TEST(Simula, MostraOQueOCicloGravariaEDesfazTudo)
{
    const TSiteBruma site = Site4711();
    const QString pasta = PastaComIni(site.Ini);
    const TSaida r = Executa(QStringLiteral(QUELIX_EXECUTAVEL), {QStringLiteral("--simula"), QStringLiteral("--pasta"), pasta});
    EXPECT_EQ(r.status, 0) << r.saida.toStdString() << r.erros.toStdString();
    EXPECT_EQ(Linhas(r, QStringLiteral("Simulação: KoDatabase2: INSERT INTO OB")).filter(QStringLiteral("NUMEROOB='4711")).size(), 1)
        << r.saida.toStdString();
    EXPECT_EQ(Linhas(r, QStringLiteral("Simulação: KoDatabase1: UPDATE FAL_001 SET STATUS_QX = 'E'")).size(), 1)
        << r.saida.toStdString();
    EXPECT_EQ(StatusDoLote(site.Erp, QStringLiteral("4711")), QString());
    // A simulated lot was not sent: the journal has no record of it.
    EXPECT_EQ(Executa(QStringLiteral(QUELIX_EXECUTAVEL), {"--historico", "--chave", "4711", "--pasta", pasta}).saida, "");
    EXPECT_EQ(Executa(QStringLiteral(QUELIX_EXECUTAVEL), {QStringLiteral("--ciclo"), QStringLiteral("--pasta"), pasta}).status, 0);
    EXPECT_EQ(StatusDoLote(site.Erp, QStringLiteral("4711")), QStringLiteral("E"));
    EXPECT_TRUE(Executa(QStringLiteral(QUELIX_EXECUTAVEL), {"--historico", "--chave", "4711", "--pasta", pasta})
                    .saida.contains("  Bruma  enviado  lote  4711  enviado\n"));
}

} // namespace

namespace {

// From the command line: one line per check (the drivers' own line breaks
// folded into it), nothing said again on standard error, and a machine side
// with no [Banco3] said by its key alone, with no error of a connection
// tried with nothing configured.
TEST(Verifica, UmaLinhaPorVerificacaoENadaDitoDuasVezes)
{
    const QString pasta = PastaComIni(QStringLiteral("[Banco1]\nProtocolo=firebird\nBase=%1\nUsuario=SYSDBA\nSenha=\n"
                                                     "[ModeloAtivo]\nModelo=2\n")
                                          .arg(QDir(AmbienteTeste::pastaTemporaria()).filePath("nao-existe.fdb")));
    const TSaida r = Verifica(pasta);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.erros, QString()) << r.erros.toStdString();
    const QRegularExpression linhaDeVerificacao(QStringLiteral("^(ok|FALHA|aviso): "));
    for (const QString& linha : r.saida.split(u'\n', Qt::SkipEmptyParts))
        EXPECT_TRUE(linhaDeVerificacao.match(linha).hasMatch()) << linha.toStdString() << "\n" << r.saida.toStdString();
    EXPECT_EQ(Linhas(r, "FALHA: conexão KoDatabase1: ").size(), 1) << r.saida.toStdString();
    EXPECT_EQ(Linhas(r, "FALHA: [Banco3] Base").size(), 1) << r.saida.toStdString();
    EXPECT_FALSE(r.saida.contains(QStringLiteral("KoDatabase2:"))) << r.saida.toStdString();
    EXPECT_FALSE(r.saida.contains(QStringLiteral("for file \"\""))) << r.saida.toStdString();
    EXPECT_EQ(Linhas(r, "FALHA: comandos de EAS em EAS: ").filter(QString::fromUtf8("a conexão não está configurada")).size(), 1)
        << r.saida.toStdString();
}

} // namespace
