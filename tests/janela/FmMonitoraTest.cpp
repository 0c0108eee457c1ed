#include "janela/FmMonitora.h"

#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "IntegracaoTeste.h"
#include "base/Erros.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "janela/AbaHistorico.h"
#include "janela/PainelLog.h"
#include "janela/Traducoes.h"
#include "janela/BarraEstado.h"
#include "janela/ModeloHistorico.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextBlock>
#include <QTextDocument>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QApplication>);

const TVisaoFila FilaQx{QStringLiteral("QX_INTEGRA"), QStringLiteral("STATUS = 0")};

class Janela : public ::testing::Test {
protected:
    TRelatorComTitulos caixas;  // the window's message boxes
    std::array<TDefinicaoTeste, 3> tipos{
        Tipo(0, QStringLiteral("Bruma")),
        Tipo(1, QStringLiteral("Vapora"), FilaQx),
        Tipo(2, QStringLiteral("EAS")),
    };

    std::unique_ptr<TFmMonitora> Cria(const QString& ini)
    {
        const QString pasta = PastaComIni(ini);
        TFabricasIntegracao fabricas;
        for (const TDefinicaoTeste& tipo : tipos)
            fabricas << FabricaTeste(tipo);
        return std::make_unique<TFmMonitora>(
            [fabricas, pasta](TRelator& relator) { return std::make_unique<TMonitora>(relator, fabricas, pasta); },
            &caixas);
    }

    static QStringList LinhasDoLog(TFmMonitora& j) { return j.Memo1->toPlainText().split('\n'); }

    // The history tab reads on a thread of its own: its page arrives later.
    static bool EsperaHistorico(TAbaHistorico& aba)
    {
        return QTest::qWaitFor([&aba] { return !aba.Modelo().Lendo(); }, 60000);
    }
};

// The daily log names the application's window even when it never had the
// desktop's focus (an unattended monitor), and keeps the name when the
// focus leaves the application.
TEST_F(Janela, LogNomeiaAJanelaDaAplicacaoSemFoco)
{
    auto j = Cria("");
    const QString pasta = AmbienteTeste::pastaTemporaria() + u'/' + AmbienteTeste::nomeUnico("logjanela");
    QDir().mkpath(pasta);
    DefinePastaDoExecutavel(pasta);
    ASSERT_EQ(QApplication::activeWindow(), nullptr);
    GravaLinhaLog("M", "ip", "u", "linha");
    DefinePastaDoExecutavel({});
    QFile arquivo(pasta + "/Logs/M-" + QDate::currentDate().toString("yyyyMMdd") + ".log");
    ASSERT_TRUE(arquivo.open(QIODevice::ReadOnly));
    EXPECT_TRUE(arquivo.readAll().startsWith("|ip|FmMonitora|u|"));
}

// The pane keeps its last lines only, each as it was written.
TEST_F(Janela, PainelGuardaAsUltimasLinhas)
{
    auto j = Cria("");
    for (int i = 1; i <= LinhasNoPainel + 10; ++i)
        j->AdicionaLinha(QStringLiteral("linha %1").arg(i));
    EXPECT_EQ(j->Memo1->blockCount(), LinhasNoPainel);
    EXPECT_EQ(j->Memo1->document()->firstBlock().text(), QStringLiteral("linha 11"));
    EXPECT_EQ(j->Memo1->document()->lastBlock().text(), QStringLiteral("linha %1").arg(LinhasNoPainel + 10));
}

// The window's own texts, as the dye-house's users know them.
TEST_F(Janela, LegendasDaJanela)
{
    auto j = Cria("");
    QStringList itens;
    for (QAbstractButton* b : j->RgTipoItens->buttons())
        itens << b->text();
    QStringList abas;
    for (int i = 0; i < j->PageControl1->count(); ++i)
        abas << j->PageControl1->tabText(i);
    QStringList menu;
    for (const QAction* acao : j->PopupMenu1->actions())
        menu << acao->text();

    EXPECT_EQ(j->windowTitle(), "Ko Monitor de Tinturarias");
    EXPECT_EQ(j->RgTipo->title(), "Tipo de Máquina");
    EXPECT_EQ(itens, QStringList({"Bruma", "Vapora", "EAS"}));
    EXPECT_EQ(j->CbMonitora->text(), "Monitorando");
    EXPECT_EQ(j->BtnLimpar->text(), "Limpar fila");
    EXPECT_FALSE(j->BtnLimpar->icon().isNull());
    EXPECT_EQ(abas, QStringList({"Log's", "Tabela", QString::fromUtf8("Histórico")}));
    EXPECT_EQ(menu, QStringList({"Restaurar", "Minimizar"}));
}

// The machine types stand in three columns: side by side, in their order.
TEST_F(Janela, TiposLadoALadoNaOrdem)
{
    auto j = Cria("");
    j->show();
    QApplication::processEvents();
    const QList<QAbstractButton*> botoes = j->RgTipoItens->buttons();
    ASSERT_EQ(botoes.size(), 3);
    for (qsizetype i = 1; i < botoes.size(); ++i) {
        EXPECT_EQ(botoes[i]->y(), botoes[0]->y());
        EXPECT_GT(botoes[i]->x(), botoes[i - 1]->x());
    }
}

// Without a model configured the window opens on the first type, monitoring,
// the first cycle one interval away, on the log's tab; "Limpar fila" belongs
// to the model with a queue alone.
TEST_F(Janela, AbreMonitorandoOPrimeiroTipoNaAbaDoLog)
{
    auto j = Cria("");
    EXPECT_EQ(j->RgTipoItens->checkedId(), 0);
    EXPECT_TRUE(j->CbMonitora->isChecked());
    EXPECT_TRUE(j->Monitora().TimerAtivo());
    EXPECT_EQ(j->Monitora().Timer1().interval(), 59000);
    EXPECT_TRUE(j->BtnLimpar->isHidden());
    EXPECT_EQ(j->PageControl1->currentIndex(), 0);
}

// The log pane and the queue's grid show; the user edits neither.
TEST_F(Janela, LogEGradeSoParaLer)
{
    auto j = Cria("");
    j->show();
    const QString antes = j->Memo1->toPlainText();
    QTest::keyClicks(j->Memo1, QStringLiteral("x"));
    EXPECT_EQ(j->Memo1->toPlainText(), antes);
    EXPECT_EQ(j->DBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
}

// An ERP that does not open is said in a box, after a log line that names
// the connection, its section and its data source.
TEST_F(Janela, ErpQueNaoAbreEhDitoNaCaixaENoLog)
{
    auto j = Cria("");
    ASSERT_EQ(caixas.Mensagens.size(), 1);
    EXPECT_TRUE(caixas.Mensagens[0].startsWith("Erro na Conexão do Banco1!.\r"));
    EXPECT_TRUE(LinhasDoLog(*j).last().startsWith("Conexão KoDatabase1 não aberta: [Banco1] Base = (vazia) (driver FB): "))
        << LinhasDoLog(*j).last().toStdString();
}

TEST_F(Janela, ModeloComFilaMostraLimparFilaEATabelaFiltrada)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0", "1", "0"});
    auto j = Cria(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=1\n");
    EXPECT_EQ(j->RgTipoItens->checkedId(), 1);
    EXPECT_FALSE(j->BtnLimpar->isHidden());
    EXPECT_TRUE(j->CbMonitora->isChecked());

    EXPECT_EQ(j->DBGrid1->model(), &j->Monitora().ModeloFila());
    EXPECT_EQ(j->DBGrid1->model()->rowCount(), 2);  // read at start-up

    InsereFila(erp, {"0"});  // ORDEM 1 again, waiting
    j->PageControl1->setCurrentIndex(1);  // PageControl1Change: the rows come when read
    ASSERT_TRUE(EsperaLeituraFila(j->Monitora()));
    EXPECT_TRUE(j->Monitora().TbFila().Active());
    EXPECT_EQ(j->DBGrid1->model()->rowCount(), 3);
}

TEST_F(Janela, EscolherTipoDesmarcaMonitorandoEMarcarRetoma)
{
    auto j = Cria("");
    j->RgTipoItens->button(1)->click();
    EXPECT_EQ(j->Monitora().IndiceTipo(), 1);
    EXPECT_FALSE(j->CbMonitora->isChecked());
    EXPECT_FALSE(j->Monitora().TimerAtivo());
    EXPECT_FALSE(j->BtnLimpar->isHidden());

    j->RgTipoItens->button(2)->click();
    EXPECT_TRUE(j->BtnLimpar->isHidden());
    j->CbMonitora->click();
    EXPECT_TRUE(j->CbMonitora->isChecked());
    EXPECT_TRUE(j->Monitora().TimerAtivo());
    j->CbMonitora->click();
    EXPECT_FALSE(j->Monitora().TimerAtivo());
}

TEST_F(Janela, CicloEscreveNoLogComCursorOcupadoEErroDesmarcaMonitorando)
{
    std::atomic<int> cursor = -1;
    tipos[0].primeira = [&](TContextoIntegracao& c) {
        // The busy cursor, as the window's thread shows it during the cycle.
        QMetaObject::invokeMethod(qApp, [&] {
            cursor = QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : Qt::ArrowCursor;
        }, Qt::BlockingQueuedConnection);
        c.Relator.AdicionaLinha("  primeira linha, sem aparar  ");
    };
    tipos[0].segunda = [](TContextoIntegracao& c) { c.Relator.AdicionaLinha("segunda"); };
    tipos[2].primeira = [](TContextoIntegracao&) { throw EDatabaseError("Erro KoQuery.Open: sem conexão"); };
    auto j = Cria("");
    j->Memo1->clear();  // start-up's line about the ERP not configured

    j->Timer1Timer();
    EXPECT_EQ(LinhasDoLog(*j), QStringList({"  primeira linha, sem aparar  ", "segunda"}));
    EXPECT_EQ(cursor, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(j->Monitora().TimerAtivo());

    j->RgTipoItens->button(2)->click();
    j->CbMonitora->click();
    j->Timer1Timer();
    EXPECT_EQ(caixas.Erros, QStringList({"Erro KoQuery.Open: sem conexão"}));
    EXPECT_EQ(LinhasDoLog(*j).last(),
              "O ciclo de EAS parou: Erro KoQuery.Open: sem conexão (conexão fechada: KoDatabase1).");
    EXPECT_FALSE(j->Monitora().TimerAtivo());
    EXPECT_FALSE(j->CbMonitora->isChecked());  // polling stopped, and the switch shows it
    j->CbMonitora->click();
    EXPECT_TRUE(j->Monitora().TimerAtivo());
}

// A cycle blocked on a lock held by another connection: the window keeps
// answering, the log shows each line as it is written, "Limpar fila" waits
// for the cycle, and a close asked for meanwhile happens after it.
TEST_F(Janela, JanelaRespondeDuranteCicloBloqueadoEFechaDepoisDele)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0"});
    TKoDatabase outra;
    outra.SetDriverName("FB");
    outra.SetDatabaseName(erp);
    outra.Open();
    TKoQuery trava;
    trava.SetDatabase(&outra);
    trava.SQL.Add("UPDATE QX_INTEGRA SET STATUS = 5 WHERE ORDEM = 1");
    trava.ExecSQL();  // uncommitted: the row stays locked

    std::atomic<bool> bloqueado = false;
    tipos[1].primeira = [&](TContextoIntegracao& c) {
        c.Relator.AdicionaLinha("antes da trava");
        TKoQuery q;
        q.SetDatabase(&c.KoDatabase1);
        q.SQL.Add("UPDATE QX_INTEGRA SET STATUS = 1 WHERE ORDEM = 1");
        bloqueado = true;
        q.TryExecSQL();  // waits for the lock
        c.KoDatabase1.CommitRetaining();
        c.Relator.AdicionaLinha("depois da trava");
    };
    auto j = Cria(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=1\n");
    j->show();

    QStringList vistoDuranteOCiclo;
    bool limparHabilitado = true;
    int tiquesDuranteOCiclo = 0;
    QTimer relogio;
    QObject::connect(&relogio, &QTimer::timeout, [&] {
        if (!bloqueado)
            return;
        ++tiquesDuranteOCiclo;  // the window's event loop answers
        if (tiquesDuranteOCiclo == 5) {
            vistoDuranteOCiclo = LinhasDoLog(*j);
            limparHabilitado = j->BtnLimpar->isEnabled();
            EXPECT_TRUE(j->LbProximoCiclo->text().startsWith(QString::fromUtf8("Ciclo em andamento há ")))
                << j->LbProximoCiclo->text().toStdString();
            j->close();  // waits for the cycle, and says so where it is seen
            EXPECT_TRUE(j->isVisible());
            EXPECT_TRUE(j->LbAviso->isVisible());
            EXPECT_EQ(j->LbAviso->text(), AvisoFechaAposCiclo(j->Monitora(), 8));
            outra.RollbackRetaining();  // releases the lock
        }
    });
    relogio.start(20);

    QElapsedTimer tempo;
    tempo.start();
    j->Timer1Timer();
    relogio.stop();
    QApplication::processEvents();  // the deferred close

    EXPECT_GE(tiquesDuranteOCiclo, 5);
    EXPECT_EQ(vistoDuranteOCiclo, QStringList({"antes da trava"}));
    EXPECT_FALSE(limparHabilitado);
    EXPECT_EQ(LinhasDoLog(*j), QStringList({"antes da trava", "depois da trava"}));
    EXPECT_FALSE(j->isVisible());
    EXPECT_FALSE(j->Monitora().KoDatabase1().Connected());
    EXPECT_FALSE(j->Monitora().TimerAtivo());
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1"}));
    EXPECT_TRUE(caixas.Erros.isEmpty()) << caixas.Erros.join('\n').toStdString();
}

// The queue grid in view is read again after "Limpar fila" and after each
// cycle, as the rows it lists leave the queue; the bar names the work that
// really runs, or says nothing does.
TEST_F(Janela, GradeDaFilaRelidaAposLimparEAposCadaCiclo)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0", "0", "0"});
    tipos[1].primeira = [](TContextoIntegracao& c) {
        TKoQuery envia;
        envia.SetDatabase(&c.KoDatabase1);
        envia.SQL.Add("UPDATE QX_INTEGRA SET STATUS = 1 WHERE ORDEM = 1");
        envia.ExecSQL();
        c.KoDatabase1.CommitRetaining();
    };
    tipos[1].limpaFila = [](TContextoIntegracao& c) {
        TKoQuery limpa;
        limpa.SetDatabase(&c.KoDatabase1);
        limpa.SQL.Add("UPDATE QX_INTEGRA SET STATUS = 3 WHERE STATUS = 0");
        limpa.ExecSQL();
        c.KoDatabase1.CommitRetaining();
    };
    auto j = Cria(SecaoBanco1(erp) + "[ModeloAtivo]\nModelo=1\n");
    j->PageControl1->setCurrentWidget(j->TabSheet2);
    ASSERT_TRUE(EsperaLeituraFila(j->Monitora()));
    ASSERT_EQ(j->DBGrid1->model()->rowCount(), 3);

    j->Timer1Timer();
    ASSERT_TRUE(EsperaLeituraFila(j->Monitora()));
    EXPECT_EQ(j->DBGrid1->model()->rowCount(), 2);

    j->BtnLimpar->click();
    ASSERT_TRUE(EsperaLeituraFila(j->Monitora()));
    EXPECT_EQ(j->DBGrid1->model()->rowCount(), 0);
    EXPECT_EQ(LeStatusFila(erp), QStringList({"1", "3", "3"}));
}

// What the bar says while each kind of work runs: the question of "Limpar
// fila" is not a cycle, and neither is the check.
TEST_F(Janela, BarraNomeiaOTrabalhoEmCurso)
{
    QStringList vistos;
    std::function<void()> anota;
    tipos[1].pergunta = [&anota](TRelator&) {
        anota();  // while the question is open
        return false;
    };
    auto j = Cria(SecaoBanco1(CriaErp()) + "[ModeloAtivo]\nModelo=1\n");
    TFmMonitora* janela = j.get();
    anota = [&vistos, janela] { vistos << janela->LbProximoCiclo->text().section(QString::fromUtf8(" há "), 0, 0); };
    j->BtnLimpar->click();
    // Each change of the work in progress, as the window shows it.
    const std::function<void()> mostra = j->Monitora().EstadoMudou;
    j->Monitora().EstadoMudou = [&mostra, &anota] {
        mostra();
        anota();
    };
    j->BtnVerificar->click();
    j->Monitora().EstadoMudou = mostra;
    j->CbMonitoraClick(false);
    anota();
    EXPECT_EQ(vistos.front(), QString::fromUtf8("Limpar fila: esperando a resposta"));
    EXPECT_TRUE(vistos.contains(QString::fromUtf8("Verificando a configuração"))) << vistos.join('|').toStdString();
    EXPECT_FALSE(vistos.contains(QString::fromUtf8("Ciclo em andamento"))) << vistos.join('|').toStdString();
    EXPECT_EQ(vistos.back(), "pausado, nada em andamento");
}

TEST_F(Janela, OLogGuardaTodasAsLinhas)
{
    auto j = Cria("");
    j->Memo1->clear();  // start-up's line about the ERP not configured
    QStringList esperadas;
    for (int i = 0; i < 3000; ++i) {
        esperadas << QStringLiteral("linha %1").arg(i);
        j->AdicionaLinha(esperadas.back());
    }
    EXPECT_EQ(LinhasDoLog(*j), esperadas);
}

TEST_F(Janela, LimparFilaPerguntaNaCaixaDaJanela)
{
    tipos[1].pergunta = [](TRelator& r) {
        r.AdicionaLinha(r.Pergunta("Limpar?", "Ko Monitor de Tinturarias") ? "sim" : "não");
        return false;
    };
    auto j = Cria(SecaoBanco1(CriaErp()) + "[ModeloAtivo]\nModelo=1\n");
    caixas.resposta = true;
    j->BtnLimpar->click();
    EXPECT_EQ(caixas.Titulos, QStringList({"Ko Monitor de Tinturarias"}));
    EXPECT_EQ(LinhasDoLog(*j).last(), "sim");
}

TEST_F(Janela, MenuMinimizaERestauraEFecharFechaAsConexoes)
{
    const QString erp = CriaErp();
    auto j = Cria(SecaoBanco1(erp));
    j->show();
    j->Minimizar1->trigger();
    EXPECT_TRUE(j->isMinimized() || j->isHidden());
    j->Restaurar1->trigger();
    EXPECT_TRUE(j->isVisible());
    EXPECT_FALSE(j->isMinimized());

    ASSERT_TRUE(j->Monitora().KoDatabase1().Connected());
    j->close();
    EXPECT_FALSE(j->Monitora().KoDatabase1().Connected());
    EXPECT_FALSE(j->Monitora().TimerAtivo());
}

// "Verificar configuração" runs the checks of quelix --verifica on the
// cycle's thread and writes their lines in the log pane.
TEST_F(Janela, VerificarConfiguracaoMostraAsLinhasNoLog)
{
    auto j = Cria(SecaoBanco1(CriaErp()) + "[ModeloAtivo]\nModelo=0\n");
    j->DefineCatalogoComandos({{"Bruma", "ERP", "SELECT NUMERO FROM FAL_001"},
                               {"Bruma", "ERP", "SELECT SEM_COLUNA FROM FAL_001"},
                               {"EAS", "ERP", "SELECT NADA FROM NADA"}});
    j->Memo1->clear();
    EXPECT_EQ(j->BtnVerificar->text(), "Verificar configuração");
    j->BtnVerificar->click();
    const QStringList linhas = LinhasDoLog(*j);
    EXPECT_EQ(linhas.front(), "Verificar configuração:");
    EXPECT_TRUE(linhas.contains("ok: conexão KoDatabase1 aberta")) << linhas.join('\n').toStdString();
    const QStringList falhas = linhas.filter(QRegularExpression("^FALHA"));
    ASSERT_EQ(falhas.size(), 1) << linhas.join('\n').toStdString();
    EXPECT_TRUE(falhas[0].startsWith("FALHA: comando em KoDatabase1: ")) << falhas[0].toStdString();
    EXPECT_TRUE(falhas[0].contains("SEM_COLUNA")) << falhas[0].toStdString();
    EXPECT_EQ(linhas.back(), "Verificação concluída: veja as linhas FALHA acima.");
    EXPECT_TRUE(j->BtnVerificar->isEnabled());
}

} // namespace

// The status bar tells how the last cycle went, when the next one comes
// and each connection's state; the history tab shows the cycle's records,
// newest first, and filters them.
TEST_F(Janela, BarraDeEstadoEHistoricoDoCiclo)
{
    bool erroLongo = false;
    tipos[0].primeira = [&erroLongo](TContextoIntegracao& c) {
        if (erroLongo)
            throw Exception(QStringLiteral("Servidor caiu. ").repeated(30));
        c.Relator.AdicionaLinha("FAL 10 falhou");
        ++c.FalhasNoCiclo;
        c.Relator.RegistraRegistro({TDirecaoRegistro::Saida, "lote", "10", TDesfechoRegistro::Falhou, "sem programa"});
        c.Relator.AdicionaLinha("FAL 11 enviada");
        c.Relator.RegistraRegistro({TDirecaoRegistro::Saida, "lote", "11", TDesfechoRegistro::Enviado, {}});
        // A failure reported without its reason keeps the line it wrote as one.
        c.Relator.AdicionaLinha("FAL 12 recusada pela fila");
        ++c.FalhasNoCiclo;
        c.Relator.RegistraRegistro({TDirecaoRegistro::Saida, "lote", "12", TDesfechoRegistro::Falhou, {}});
    };
    auto j = Cria("[ModeloAtivo]\nModelo=0\n");
    EXPECT_EQ(j->LbUltimoCiclo->text(), "Nenhum ciclo ainda.");
    const int larguraMinima = j->minimumSizeHint().width();
    j->Timer1Timer();
    EXPECT_TRUE(QRegularExpression(QString::fromUtf8("^Último ciclo: \\d\\d:\\d\\d:\\d\\d: 1 enviados, 2 falhas$"))
                    .match(j->LbUltimoCiclo->text()).hasMatch())
        << j->LbUltimoCiclo->text().toStdString();
    EXPECT_EQ(j->LbProximoCiclo->text(), QString::fromUtf8("Próximo ciclo em 59 s"));
    // The connection as a person knows it; the component in the tip.
    EXPECT_TRUE(j->LbConexoes->text().startsWith("ERP: inativa desde ")) << j->LbConexoes->text().toStdString();
    EXPECT_TRUE(j->LbConexoes->toolTip().startsWith("ERP (KoDatabase1): inativa desde "))
        << j->LbConexoes->toolTip().toStdString();
    // At the window's own size every text of the bar is whole.
    j->show();
    j->resize(592, j->height());
    QApplication::processEvents();
    for (const QLabel* rotulo : {j->LbUltimoCiclo, j->LbProximoCiclo, j->LbConexoes})
        EXPECT_LE(rotulo->fontMetrics().horizontalAdvance(rotulo->text()), rotulo->contentsRect().width())
            << rotulo->objectName().toStdString() << ": " << rotulo->text().toStdString();
    j->CbMonitoraClick(false);
    EXPECT_EQ(j->LbProximoCiclo->text(), "pausado, nada em andamento");

    j->PageControl1->setCurrentWidget(j->TabSheet3);
    ASSERT_TRUE(EsperaHistorico(*j->TabSheet3));
    QAbstractItemModel& historico = *j->TabSheet3->DBGrid2->model();
    ASSERT_EQ(historico.rowCount(), 3) << j->TabSheet3->LbErro->text().toStdString();
    EXPECT_EQ(historico.index(1, 4).data().toString(), "11");
    EXPECT_EQ(historico.index(1, 6).data().toString(), "FAL 11 enviada");
    EXPECT_EQ(historico.index(2, 5).data().toString(), "falhou");
    // Today's records show their time; the direction has words of its own.
    EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(historico.index(0, 0).data().toString()).hasMatch())
        << historico.index(0, 0).data().toString().toStdString();
    EXPECT_EQ(historico.index(0, 2).data().toString(), QString::fromUtf8("saída"));
    EXPECT_EQ(historico.index(0, 6).data(Qt::ToolTipRole).toString(), "FAL 12 recusada pela fila\nFAL 12 recusada pela fila");
    j->TabSheet3->CbDesfecho->setCurrentIndex(j->TabSheet3->CbDesfecho->findData("falhou"));
    ASSERT_TRUE(EsperaHistorico(*j->TabSheet3));
    ASSERT_EQ(historico.rowCount(), 2);
    EXPECT_EQ(historico.index(1, 4).data().toString(), "10");
    j->TabSheet3->EdChave->setText("99");
    ASSERT_TRUE(EsperaHistorico(*j->TabSheet3));
    EXPECT_EQ(historico.rowCount(), 0);
    // The key field has room for a key at the window's size.
    EXPECT_GE(j->TabSheet3->EdChave->width(), j->TabSheet3->EdChave->fontMetrics().horizontalAdvance("0000000000"));

    // A long error is cut at the window's edge (whole in its tip); the
    // status texts never widen the window.
    erroLongo = true;
    j->Timer1Timer();
    EXPECT_TRUE(j->LbUltimoCiclo->toolTip().contains(QStringLiteral("Servidor caiu. ").repeated(30).trimmed()))
        << j->LbUltimoCiclo->toolTip().toStdString();
    EXPECT_EQ(j->minimumSizeHint().width(), larguraMinima);
}

// The history tab reads on a thread of its own: with the journal held by
// another process's exclusive lock, asking for a page returns at once and
// the window goes on answering; the page comes when the lock is let go.
TEST_F(Janela, HistoricoLeForaDaThreadDaJanela)
{
    tipos[0].primeira = [](TContextoIntegracao& c) {
        c.Relator.AdicionaLinha("FAL 20 enviada");
        c.Relator.RegistraRegistro({TDirecaoRegistro::Entrada, "80", "20", TDesfechoRegistro::Enviado, {}});
    };
    auto j = Cria("[ModeloAtivo]\nModelo=0\n");
    j->Timer1Timer();
    const QString arquivo = j->Monitora().ArquivoDiario();
    j.reset();  // the monitor's own connections to the journal go
    TAbaHistorico aba(arquivo);
    aba.show();

    QSqlDatabase trava = QSqlDatabase::addDatabase("QSQLITE", "trava_do_diario");
    trava.setDatabaseName(arquivo);
    ASSERT_TRUE(trava.open());
    ASSERT_TRUE(QSqlQuery(trava).exec("PRAGMA locking_mode=EXCLUSIVE"));
    ASSERT_TRUE(QSqlQuery(trava).exec("BEGIN EXCLUSIVE"));

    aba.Atualiza();  // asks for the first page
    EXPECT_TRUE(aba.Modelo().Lendo());
    int tiques = 0;
    QTimer relogio;
    QObject::connect(&relogio, &QTimer::timeout, [&tiques] { ++tiques; });
    relogio.start(10);
    QTest::qWaitFor([&tiques] { return tiques >= 5; }, 5000);
    const bool lendoComATrava = aba.Modelo().Lendo();
    QSqlQuery(trava).exec("ROLLBACK");
    trava.close();
    trava = QSqlDatabase();
    QSqlDatabase::removeDatabase("trava_do_diario");

    EXPECT_GE(tiques, 5);
    EXPECT_TRUE(lendoComATrava);
    ASSERT_TRUE(EsperaHistorico(aba));
    ASSERT_EQ(aba.Modelo().rowCount(), 1) << aba.LbErro->text().toStdString();
    EXPECT_EQ(aba.Modelo().index(0, 2).data().toString(), "entrada");
}

// What a record sent shows, as it was kept, in the pane under the grid when
// its row is the current one; a record that sent nothing leaves it empty,
// and so does a new reading.
TEST_F(Janela, HistoricoMostraOConteudoDoRegistroSelecionado)
{
    const QString conteudo = QString::fromUtf8("NUMEROOB='4711    '\nCLIENTE='Malharia D''Ávila'\nPESO=220.75");
    tipos[0].primeira = [conteudo](TContextoIntegracao& c) {
        c.Relator.AdicionaLinha("FAL 4711 enviada");
        c.Relator.RegistraRegistro({TDirecaoRegistro::Saida, "lote", "4711", TDesfechoRegistro::Enviado, {}, conteudo});
        c.Relator.AdicionaLinha("FAL 4712 ignorada");
        c.Relator.RegistraRegistro({TDirecaoRegistro::Saida, "lote", "4712", TDesfechoRegistro::Ignorado, {}});
    };
    auto j = Cria("[ModeloAtivo]\nModelo=0\n");
    j->Timer1Timer();
    j->show();
    j->PageControl1->setCurrentWidget(j->TabSheet3);
    TAbaHistorico& aba = *j->TabSheet3;
    ASSERT_TRUE(EsperaHistorico(aba));
    ASSERT_EQ(aba.DBGrid2->model()->rowCount(), 2) << aba.LbErro->text().toStdString();
    QApplication::processEvents();
    EXPECT_TRUE(aba.MmConteudo->isVisible());
    EXPECT_TRUE(aba.MmConteudo->isReadOnly());
    EXPECT_GT(aba.MmConteudo->mapTo(&aba, QPoint()).y(),
              aba.DBGrid2->mapTo(&aba, QPoint()).y() + aba.DBGrid2->height() - 1);
    EXPECT_EQ(aba.MmConteudo->toPlainText(), "");

    aba.DBGrid2->selectRow(1);  // newest first: 4711 is the second
    EXPECT_EQ(aba.MmConteudo->toPlainText(), conteudo);
    aba.DBGrid2->selectRow(0);
    EXPECT_EQ(aba.MmConteudo->toPlainText(), "");
    aba.DBGrid2->selectRow(1);
    aba.EdChave->setText("4711");
    ASSERT_TRUE(EsperaHistorico(aba));
    EXPECT_EQ(aba.DBGrid2->model()->rowCount(), 1);
    EXPECT_EQ(aba.MmConteudo->toPlainText(), "");
}

// Picking a machine type start-up did not connect says why nothing
// happens, and "Limpar fila" keeps its place when it hides, so the
// controls beside it do not move.
TEST_F(Janela, TipoNaoConectadoEhDitoEOsControlesNaoPulam)
{
    auto j = Cria("[ModeloAtivo]\nModelo=0\n");
    j->show();
    QApplication::processEvents();
    EXPECT_TRUE(j->BtnLimpar->isHidden());
    const int xMonitorando = j->CbMonitora->geometry().x();

    j->RgTipoClick(1);
    QApplication::processEvents();
    EXPECT_FALSE(j->BtnLimpar->isHidden());
    EXPECT_EQ(j->CbMonitora->geometry().x(), xMonitorando);
    // The notice has a line of its own, seen for as long as it holds.
    EXPECT_TRUE(j->LbAviso->isVisible());
    EXPECT_TRUE(j->LbAviso->text().startsWith(QString::fromUtf8("Vapora não foi conectado no início")))
        << j->LbAviso->text().toStdString();
    EXPECT_TRUE(j->LbAviso->text().contains("Modelo")) << j->LbAviso->text().toStdString();
    j->Timer1Timer();
    EXPECT_TRUE(j->LbAviso->isVisible());

    j->RgTipoClick(0);
    EXPECT_FALSE(j->LbAviso->isVisible());
}

// The toolkit's own texts (the questions' buttons, the log pane's menu) in
// Portuguese, as the window's.
TEST_F(Janela, TextosDoQtEmPortugues)
{
    ASSERT_TRUE(CarregaTraducoesQt(*qApp)) << "install the package qt6-translations-l10n";
    QMessageBox pergunta(QMessageBox::Question, "Quelix", "?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(pergunta.button(QMessageBox::Yes)->text(), "&Sim");
    EXPECT_EQ(pergunta.button(QMessageBox::No)->text(), QString::fromUtf8("&Não"));
    auto j = Cria(QString());
    const std::unique_ptr<QMenu> menu(j->Memo1->createStandardContextMenu());
    QStringList acoes;
    for (const QAction* acao : menu->actions())
        acoes << acao->text();
    EXPECT_TRUE(acoes.join('|').contains("&Copiar")) << acoes.join('|').toStdString();
}
