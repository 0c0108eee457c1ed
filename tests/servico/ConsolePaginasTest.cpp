// The console's read-only pages over real journal files written by the
// monitor's journal: the history's filters, its paging, the escaping of
// what the records hold, the downloads against `quelix --historico`, the
// state page with its pictures, and what a running monitor gives it.
#include "servico/console/GraficoRegistros.h"
#include "servico/console/PaginaEstado.h"
#include "servico/console/PaginaHistorico.h"
#include "servico/console/PaginasDiario.h"
#include "servico/console/ServidorConsole.h"

#include "ApoioMonitor.h"
#include "RelatorGravador.h"
#include "AplicacaoTeste.h"
#include "IntegracaoTeste.h"
#include "base/Erros.h"
#include "integracao/Relator.h"
#include "monitor/Monitora.h"
#include "operacao/Diario.h"
#include "operacao/ObservadorDiario.h"
#include "operacao/LeituraDiario.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <stdexcept>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

const QString Quelix = QStringLiteral(QUELIX_EXECUTAVEL);
const QString Script = QStringLiteral("<script>alert(1)</script>");

// One record of a fixture journal, at a moment of local time.
struct TRegistroFixo {
    QString Integracao;
    QString Chave;
    QString Desfecho;
    QDateTime Momento;
    QString Linhas = QStringLiteral("Concluído.");
    QString Erro;
};

TDesfechoRegistro DesfechoDe(const QString& texto)
{
    for (const TDesfechoRegistro desfecho : DesfechosRegistro)
        if (Texto(desfecho) == texto)
            return desfecho;
    throw std::invalid_argument("desfecho desconhecido: " + texto.toStdString());
}

QDateTime Local(const char* texto) { return QDateTime::fromString(QString::fromLatin1(texto), Qt::ISODate); }

// The records written through the monitor's journal, in their order (ID 1,
// 2, ...), then given their moments, as a cycle would have written them
// then.
QString EscreveDiario(const QString& pasta, const QList<TRegistroFixo>& registros)
{
    const QString arquivo = TDiario::Arquivo(pasta);
    {
        TDiario diario(arquivo, [](const QString& aviso) { throw std::runtime_error(aviso.toStdString()); });
        diario.ExecucaoIniciada(QDateTime::currentDateTime());
        if (!registros.isEmpty())
            diario.CicloIniciado({registros.front().Integracao, registros.front().Momento});
        for (const TRegistroFixo& registro : registros)
            diario.RegistraRegistro(registro.Integracao,
                                    {TDirecaoRegistro::Saida, QStringLiteral("lote"), registro.Chave,
                                     DesfechoDe(registro.Desfecho), registro.Erro},
                                    registro.Linhas);
        if (!registros.isEmpty()) {
            TFimCiclo fim;
            fim.Integracao = registros.front().Integracao;
            fim.Inicio = registros.front().Momento;
            fim.Fim = registros.back().Momento;
            diario.CicloTerminado(fim);
        }
    }
    {
        QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("momentos"));
        banco.setDatabaseName(arquivo);
        EXPECT_TRUE(banco.open());
        QSqlQuery comando(banco);
        comando.prepare(QStringLiteral("UPDATE REGISTROS SET MOMENTO = ? WHERE ID = ?"));
        for (qsizetype i = 0; i < registros.size(); ++i) {
            comando.addBindValue(TDiario::Momento(registros[i].Momento));
            comando.addBindValue(i + 1);
            EXPECT_TRUE(comando.exec()) << comando.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("momentos"));
    return arquivo;
}

// The page the console gives for this query string (400's message above
// the form when it is not one).
QString Pagina(const QString& arquivo, const QByteArray& consulta)
{
    const TLeituraPedidoHistorico pedido = LePedidoHistorico(consulta);
    return PaginaHistorico(LeHistorico(arquivo, pedido.Pedido), QStringLiteral("/historico"), pedido.Erro);
}

// The records a page shows, by their number, in its order.
QList<qint64> Registros(const QString& html)
{
    QList<qint64> ids;
    static const QRegularExpression linha(QStringLiteral("<tr id=\"r(\\d+)\""));
    for (const QRegularExpressionMatch& achado : linha.globalMatch(html))
        ids << achado.captured(1).toLongLong();
    return ids;
}

// The query of a link of the page, as a browser would send it.
QByteArray ConsultaDoLink(const QString& html, const QString& id)
{
    const QRegularExpression link(QStringLiteral("id=\"%1\" href=\"([^\"]*)\"").arg(id));
    const QRegularExpressionMatch achado = link.match(html);
    if (!achado.hasMatch())
        return QByteArray("<sem link>");
    const QString href = achado.captured(1).replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    EXPECT_TRUE(href.startsWith(QStringLiteral("/historico"))) << href.toStdString();
    return href.section(u'?', 1).toUtf8();
}

class Console : public ::testing::Test {
protected:
    QTemporaryDir pasta;

    // Seven records over three days, of the three integrations and every
    // outcome; the fifth's key is a script.
    QString Fixture()
    {
        return EscreveDiario(pasta.path(),
                             {{"Bruma", "4711", "enviado", Local("2026-03-01T10:00:00")},
                              {"Bruma", "4712", "falhou", Local("2026-03-01T11:00:00"), "Falhou.", "Programa não cadastrado"},
                              {"EAS", "9000", "enviado", Local("2026-03-02T09:00:00")},
                              {"Vapora", "14711", "pendente", Local("2026-03-02T10:00:00")},
                              {"Vapora", Script, "incerto", Local("2026-03-03T08:00:00"), "<b>linha</b> & mais"},
                              {"Bruma", "5000", "ignorado", Local("2026-03-03T09:00:00")},
                              {"EAS", "9001", "falhou", Local("2026-03-03T10:00:00")}});
    }
};

TEST_F(Console, FiltrosDoHistoricoComoAAbaEOHistoricoDaLinhaDeComando)
{
    const QString arquivo = Fixture();
    const struct {
        const char* consulta;
        QList<qint64> ids;
    } casos[] = {
        {"", {7, 6, 5, 4, 3, 2, 1}},
        {"chave=&desde=&ate=&integracao=&desfecho=", {7, 6, 5, 4, 3, 2, 1}},  // the empty form
        {"chave=4711", {4, 1}},
        {"chave=+4711+", {4, 1}},  // trimmed, as the tab trims it
        {"chave=%3Cscript", {5}},
        {"chave=n%C3%A3o+existe", {}},
        {"desde=2026-03-02", {7, 6, 5, 4, 3}},
        {"ate=2026-03-02", {4, 3, 2, 1}},
        {"desde=2026-03-02&ate=2026-03-02", {4, 3}},
        {"integracao=EAS", {7, 3}},
        {"integracao=Nenhuma", {}},
        {"desfecho=falhou", {7, 2}},
        {"desfecho=falhas", {7, 5, 4, 2}},
        {"integracao=Bruma&desfecho=falhou&chave=47", {2}},
        {"antes=5", {4, 3, 2, 1}},
        {"antes=5&integracao=Bruma", {2, 1}},
    };
    for (const auto& caso : casos) {
        const QString html = Pagina(arquivo, caso.consulta);
        EXPECT_EQ(Registros(html), caso.ids) << caso.consulta;
        EXPECT_FALSE(html.contains(QStringLiteral("erro-pedido"))) << caso.consulta;
        EXPECT_FALSE(html.contains(QStringLiteral("proxima-pagina"))) << caso.consulta;
    }
}

TEST_F(Console, ConsultaErradaRespondidaEmPortugues)
{
    const QString arquivo = Fixture();
    const struct {
        QByteArray consulta;
        const char* erro;
    } casos[] = {
        {"desde=2026-13-01", "Desde: \"2026-13-01\" não é um dia AAAA-MM-DD."},
        {"ate=ontem", "Até: \"ontem\" não é um dia AAAA-MM-DD."},
        {"desde=2026-03-03&ate=2026-03-01", "Desde (2026-03-03) é depois de Até (2026-03-01)."},
        {"desfecho=perdido", "Desfecho: \"perdido\" não é enviado, falhou, ignorado, pendente, incerto nem falhas."},
        {"antes=abc", "Página: \"abc\" não é o número de um registro."},
        {"antes=-5", "Página: \"-5\" não é o número de um registro."},
        {"formato=xml", "Formato: \"xml\" não é csv nem json."},
        {"pagina=2", "Parâmetro desconhecido: \"pagina\"; esta página aceita chave, desde, ate, integracao, desfecho, "
                     "antes e formato."},
        {"chave=1&chave=2", "O parâmetro \"chave\" veio mais de uma vez."},
        {"chave=%FF", "A consulta não está em UTF-8."},
        {"chave=" + QByteArray(201, 'x'), "Chave: mais de 200 caracteres."},
        {"desfecho=%3Cb%3E", "Desfecho: \"<b>\" não é enviado, falhou, ignorado, pendente, incerto nem falhas."},
    };
    for (const auto& caso : casos) {
        const TLeituraPedidoHistorico pedido = LePedidoHistorico(caso.consulta);
        EXPECT_EQ(pedido.Erro, QString::fromUtf8(caso.erro)) << caso.consulta.toStdString();
        // The page says it, escaped, above an empty form, and lists nothing.
        const QString html = Pagina(arquivo, caso.consulta);
        EXPECT_TRUE(html.contains(QStringLiteral("<p id=\"erro-pedido\" class=\"erro\">")
                                  + QString::fromUtf8(caso.erro).toHtmlEscaped() + QStringLiteral("</p>")))
            << caso.consulta.toStdString();
        EXPECT_TRUE(Registros(html).isEmpty()) << caso.consulta.toStdString();
        EXPECT_FALSE(html.contains(QStringLiteral("<b>"))) << caso.consulta.toStdString();
    }
}

// Every value of a record, and every value of the query shown back, is
// escaped: a key holding a script shows as text.
TEST_F(Console, ChaveComScriptEValoresDoPedidoSaoEscapados)
{
    const QString arquivo = Fixture();
    for (const QByteArray consulta : {QByteArray(), QByteArray("chave=%3Cscript%3Ealert(1)%3C%2Fscript%3E"),
                                      QByteArray("integracao=%22%3E%3Cscript%3E")}) {
        const QString html = Pagina(arquivo, consulta);
        EXPECT_FALSE(html.contains(QStringLiteral("<script"))) << consulta.toStdString();
        EXPECT_FALSE(html.contains(QStringLiteral("<b>"))) << consulta.toStdString();
    }
    const QString todos = Pagina(arquivo, {});
    EXPECT_TRUE(todos.contains(QStringLiteral("<td class=\"chave\">&lt;script&gt;alert(1)&lt;/script&gt;</td>")));
    EXPECT_TRUE(todos.contains(QStringLiteral("<pre>&lt;b&gt;linha&lt;/b&gt; &amp; mais</pre>")));
    EXPECT_TRUE(todos.contains(QStringLiteral("<p class=\"erro\">Programa não cadastrado</p>")));
    const QString filtrado = Pagina(arquivo, "chave=%3Cscript%3Ealert(1)%3C%2Fscript%3E");
    EXPECT_EQ(Registros(filtrado), QList<qint64>{5});
    EXPECT_TRUE(filtrado.contains(QStringLiteral("name=\"chave\" value=\"&lt;script&gt;alert(1)&lt;/script&gt;\"")));
    // The download links carry the filter encoded (and no page: all that matches).
    EXPECT_TRUE(filtrado.contains(
        QStringLiteral("href=\"/historico.csv?chave=%3Cscript%3Ealert%281%29%3C%2Fscript%3E\"")))
        << filtrado.toStdString();
    const QString integracao = Pagina(arquivo, "integracao=%22%3E%3Cscript%3E");
    EXPECT_TRUE(integracao.contains(QStringLiteral("<option value=\"&quot;&gt;&lt;script&gt;\" selected>")));
}

// Pages follow each other by the last record shown, also when every
// record has the same moment, with the filters kept in the link.
TEST_F(Console, PaginasPelaChaveComMomentosIguais)
{
    QList<TRegistroFixo> registros;
    const QDateTime momento = Local("2026-03-05T12:00:00");
    for (int i = 1; i <= 130; ++i)
        registros << TRegistroFixo{i % 2 ? "Bruma" : "EAS", QString::number(1000 + i), "enviado", momento};
    const QString arquivo = EscreveDiario(pasta.path(), registros);

    for (const auto& [consulta, total, tamanhos] :
         {std::tuple{QByteArray(), 130, QList<int>{50, 50, 30}},
          std::tuple{QByteArray("desde=2026-03-05&integracao=EAS"), 65, QList<int>{50, 15}}}) {
        QList<qint64> vistos;
        QList<int> paginas;
        QByteArray proxima = consulta;
        for (int pagina = 0; pagina < 10; ++pagina) {
            const QString html = Pagina(arquivo, proxima);
            const QList<qint64> ids = Registros(html);
            paginas << int(ids.size());
            vistos += ids;
            if (!html.contains(QStringLiteral("id=\"proxima-pagina\"")))
                break;
            proxima = ConsultaDoLink(html, QStringLiteral("proxima-pagina"));
            EXPECT_TRUE(proxima.contains(consulta)) << proxima.toStdString();
            // Past the first page, a link back to the newest.
            EXPECT_EQ(ConsultaDoLink(Pagina(arquivo, proxima), QStringLiteral("primeira-pagina")), consulta);
        }
        EXPECT_EQ(paginas, tamanhos) << consulta.toStdString();
        EXPECT_EQ(vistos.size(), total);
        EXPECT_TRUE(std::is_sorted(vistos.rbegin(), vistos.rend()));
        EXPECT_EQ(std::adjacent_find(vistos.begin(), vistos.end()), vistos.end());
        for (const qint64 id : vistos)
            EXPECT_TRUE(consulta.isEmpty() || id % 2 == 0) << id;
    }
}

TEST_F(Console, HistoricoVazioOuAusente)
{
    const QString ausente = Pagina(TDiario::Arquivo(pasta.path()), {});
    EXPECT_TRUE(ausente.contains(QStringLiteral("O histórico ainda não existe: nenhum registro foi gravado.")));
    EXPECT_FALSE(ausente.contains(pasta.path()));

    const QString arquivo = EscreveDiario(pasta.path(), {});
    const QString vazio = Pagina(arquivo, {});
    EXPECT_TRUE(Registros(vazio).isEmpty());
    EXPECT_TRUE(vazio.contains(QStringLiteral("<p id=\"registros\">Nenhum registro com estes filtros.</p>")));
    EXPECT_FALSE(vazio.contains(QStringLiteral("proxima-pagina")));

    TDadosEstado dados;
    dados.Agora = QDateTime::currentDateTime();
    LeDiarioEstado(arquivo, dados);
    EXPECT_TRUE(dados.ErroDiario.isEmpty());
    EXPECT_EQ(dados.Horas.size(), HorasNaPaginaEstado);
    const QString estado = PaginaEstado(dados);
    EXPECT_TRUE(estado.contains(QStringLiteral("Nenhum ciclo no histórico.")));
    EXPECT_EQ(estado.count(QStringLiteral("Nenhum registro neste período.")), 2);

    TDadosEstado semDiario;
    semDiario.Agora = dados.Agora;
    LeDiarioEstado(QTemporaryDir().path() + QStringLiteral("/nada.sqlite"), semDiario);
    EXPECT_EQ(semDiario.ErroDiario, QStringLiteral("O histórico ainda não existe: nenhum ciclo foi gravado."));
    EXPECT_TRUE(PaginaEstado(semDiario).contains(semDiario.ErroDiario));
}

// A journal of a version before the indexes of the integration and the
// outcome (and before runs were noted) is read as it is, and gets them when
// the monitor opens it, its records kept.
TEST_F(Console, HistoricoAntigoELidoEGanhaOsIndicesAoSerAberto)
{
    const QString arquivo = TDiario::Arquivo(pasta.path());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(arquivo).path()));
    auto indices = [&arquivo] {
        QStringList nomes;
        QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("antigo"));
        banco.setDatabaseName(arquivo);
        EXPECT_TRUE(banco.open());
        QSqlQuery consulta(banco);
        EXPECT_TRUE(consulta.exec(QStringLiteral("SELECT NAME FROM sqlite_master WHERE TYPE = 'index' ORDER BY NAME")));
        while (consulta.next())
            nomes << consulta.value(0).toString();
        return nomes;
    };
    {
        QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("antigo"));
        banco.setDatabaseName(arquivo);
        ASSERT_TRUE(banco.open());
        QSqlQuery comando(banco);
        for (const char* texto :
             {"CREATE TABLE CICLOS (ID INTEGER PRIMARY KEY, INICIO TEXT NOT NULL, FIM TEXT, INTEGRACAO TEXT, "
              "DESFECHO TEXT, ENVIADOS INTEGER, FALHAS INTEGER, ERRO TEXT, INTERVALO_MS INTEGER, CONEXOES TEXT)",
              "CREATE TABLE REGISTROS (ID INTEGER PRIMARY KEY, CICLO INTEGER, MOMENTO TEXT NOT NULL, INTEGRACAO TEXT, "
              "DIRECAO TEXT, TIPO TEXT, CHAVE TEXT, DESFECHO TEXT, LINHA TEXT, ERRO TEXT)",
              "CREATE INDEX REGISTROS_MOMENTO ON REGISTROS (MOMENTO)", "CREATE INDEX REGISTROS_CHAVE ON REGISTROS (CHAVE)",
              "CREATE INDEX CICLOS_INICIO ON CICLOS (INICIO)",
              "INSERT INTO REGISTROS (MOMENTO, INTEGRACAO, DIRECAO, TIPO, CHAVE, DESFECHO, LINHA) VALUES "
              "('2026-03-01T10:00:00.000Z', 'Bruma', 'enviado', 'lote', '4711', 'falhou', 'Falhou.')"})
            ASSERT_TRUE(comando.exec(QString::fromLatin1(texto))) << comando.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("antigo"));
    EXPECT_EQ(Registros(Pagina(arquivo, "integracao=Bruma&desfecho=falhou")), QList<qint64>{1});
    const QStringList antes = indices();
    QSqlDatabase::removeDatabase(QStringLiteral("antigo"));
    EXPECT_FALSE(antes.contains(QStringLiteral("REGISTROS_INTEGRACAO")));

    {
        TDiario diario(arquivo, [](const QString& aviso) { throw std::runtime_error(aviso.toStdString()); });
        diario.CicloIniciado({QStringLiteral("EAS"), QDateTime::currentDateTime()});
        diario.RegistraRegistro(QStringLiteral("EAS"),
                                {TDirecaoRegistro::Entrada, QStringLiteral("host"), QStringLiteral("77"),
                                 TDesfechoRegistro::Enviado, QString()},
                                QStringLiteral("Aplicado."));
        TFimCiclo fim;
        fim.Fim = QDateTime::currentDateTime();
        diario.CicloTerminado(fim);
    }
    const QStringList depois = indices();
    QSqlDatabase::removeDatabase(QStringLiteral("antigo"));
    EXPECT_EQ(depois, (QStringList{"CICLOS_INICIO", "REGISTROS_CHAVE", "REGISTROS_DESFECHO", "REGISTROS_INTEGRACAO",
                                   "REGISTROS_MOMENTO"}));
    EXPECT_EQ(Registros(Pagina(arquivo, {})), (QList<qint64>{2, 1}));
    EXPECT_EQ(Registros(Pagina(arquivo, "integracao=EAS")), QList<qint64>{2});
    EXPECT_EQ(Registros(Pagina(arquivo, "desfecho=falhou")), QList<qint64>{1});
}

// The downloads are byte for byte what `quelix --historico` writes for the
// same filters.
TEST_F(Console, DownloadsSaoOTextoDoHistoricoDaLinhaDeComando)
{
    Fixture();
    const QString arquivo = TDiario::Arquivo(pasta.path());
    const struct {
        QByteArray consulta;
        QStringList argumentos;
    } casos[] = {
        {"formato=csv", {"--formato", "csv"}},
        {"formato=json", {"--formato", "json"}},
        {"formato=csv&chave=47&desfecho=falhas", {"--formato", "csv", "--chave", "47", "--falhas"}},
        {"formato=json&desde=2026-03-02&ate=2026-03-02", {"--formato", "json", "--desde", "2026-03-02", "--ate", "2026-03-02"}},
    };
    for (const auto& caso : casos) {
        const TLeituraPedidoHistorico pedido = LePedidoHistorico(caso.consulta);
        ASSERT_TRUE(pedido.Erro.isEmpty()) << pedido.Erro.toStdString();
        ASSERT_TRUE(pedido.Pedido.Formato.has_value());
        const TDownloadHistorico download = DownloadHistorico(arquivo, pedido.Pedido);
        const TSaida saida = Executa(Quelix, QStringList{"--historico", "--pasta", pasta.path()} + caso.argumentos);
        ASSERT_EQ(saida.status, 0) << saida.erros.toStdString();
        EXPECT_EQ(QString::fromUtf8(download.Corpo), saida.saida) << caso.consulta.toStdString();
        EXPECT_FALSE(download.Corpo.isEmpty());
    }
    const QByteArray json = DownloadHistorico(arquivo, LePedidoHistorico("formato=json").Pedido).Corpo;
    EXPECT_EQ(QJsonDocument::fromJson(json).array().at(2).toObject().value(QStringLiteral("chave")).toString(), Script);
    const TDownloadHistorico csv = DownloadHistorico(arquivo, LePedidoHistorico("formato=csv").Pedido);
    EXPECT_EQ(csv.Tipo, QByteArray("text/csv; charset=utf-8"));
    EXPECT_EQ(csv.NomeArquivo, QStringLiteral("historico.csv"));
}

// The records of each hour, and their picture: an empty day, a full one.
TEST_F(Console, RegistrosPorHoraEGraficoDeUmDiaVazioEDeUmCheio)
{
    QList<TRegistroFixo> registros;
    // Every hour of 2026-03-10 has records: h sent, one failed on even
    // hours, two pending ones (one "incerto") on hours divisible by 3, and
    // one ignored, counted by none.
    for (int hora = 0; hora < 24; ++hora) {
        const QDateTime inicio(QDate(2026, 3, 10), QTime(hora, 0));
        for (int i = 0; i < hora + 1; ++i)
            registros << TRegistroFixo{"Bruma", "e", "enviado", inicio.addSecs(60 * i)};
        if (hora % 2 == 0)
            registros << TRegistroFixo{"Bruma", "f", "falhou", inicio.addSecs(3599)};
        if (hora % 3 == 0) {
            registros << TRegistroFixo{"Vapora", "p", "pendente", inicio.addSecs(1800)};
            registros << TRegistroFixo{"Vapora", "i", "incerto", inicio.addSecs(1801)};
        }
        registros << TRegistroFixo{"Bruma", "x", "ignorado", inicio.addSecs(10)};
    }
    const QString arquivo = EscreveDiario(pasta.path(), registros);
    TLeituraDiario leitura(arquivo);

    const QList<TContagemHora> cheio = leitura.RegistrosPorHora(QDateTime(QDate(2026, 3, 11), QTime(0, 0)), 24);
    ASSERT_EQ(cheio.size(), 24);
    for (int hora = 0; hora < 24; ++hora) {
        EXPECT_EQ(cheio[hora].Inicio, QDateTime(QDate(2026, 3, 10), QTime(hora, 0)));
        EXPECT_EQ(cheio[hora].Enviados, hora + 1) << hora;
        EXPECT_EQ(cheio[hora].Falhas, hora % 2 == 0 ? 1 : 0) << hora;
        EXPECT_EQ(cheio[hora].Pendentes, hora % 3 == 0 ? 2 : 0) << hora;
    }
    const QList<TContagemHora> vazio = leitura.RegistrosPorHora(QDateTime(QDate(2026, 3, 12), QTime(0, 0)), 24);
    ASSERT_EQ(vazio.size(), 24);
    for (const TContagemHora& hora : vazio)
        EXPECT_EQ(hora.Enviados + hora.Falhas + hora.Pendentes, 0);

    // The pictures are well-formed SVG; one bar per kind and hour that had any.
    struct TContagemSvg {
        int enviados = 0, falhas = 0, pendentes = 0, dicas = 0;
        QStringList textos;
    };
    auto conta = [](const QString& svg) {
        TContagemSvg contagem;
        QXmlStreamReader xml(svg);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QString classe = xml.attributes().value(QStringLiteral("class")).toString();
            contagem.enviados += classe == QLatin1String("enviados");
            contagem.falhas += classe == QLatin1String("falhas");
            contagem.pendentes += classe == QLatin1String("pendentes");
            if (xml.name() == QLatin1String("title"))
                contagem.dicas += 1, contagem.textos << xml.readElementText();
            else if (xml.name() == QLatin1String("text"))
                contagem.textos << xml.readElementText();
        }
        EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << "\n" << svg.toStdString();
        return contagem;
    };
    const TContagemSvg svgCheio = conta(GraficoRegistros(cheio, QStringLiteral("Dia <cheio>")));
    EXPECT_EQ(svgCheio.enviados, 24);
    EXPECT_EQ(svgCheio.falhas, 12);
    EXPECT_EQ(svgCheio.pendentes, 8);
    EXPECT_EQ(svgCheio.dicas, 1 + 24);
    EXPECT_TRUE(svgCheio.textos.contains(QStringLiteral("Dia <cheio>")));
    EXPECT_TRUE(svgCheio.textos.contains(QStringLiteral("10/03 06:00–07:00: 7 enviados, 1 falhou, 2 pendentes")));
    EXPECT_TRUE(svgCheio.textos.contains(QStringLiteral("10/03 01:00–02:00: 2 enviados, 0 falharam, 0 pendentes")));
    EXPECT_TRUE(svgCheio.textos.contains(QStringLiteral("12h")));
    // The scale: the fullest hour has 24 records, rounded up to 50, and its half.
    for (const char* marca : {"0", "25", "50"})
        EXPECT_TRUE(svgCheio.textos.contains(QString::fromLatin1(marca))) << marca;
    EXPECT_FALSE(svgCheio.textos.contains(QStringLiteral("Nenhum registro neste período.")));

    const TContagemSvg svgVazio = conta(GraficoRegistros(vazio, QStringLiteral("Dia vazio")));
    EXPECT_EQ(svgVazio.enviados + svgVazio.falhas + svgVazio.pendentes, 0);
    EXPECT_EQ(svgVazio.dicas, 1);
    EXPECT_TRUE(svgVazio.textos.contains(QStringLiteral("Nenhum registro neste período.")));

    // One failure among a thousand records sent is still a visible bar.
    QXmlStreamReader raro(GraficoRegistros({TContagemHora{QDateTime(QDate(2026, 3, 10), QTime(9, 0)), 1000, 1, 0}},
                                           QStringLiteral("Raro")));
    double alturaFalha = 0;
    while (!raro.atEnd())
        if (raro.readNext() == QXmlStreamReader::StartElement
            && raro.attributes().value(QStringLiteral("class")) == QLatin1String("falhas"))
            alturaFalha = raro.attributes().value(QStringLiteral("height")).toDouble();
    EXPECT_GE(alturaFalha, 1.5);

    // A week is labelled by its days.
    const QList<TContagemHora> semana = leitura.RegistrosPorHora(QDateTime(QDate(2026, 3, 14), QTime(0, 0)), 7 * 24);
    const TContagemSvg svgSemana = conta(GraficoRegistros(semana, QStringLiteral("Semana")));
    EXPECT_EQ(svgSemana.enviados, 24);
    for (const char* dia : {"07/03", "10/03", "13/03"})
        EXPECT_TRUE(svgSemana.textos.contains(QString::fromLatin1(dia))) << dia;
}

// The state page from its data: the health rule's answer, the next cycle as
// the status bar says it, each connection by name, the cycles' outcomes.
TEST_F(Console, PaginaEstadoDizSaudeProximoCicloConexoesECiclos)
{
    const QDateTime agora = Local("2026-03-10T14:00:00");
    TDadosEstado base;
    base.Agora = agora;
    base.Saude = {true, TFalhaSaude::Nenhuma, {}};
    TFimCiclo ultimo;
    ultimo.Integracao = QStringLiteral("Bruma");
    ultimo.Inicio = agora.addSecs(-70);
    ultimo.Fim = agora.addSecs(-60);
    ultimo.Enviados = 12;
    ultimo.Falhas = 1;
    ultimo.Conexoes = {{"KoDatabase1", true, agora.addSecs(-3600)}, {"KoDatabase2", false, agora.addSecs(-120)}};
    base.UltimoCiclo = ultimo;
    base.NomesConexoes = {{"KoDatabase1", "ERP"}, {"KoDatabase2", "Bruma <máquinas>"}};

    const struct {
        const char* nome;
        std::function<void(TDadosEstado&)> muda;
        QStringList contem;
    } casos[] = {
        {"saudável, próximo ciclo",
         [&](TDadosEstado& d) { d.ProximoCiclo = agora.addSecs(42); },
         {"<p id=\"saude\" class=\"saude ok\">Monitorando, sem falhas.</p>",
          "<p id=\"ultimo-ciclo\">Último ciclo (Bruma): 13:59:00: 12 enviados, 1 falha</p>",
          "<p id=\"proximo-ciclo\">Próximo ciclo em 42 s (14:00:42)</p>",
          "<td>ERP</td><td>KoDatabase1</td><td>ativa desde 13:00:00</td>",
          "<td>Bruma &lt;máquinas&gt;</td><td>KoDatabase2</td><td>inativa desde 13:58:00</td>"}},
        {"pausado",
         [](TDadosEstado& d) { d.Saude = {false, TFalhaSaude::Parado, QStringLiteral("o monitoramento está parado")}; },
         {"<p id=\"saude\" class=\"saude falha\">Falha: o monitoramento está parado</p>",
          "<p id=\"proximo-ciclo\">pausado, nada em andamento</p>"}},
        {"ciclo em andamento",
         [&](TDadosEstado& d) {
             d.Trabalho = QStringLiteral("Ciclo em andamento");
             d.TrabalhoDesde = agora.addSecs(-75);
             d.CicloAtual = TCicloEmAndamento{QStringLiteral("Bruma"), agora.addSecs(-75)};
             d.ProximoCiclo = agora;
         },
         {"<p id=\"ciclo-atual\">Ciclo em andamento (Bruma) desde 13:58:45</p>",
          "<p id=\"proximo-ciclo\">Ciclo em andamento há 75 s</p>"}},
        {"erro escapado, escapado no HTML",
         [](TDadosEstado& d) {
             d.Saude = {false, TFalhaSaude::ErroNoCiclo, QStringLiteral("o último ciclo terminou com erro: <script>")};
         },
         {"Falha: o último ciclo terminou com erro: &lt;script&gt;"}},
        {"antes do primeiro ciclo",
         [](TDadosEstado& d) { d.UltimoCiclo.reset(); },
         {"<p id=\"ultimo-ciclo\">Nenhum ciclo ainda.</p>",
          "<p id=\"conexoes\">Nenhuma conexão conhecida antes do primeiro ciclo.</p>"}},
    };
    for (const auto& caso : casos) {
        TDadosEstado dados = base;
        caso.muda(dados);
        const QString html = PaginaEstado(dados);
        for (const QString& trecho : caso.contem)
            EXPECT_TRUE(html.contains(trecho)) << caso.nome << ": " << trecho.toStdString() << "\n" << html.toStdString();
        EXPECT_FALSE(html.contains(QStringLiteral("<script"))) << caso.nome;
    }
}

// The cycles of the journal with their outcomes: the one in progress, one
// cut short (a monitor ended in the middle of it), and ended ones.
TEST_F(Console, UltimosCiclosDoHistoricoComSeuDesfecho)
{
    const QString arquivo = TDiario::Arquivo(pasta.path());
    const QDateTime agora = QDateTime::currentDateTime();
    {
        TDiario diario(arquivo, [](const QString& aviso) { throw std::runtime_error(aviso.toStdString()); });
        auto ciclo = [&diario](int segundos, std::optional<TFimCiclo> fim) {
            diario.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime().addSecs(segundos)});
            if (fim)
                diario.CicloTerminado(*fim);
        };
        TFimCiclo concluido;
        concluido.Fim = agora.addSecs(-290);
        concluido.Enviados = 3;
        ciclo(-300, concluido);
        ciclo(-200, std::nullopt);  // cut short
        TFimCiclo comFalhas = concluido;
        comFalhas.Falhas = 2;
        ciclo(-100, comFalhas);
        TFimCiclo erro;
        erro.Fim = agora.addSecs(-50);
        erro.Erro = QStringLiteral("Conexão <perdida>");
        ciclo(-60, erro);
        ciclo(-5, std::nullopt);  // in progress
    }
    TDadosEstado dados;
    dados.Agora = agora;
    dados.CicloAtual = TCicloEmAndamento{QStringLiteral("Bruma"), agora.addSecs(-5)};
    LeDiarioEstado(arquivo, dados);
    ASSERT_EQ(dados.Ciclos.size(), 5);
    const QString html = PaginaEstado(dados);
    QStringList desfechos;
    static const QRegularExpression linha(QStringLiteral("<tr class=\"([a-z_]+)\"><td>[^<]*</td><td>Bruma</td><td>([^<]*)</td><td>([^<]*)</td>"));
    for (const QRegularExpressionMatch& achado : linha.globalMatch(html))
        desfechos << achado.captured(1) + u'|' + achado.captured(2) + u'|' + achado.captured(3).section(QStringLiteral(": "), 1);
    EXPECT_EQ(desfechos, (QStringList{"andamento|em andamento|", "erro|erro|Conexão &lt;perdida&gt;",
                                      "com_falhas|com falhas|3 enviados, 2 falhas", "interrompido|interrompido|",
                                      "concluido|concluído|3 enviados, 0 falhas"}))
        << html.toStdString();
}

// What a running monitor gives the state page: its health, its last cycle
// and the journal's, its connections by their names; and the pages and
// downloads as the console asks for them.
TEST_F(Console, DadosDeUmMonitorEmExecucao)
{
    TRelatorGravador relator;
    TDefinicaoTeste tipo = Tipo(0, QStringLiteral("Teste"));
    tipo.primeira = [](TContextoIntegracao& contexto) {
        contexto.FalhasNoCiclo += 1;
        contexto.Relator.RegistraRegistro({TDirecaoRegistro::Saida, QStringLiteral("lote"), QStringLiteral("x y"),
                                           TDesfechoRegistro::Falhou, QStringLiteral("Programa não cadastrado")});
    };
    const QString pastaMonitor = PastaComIni(QStringLiteral("[ModeloAtivo]\nModelo=0\n"));
    TObservadorDiario diario(TConfiguracao(pastaMonitor), [](const QString& aviso) { ADD_FAILURE() << aviso.toStdString(); });
    TMonitora monitora(relator, TFabricasIntegracao{FabricaTeste(tipo)}, pastaMonitor);
    monitora.AdicionaObservador(&diario);
    monitora.Inicia();
    monitora.ExecutaCiclo();
    const TDadosEstado dados = DadosEstado(monitora);
    ASSERT_TRUE(dados.UltimoCiclo.has_value());
    EXPECT_EQ(dados.UltimoCiclo->Falhas, 1);
    EXPECT_TRUE(dados.ErroDiario.isEmpty()) << dados.ErroDiario.toStdString();
    ASSERT_EQ(dados.Ciclos.size(), 1);
    EXPECT_EQ(dados.Ciclos.front().Desfecho, QStringLiteral("com_falhas"));
    for (const TEstadoConexao& conexao : dados.UltimoCiclo->Conexoes)
        EXPECT_EQ(dados.NomesConexoes.value(conexao.Nome), monitora.NomeDaConexao(conexao.Nome));
    const QString html = PaginaEstado(dados);
    EXPECT_TRUE(html.contains(QStringLiteral("Último ciclo (Teste): "))) << html.toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<td>com falhas</td>"))) << html.toStdString();

    // The pages as the console asks for them, with the query as its server
    // reads it from the request line.
    TFontesConsole fontes;
    LigaPaginasDoDiario(fontes, monitora);
    auto consulta = [](const char* texto) { return QUrlQuery(QString::fromUtf8(texto)); };
    EXPECT_TRUE(fontes.Estado(consulta("")).contains(QStringLiteral("<td>com falhas</td>")));
    const QString historico = fontes.Historico(consulta("chave=x+y&desfecho=falhou"));
    EXPECT_EQ(Registros(historico).size(), 1) << historico.toStdString();
    EXPECT_TRUE(historico.contains(QStringLiteral("name=\"chave\" value=\"x y\"")));
    EXPECT_TRUE(historico.contains(QStringLiteral("href=\"/historico.csv?chave=x%20y&amp;desfecho=falhou\"")))
        << historico.toStdString();
    EXPECT_TRUE(fontes.Historico(consulta("chave=%FF")).contains(QStringLiteral("A consulta não está em UTF-8.")));
    const QString csv = QString::fromUtf8(fontes.HistoricoArquivo(consulta("chave=x+y"), QStringLiteral("csv")));
    EXPECT_TRUE(csv.startsWith(QStringLiteral("momento,integracao,direcao,tipo,chave,desfecho,linha,erro\n")));
    EXPECT_TRUE(csv.contains(QStringLiteral(",Teste,enviado,lote,x y,falhou,"))) << csv.toStdString();
    const QJsonArray json = QJsonDocument::fromJson(fontes.HistoricoArquivo(consulta(""), QStringLiteral("json"))).array();
    ASSERT_EQ(json.size(), 1);
    EXPECT_EQ(json.at(0).toObject().value(QStringLiteral("erro")).toString(), QStringLiteral("Programa não cadastrado"));
    EXPECT_EQ(fontes.HistoricoArquivo(consulta("ate=amanha"), QStringLiteral("csv")),
              QStringLiteral("Até: \"amanha\" não é um dia AAAA-MM-DD.\n").toUtf8());
}

} // namespace
