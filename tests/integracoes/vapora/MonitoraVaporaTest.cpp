// The monitor with the integrations of the composition root and the model
// "1" of QX.ini: start-up, the queue tab, "Limpar fila", a cycle on the
// cycle's thread, and quelix --ciclo copied beside its QX.ini.
#include "ApoioMonitor.h"
#include "BancoTeste.h"
#include "FilaVaporaTeste.h"
#include "MonitorEmExecucao.h"
#include "app/Integracoes.h"
#include "dblayer/KoQuery.h"
#include "monitor/Monitora.h"
#include "operacao/LeituraDiario.h"
#include "operacao/ObservadorDiario.h"
#include "servico/console/PaginaFila.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

using namespace ApoioMonitor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

TVapora& IntegracaoVapora(TMonitora& monitora)
{
    return dynamic_cast<TVapora&>(*monitora.Integracao(1));
}

// Queue rows inserted with isql: the ERP file stays free for another process.
QString InsereFilaSql(const QList<TLinhaFila>& linhas)
{
    QString sql;
    for (const TLinhaFila& l : linhas)
        sql += QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, CAMPO3, STATUS) "
                              "VALUES (%1, '%2', '%3', '%4', '%5', '%6', %7);\n")
                   .arg(l.Ordem)
                   .arg(l.Tipo, l.Operacao, l.Campo1, l.Campo2, l.Campo3,
                        l.Status.isEmpty() ? QStringLiteral("NULL") : l.Status);
    return sql;
}

class MonitoraVapora : public ComServicoSoap {
protected:
    std::unique_ptr<TMonitora> Inicia(const QString& ini)
    {
        const QString pasta = PastaComIni(ini);
        diarios.push_back(std::make_unique<TObservadorDiario>(
            TConfiguracao(pasta), [](const QString& aviso) { ADD_FAILURE() << aviso.toStdString(); }));
        auto monitora = std::make_unique<TMonitora>(relator, Integracoes(), pasta);
        monitora->AdicionaObservador(diarios.back().get());
        monitora->Inicia();
        return monitora;
    }

    // The monitor's journal, once what it was told is written.
    QString DiarioEscrito(const TMonitora& monitora)
    {
        for (const auto& diario : diarios)
            EXPECT_TRUE(diario->Espera(TObservadorDiario::EsperaMaximaMs));
        return monitora.ArquivoDiario();
    }

    TRelatorComTitulos relator;
    // Each outlives the monitor it observes, which is the test's own.
    std::vector<std::unique_ptr<TObservadorDiario>> diarios;
};

TEST_F(MonitoraVapora, Modelo1LeOsNoveLocaisEAbreAFilaFiltrada)
{
    const QString erp = CriaErp();
    ApoioMonitor::InsereFila(erp, {"0", "", "1", "0"});
    auto m = Inicia(SecaoBanco1(erp)
                    + "[Vapora]\nArtigo=http://ws/artigo?wsdl\nCliente=http://ws/cliente\nCor=c\n"
                      "ClasseProduto=cp\nSubClasseProduto=scp\nProduto=p\nGerarOP=http://ws:3030/op\n"
                      "Programacao=pg\nTipoFio=\n[ModeloAtivo]\nModelo=1x\n");

    EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
    EXPECT_TRUE(relator.Erros.isEmpty()) << relator.Erros.join('\n').toStdString();
    EXPECT_EQ(m->IndiceTipo(), 1);
    EXPECT_TRUE(m->Monitorando());
    EXPECT_TRUE(m->TimerAtivo());
    EXPECT_TRUE(m->LimparVisivel());
    const TComponentesVapora& d = IntegracaoVapora(*m).Dados();
    EXPECT_EQ(QStringList({d.HTTPArtigo.LocalDescricao(), d.HTTPCliente.LocalDescricao(),
                           d.HTTPCor.LocalDescricao(), d.HTTPClasseProduto.LocalDescricao(),
                           d.HTTPSubClasseProduto.LocalDescricao(), d.HTTPProduto.LocalDescricao(),
                           d.HTTPGerarOP.LocalDescricao(), d.HTTPProgramacao.LocalDescricao(),
                           d.HTTPTipoFio.LocalDescricao()}),
              QStringList({"http://ws/artigo?wsdl", "http://ws/cliente", "c", "cp", "scp", "p",
                           "http://ws:3030/op", "pg", ""}));
    const TKoTable& fila = m->TbFila();
    EXPECT_TRUE(fila.Active());
    EXPECT_EQ(fila.TableName, "QX_INTEGRA");
    EXPECT_EQ(fila.Filter, "STATUS = 0");
    EXPECT_TRUE(fila.Filtered);
    EXPECT_EQ(fila.RecordCount(), 2);  // STATUS 0 only; an empty STATUS is not shown
}

TEST_F(MonitoraVapora, LimparFilaRespondidoNaoNaoMudaNadaESimMarcaOsPendentes)
{
    const QString erp = CriaErp();
    ApoioMonitor::InsereFila(erp, {"0", "", "1", "2", "0"});
    auto m = Inicia(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=1\n");

    relator.resposta = false;
    EXPECT_TRUE(m->LimpaFila());
    EXPECT_EQ(relator.Perguntas, QStringList({S("Deseja realmente limpar a fila de tarefas pendentes?")}));
    EXPECT_EQ(relator.Titulos, QStringList({"Ko Monitor de Tinturarias"}));
    EXPECT_EQ(LeStatusFila(erp), QStringList({"0", "", "1", "2", "0"}));

    relator.resposta = true;
    EXPECT_TRUE(m->LimpaFila());
    EXPECT_EQ(LeStatusFila(erp), QStringList({"3", "3", "1", "2", "3"}));  // committed
    EXPECT_EQ(IntegracaoVapora(*m).Dados().QryExec1.SQL.Text(),
              "UPDATE QX_INTEGRA SET\r\nSTATUS = 3\r\nWHERE (STATUS = 0 OR STATUS IS NULL)\r\n");
    EXPECT_TRUE(relator.Erros.isEmpty());
}

// The polling cycle of the window runs the pass on the cycle's thread: the
// calls are made there, the lines and the message box reach the window's
// thread in order, and the failed row is counted.
TEST_F(MonitoraVapora, CicloDoMonitorEnviaAFilaEMarcaAsLinhas)
{
    Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("save"), QStringLiteral("falha"), S("cor recusada"));
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp, InsereFilaSql({{1, "AR", "S", "A1", "Algodao"},
                                                       {2, "CO", "S", "AZ", "Azul", "255"},
                                                       {3, "PI", "S", "4711", "T"}})
                                            + "INSERT INTO FAL_001 (NUMERO) VALUES ('4711');\n");
    auto m = Inicia(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");

    EXPECT_TRUE(m->ExecutaCiclo());

    EXPECT_EQ(relator.Linhas, QStringList({S("Grava Artigo - A1 - Algodao"), S("Erro no envio da Cor - AZ - Azul"),
                                           S("Atualiza Pode Iniciar FAL - 4711 - T")}));
    EXPECT_EQ(relator.Mensagens, QStringList({S("Erro no envio da Cor - AZ - Azul cor recusada")}));
    EXPECT_EQ(Servico().Chamadas().size(), 3);
    EXPECT_EQ(m->FalhasNoCiclo(), 1);
    EXPECT_TRUE(m->TimerAtivo());
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1", "2", "1"}));
}

TSaida ExecutaCopia(const QString& pasta)
{
    const QString copia = QDir(pasta).filePath(QStringLiteral("quelix"));
    if (!QFile::exists(copia)) {
        QFile::copy(QStringLiteral(QUELIX_EXECUTAVEL), copia);
        QFile::setPermissions(copia, QFile::permissions(copia) | QFile::ExeOwner);
    }
    return Executa(copia, {QStringLiteral("--ciclo")});
}

// quelix --ciclo with the model 1 sends the pending queue and marks it; a
// service out of reach leaves its row and the rest pending and makes it end
// with status 3, and the next run delivers them.
TEST_F(MonitoraVapora, CicloSemJanelaEnviaAFilaEMarcaAsLinhas)
{
    Servico().DefineModo(QStringLiteral("ClienteWS"), QStringLiteral("save"), QStringLiteral("http"), {}, 503);
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp, InsereFilaSql({{1, "AR", "S", "A1", "Algodao"},
                                                       {2, "CL", "S", "7", "Malharia"},
                                                       {3, "OP", "D", "4711", "cancelada"},
                                                       {4, "AR", "S", "A2", "ja enviado", "", "1"}}));
    const QString pasta = PastaComIni(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");

    const TSaida primeira = ExecutaCopia(pasta);

    EXPECT_EQ(primeira.status, 3) << primeira.erros.toStdString();
    EXPECT_TRUE(primeira.saida.startsWith(S("Grava Artigo - A1 - Algodao\nServiço inalcançável (tarefa CL): ")))
        << primeira.saida.toStdString();
    EXPECT_TRUE(primeira.saida.contains(S("HTTP 503"))) << primeira.saida.toStdString();
    EXPECT_TRUE(primeira.saida.endsWith(S(" 2 tarefa(s) pendente(s) aguardam o próximo ciclo.\n")))
        << primeira.saida.toStdString();
    EXPECT_EQ(Servico().Chamadas().size(), 2);
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1", "", "", "1"}));

    Servico().Limpa();
    const TSaida segunda = ExecutaCopia(pasta);
    EXPECT_EQ(segunda.status, 0) << segunda.erros.toStdString();
    EXPECT_EQ(segunda.saida, S("Grava Cliente - 7 - Malharia\nDeleta FAL - 4711 - cancelada\n"));
    EXPECT_EQ(Servico().Chamadas().size(), 2);
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1", "1", "1", "1"}));

    // The journal holds each row as it went, newest first.
    const TSaida historico = Executa(QDir(pasta).filePath(QStringLiteral("quelix")),
                                     {QStringLiteral("--historico"), QStringLiteral("--formato"), QStringLiteral("json")});
    QStringList registros;
    for (const QJsonValue& valor : QJsonDocument::fromJson(historico.saida.toUtf8()).array()) {
        const QJsonObject registro = valor.toObject();
        registros << QStringList{registro["chave"].toString(), registro["tipo"].toString(),
                                 registro["desfecho"].toString()}.join(u' ');
        if (registro["desfecho"] == "pendente")
            EXPECT_TRUE(registro["erro"].toString().contains("503")) << registro["erro"].toString().toStdString();
    }
    EXPECT_EQ(registros, QStringList({"3 OP enviado", "2 CL enviado", "2 CL pendente", "1 AR enviado"}))
        << historico.saida.toStdString();
}

// A call whose fate is unknown (the service closed the connection after the
// request) keeps its row pending with a line that says the service may have
// it; the journal records it as "incerto", which --historico --falhas shows.
TEST_F(MonitoraVapora, CicloSemJanelaRegistraOEnvioIncerto)
{
    Servico().DefineModo(QStringLiteral("ClienteWS"), QStringLiteral("save"), QStringLiteral("fecha"));
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp, InsereFilaSql({{1, "AR", "S", "A1", "Algodao"}, {2, "CL", "S", "7", "Malharia"}}));
    const QString pasta = PastaComIni(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");

    const TSaida ciclo = ExecutaCopia(pasta);

    EXPECT_EQ(ciclo.status, 3) << ciclo.erros.toStdString();
    EXPECT_TRUE(ciclo.saida.contains(S("\nEnvio incerto (tarefa CL, ORDEM 2): ")));
    EXPECT_TRUE(ciclo.saida.contains(S("o serviço pode ter recebido o pedido"))) << ciclo.saida.toStdString();
    EXPECT_FALSE(ciclo.erros.contains(QLatin1String("QIODevice"))) << ciclo.erros.toStdString();
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1", ""}));

    const TSaida falhas = Executa(QDir(pasta).filePath(QStringLiteral("quelix")),
                                  {QStringLiteral("--historico"), QStringLiteral("--falhas"), QStringLiteral("--formato"),
                                   QStringLiteral("json")});
    QStringList registros;
    for (const QJsonValue& valor : QJsonDocument::fromJson(falhas.saida.toUtf8()).array())
        registros << valor.toObject()["chave"].toString() + u' ' + valor.toObject()["desfecho"].toString();
    EXPECT_EQ(registros, QStringList({"2 incerto"})) << falhas.saida.toStdString();
}

// "Reenviar" through the monitor, as the window, the console and the
// command line ask for it; the answer is awaited here for a minute at most.
TResultadoReenvio Reenvia(TMonitora& monitora, qint64 ordem, const TAutorAcao& autor)
{
    std::optional<TResultadoReenvio> resultado;
    monitora.PedeReenvio(ordem, autor, [&resultado](const TResultadoReenvio& r) { resultado = r; });
    const QDeadlineTimer prazo(60000);
    while (!resultado && !prazo.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    if (!resultado) {
        ADD_FAILURE() << "Reenviar ORDEM " << ordem << " não respondeu em um minuto";
        return {};
    }
    return *resultado;
}

// The journal's "Reenviar" records, newest first, as
// "direcao|chave|desfecho|linha"; none when no journal was written.
QStringList ReenviosNoDiario(const QString& arquivo)
{
    if (!QFile::exists(arquivo))
        return {};
    TLeituraDiario leitura(arquivo);
    QStringList reenvios;
    for (const TLinhaHistorico& linha : leitura.Pagina({}, 0, 100))
        if (linha.Tipo == "reenvio")
            reenvios << QStringList{linha.Direcao, linha.Chave, linha.Desfecho, linha.Linha}.join(u'|');
    return reenvios;
}

// A row that failed goes back to 0, and the next cycle sends it once; the
// journal keeps who asked, from where. A cleared row goes back too.
TEST_F(MonitoraVapora, ReenviarVoltaALinhaQueFalhouParaAFilaEOProximoCicloAEnviaUmaVez)
{
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp, InsereFilaSql({{1, "AR", "S", "A1", "Algodao", "", "2"},
                                                       {2, "AR", "S", "A2", "Linho", "", "3"},
                                                       {3, "AR", "S", "A3", "Seda", "", "1"}}));
    auto m = Inicia(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");
    m->DefineMonitorando(false);

    const TResultadoReenvio feito = Reenvia(*m, 1, {QStringLiteral("ana"), QStringLiteral("10.0.0.7")});

    EXPECT_TRUE(feito.Feito) << feito.Texto.toStdString();
    EXPECT_EQ(feito.Texto, S("Tarefa ORDEM 1 de volta à fila: STATUS 2 → 0; o próximo ciclo a envia."));
    EXPECT_EQ(LeStatusFila(erp), QStringList({"0", "3", "1"}));  // committed, seen from another connection
    EXPECT_EQ(Servico().Chamadas().size(), 0);
    const QString linha = S("Reenviar pedido por ana (10.0.0.7): ") + feito.Texto;
    EXPECT_EQ(relator.Linhas, QStringList({linha}));
    EXPECT_EQ(ReenviosNoDiario(DiarioEscrito(*m)), QStringList({S("acao|1|feito|") + linha}));

    EXPECT_TRUE(m->ExecutaCiclo());
    EXPECT_EQ(Servico().Chamadas().size(), 1);
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1", "3", "1"}));
    EXPECT_TRUE(m->ExecutaCiclo());
    EXPECT_EQ(Servico().Chamadas().size(), 1);  // once

    EXPECT_TRUE(Reenvia(*m, 2, {QStringLiteral("bruno"), QStringLiteral("janela")}).Feito);
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1", "0", "1"}));
    EXPECT_EQ(ReenviosNoDiario(DiarioEscrito(*m)).size(), 2);
    EXPECT_TRUE(relator.Erros.isEmpty()) << relator.Erros.join('\n').toStdString();
}

// Only a failed or cleared row is resent: the others are left as they are,
// with the reason, and the journal keeps no resend.
TEST_F(MonitoraVapora, ReenviarRecusaLinhaPendenteEnviadaOuAusente)
{
    const QString erp = CriaErp();
    ApoioMonitor::InsereFila(erp, {"0", "1", ""});
    auto m = Inicia(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");
    m->DefineMonitorando(false);
    const struct {
        qint64 ordem;
        const char* texto;
    } casos[] = {
        {1, "A tarefa ORDEM 1 tem STATUS 0: só tarefas que falharam (STATUS 2) ou foram limpas (STATUS 3) podem ser "
            "reenviadas."},
        {2, "A tarefa ORDEM 2 tem STATUS 1: só tarefas que falharam (STATUS 2) ou foram limpas (STATUS 3) podem ser "
            "reenviadas."},
        {3, "A tarefa ORDEM 3 tem STATUS vazio: só tarefas que falharam (STATUS 2) ou foram limpas (STATUS 3) podem "
            "ser reenviadas."},
        {99, "A fila não tem tarefa com ORDEM 99."},
    };
    for (const auto& caso : casos) {
        const TResultadoReenvio r = Reenvia(*m, caso.ordem, {QStringLiteral("ana"), QStringLiteral("janela")});
        EXPECT_FALSE(r.Feito) << caso.ordem;
        EXPECT_EQ(r.Texto, S(caso.texto));
    }
    EXPECT_EQ(LeStatusFila(erp), QStringList({"0", "1", ""}));
    EXPECT_TRUE(relator.Linhas.isEmpty()) << relator.Linhas.join('\n').toStdString();
    EXPECT_TRUE(ReenviosNoDiario(DiarioEscrito(*m)).isEmpty());
}

// The update is guarded by the status the row was seen with: a cycle or
// another operator that changed it between the reading and the update
// wins, and the row is not touched.
TEST_F(MonitoraVapora, ReenviarNaoTocaLinhaQueMudouEnquantoIsso)
{
    const QString erp = CriaErp();
    ApoioMonitor::InsereFila(erp, {"2"});
    auto m = Inicia(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=1\n");
    m->DefineMonitorando(false);
    TResultadoReenvio r;
    m->NoCiclo([&] {
        TVapora& vapora = IntegracaoVapora(*m);
        const std::optional<QString> visto = vapora.StatusDaTarefa(1);
        ASSERT_EQ(visto, QString("2"));
        TKoDatabase outra;
        ApoioMonitor::AbreErp(outra, erp);
        TKoQuery marca;
        marca.SetDatabase(&outra);
        marca.SQL.Add(QStringLiteral("UPDATE QX_INTEGRA SET STATUS = 1 WHERE ORDEM = 1"));
        marca.ExecSQL();
        outra.CommitRetaining();
        outra.Close();
        r = vapora.ReenviaSeStatus(1, *visto);
    });
    EXPECT_FALSE(r.Feito);
    EXPECT_EQ(r.Texto, S("A tarefa ORDEM 1 mudou enquanto isso (não tem mais STATUS 2): nada foi alterado. Veja a "
                         "fila de novo."));
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1"}));
}

// The console's queue page: the pending rows, and the rows that can be
// resent, newest first, each with its last journal record; read on the
// queue's thread while the window's thread waits for nothing.
TEST_F(MonitoraVapora, FilaDoConsoleTrazPendentesEReenviaveisComOUltimoRegistro)
{
    Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("save"), QStringLiteral("falha"), S("cor <recusada>"));
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp, InsereFilaSql({{1, "AR", "S", "A1", "Algodao"},
                                                       {2, "CO", "S", "AZ", "Azul", "255"},
                                                       {3, "AR", "S", "A3", "Seda", "", "3"},
                                                       {4, "AR", "S", "A4", "Lã", "", "1"}}));
    auto m = Inicia(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");
    m->DefineMonitorando(false);
    EXPECT_TRUE(m->ExecutaCiclo());
    {
        TKoDatabase outra;
        ApoioMonitor::AbreErp(outra, erp);
        TKoQuery insere;
        insere.SetDatabase(&outra);
        insere.SQL.Add(QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, STATUS) "
                                      "VALUES (5, 'AR', 'S', '<b>A5</b>', 0)"));
        insere.ExecSQL();
        outra.CommitRetaining();
    }

    std::optional<TFilaConsole> lida;
    m->PedeFilaConsole([&lida](const TFilaConsole& fila) { lida = fila; });
    const QDeadlineTimer prazo(60000);
    while (!lida && !prazo.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    ASSERT_TRUE(lida);
    const TFilaConsole& fila = *lida;

    EXPECT_EQ(fila.Integracao, "Vapora");
    EXPECT_TRUE(fila.Erro.isEmpty()) << fila.Erro.toStdString();
    ASSERT_EQ(fila.Pendentes.Linhas.size(), 1);
    const int campo1 = int(fila.Pendentes.Colunas.indexOf(QStringLiteral("CAMPO1")));
    EXPECT_EQ(fila.Pendentes.Linhas[0].value(campo1).toString(), "<b>A5</b>");
    QStringList chaves;
    for (const TTarefaReenviavel& tarefa : fila.Reenviaveis)
        chaves << tarefa.Chave;
    EXPECT_EQ(chaves, QStringList({"3", "2"}));
    EXPECT_FALSE(fila.MaisReenviaveis);
    ASSERT_EQ(fila.Reenviaveis.size(), 2);
    EXPECT_FALSE(fila.Reenviaveis[0].UltimoRegistro);  // cleared before the journal knew it
    ASSERT_TRUE(fila.Reenviaveis[1].UltimoRegistro);
    EXPECT_EQ(fila.Reenviaveis[1].UltimoRegistro->Desfecho, "falhou");
    EXPECT_TRUE(fila.Reenviaveis[1].UltimoRegistro->Erro.contains(S("cor <recusada>")))
        << fila.Reenviaveis[1].UltimoRegistro->Erro.toStdString();

    const QString html = PaginaFila(fila, QStringLiteral("k"), QStringLiteral("/fila/reenviar"));
    EXPECT_TRUE(html.contains(S("<td>&lt;b&gt;A5&lt;/b&gt;</td>"))) << html.toStdString();
    EXPECT_TRUE(html.contains(S("name=\"ordem\" value=\"2\"")));
    EXPECT_TRUE(html.contains(S("name=\"ordem\" value=\"3\"")));
    EXPECT_TRUE(html.contains(S("cor &lt;recusada&gt;")));
    EXPECT_FALSE(html.contains(S("value=\"4\"")));
}

// quelix --reenvia beside the folder's QX.ini: the author is the system's
// user at the command line; a second resend of the same row is refused.
TEST_F(MonitoraVapora, ReenviaNaLinhaDeComando)
{
    const QString erp = CriaErp();
    ApoioMonitor::InsereFila(erp, {"2"});
    const QString pasta = PastaComIni(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");
    ExecutaCopia(pasta);  // installs the copy; its cycle marks nothing (no pending row)
    const QString quelix = QDir(pasta).filePath(QStringLiteral("quelix"));

    const TSaida feito = Executa(quelix, {QStringLiteral("--reenvia"), QStringLiteral("1")});
    EXPECT_EQ(feito.status, 0) << feito.erros.toStdString();
    EXPECT_TRUE(feito.saida.contains(S(" (linha de comando): Tarefa ORDEM 1 de volta à fila: STATUS 2 → 0"))) << feito.saida.toStdString();
    const QString usuario = QString::fromLocal8Bit(getpwuid(geteuid())->pw_name);
    EXPECT_TRUE(feito.saida.contains(S("Reenviar pedido por ") + usuario + S(" (linha de comando)")))
        << feito.saida.toStdString();
    EXPECT_EQ(LeStatusFila(erp), QStringList({"0"}));

    const TSaida outra = Executa(quelix, {QStringLiteral("--reenvia"), QStringLiteral("1")});
    EXPECT_EQ(outra.status, 1);
    EXPECT_TRUE(outra.erros.contains(S("A tarefa ORDEM 1 tem STATUS 0"))) << outra.erros.toStdString();

    const TSaida errada = Executa(quelix, {QStringLiteral("--reenvia"), QStringLiteral("um")});
    EXPECT_EQ(errada.status, 2);
    EXPECT_TRUE(errada.erros.contains(S("--reenvia: \"um\" não é uma ORDEM"))) << errada.erros.toStdString();
    EXPECT_EQ(LeStatusFila(erp), QStringList({"0"}));
}

// A service that takes a call and never answers holds the pass; a stop then
// waits 8 s for the call and ends the process without it. The rows the
// service confirmed before are in the journal all the same: their group is
// committed while the call waits, not only when the pass goes on.
TEST_F(MonitoraVapora, ParadaDuranteUmaChamadaMudaGuardaNoHistoricoOQueJaFoiConfirmado)
{
    Servico().DefineModo(QStringLiteral("ClienteWS"), QStringLiteral("save"), QStringLiteral("mudo"));
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp, InsereFilaSql({{1, "AR", "S", "A1", "Algodao"}, {2, "CL", "S", "7", "Malharia"}}));
    const QString pasta = PastaComIni(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");

    TMonitorEmExecucao monitor(QStringLiteral(QUELIX_EXECUTAVEL),
                               {QStringLiteral("--sem-janela"), QStringLiteral("--pasta"), pasta},
                               {{QStringLiteral("QUELIX_INTERVALO_MS"), QStringLiteral("500")}});
    // The second row's call reached the service, which keeps it unanswered
    // (well within the call's limit of 60 s).
    QElapsedTimer espera;
    espera.start();
    while (Servico().Chamadas().size() < 2 && espera.elapsed() < 30000)
        QThread::msleep(50);
    ASSERT_EQ(Servico().Chamadas().size(), 2) << monitor.Erros().toStdString();
    monitor.PedeTermino();
    EXPECT_EQ(monitor.Fim(60000), 128 + 15);
    // Stopped in that call: the row was not posted again.
    EXPECT_EQ(Servico().Chamadas().size(), 2);
    EXPECT_TRUE(monitor.Linhas().contains(S("Grava Artigo - A1 - Algodao"))) << monitor.Linhas().join(u'\n').toStdString();
    // The stop says which row it left, and that the service may have it.
    EXPECT_TRUE(monitor.Erros().contains(S("o encerramento esperou 8 s por uma chamada que não responde "
                                           "(envio da tarefa CL, ORDEM 2 em serviço Vapora há ")))
        << monitor.Erros().toStdString();
    EXPECT_TRUE(monitor.Erros().contains(S("um serviço pode ter recebido o pedido em curso"))) << monitor.Erros().toStdString();
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1", ""}));

    const TSaida historico = Executa(QStringLiteral(QUELIX_EXECUTAVEL),
                                     {QStringLiteral("--historico"), QStringLiteral("--pasta"), pasta,
                                      QStringLiteral("--formato"), QStringLiteral("json")});
    QStringList registros;
    for (const QJsonValue& valor : QJsonDocument::fromJson(historico.saida.toUtf8()).array())
        registros << valor.toObject()["chave"].toString() + u' ' + valor.toObject()["desfecho"].toString();
    EXPECT_EQ(registros, QStringList({"1 enviado"})) << historico.saida.toStdString();
}

} // namespace
