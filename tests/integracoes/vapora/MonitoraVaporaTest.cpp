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

#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QThread>

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
        auto monitora = std::make_unique<TMonitora>(relator, Integracoes(), PastaComIni(ini));
        monitora->Inicia();
        return monitora;
    }

    TRelatorComTitulos relator;
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
