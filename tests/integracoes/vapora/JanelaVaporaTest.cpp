// The window with the Vapora model of the composition root: "Limpar fila"
// while Timer1 runs at a shortened interval, its question held open longer
// than that interval.
#include "ApoioMonitor.h"
#include "FilaVaporaTeste.h"
#include "app/Integracoes.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "janela/AbaHistorico.h"
#include "janela/FmMonitora.h"
#include "janela/ModeloHistorico.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QAction>
#include <QTableView>
#include <QTimer>

#include <functional>

using namespace ApoioMonitor;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

// The window's message boxes: the question stays open for a while (as a
// user takes time to answer), handling the window's events meanwhile, and
// is then answered.
class TCaixasDemoradas : public TRelatorComTitulos {
public:
    int EsperaMs = 300;
    std::function<void()> DuranteAPergunta;

    bool Pergunta(const QString& texto, const QString& titulo) override
    {
        QEventLoop aberta;
        QTimer::singleShot(EsperaMs, &aberta, &QEventLoop::quit);
        aberta.exec();
        if (DuranteAPergunta)
            DuranteAPergunta();
        return TRelatorComTitulos::Pergunta(texto, titulo);
    }
};

// A pending queue row (values bound), committed; from this process, which
// holds the embedded ERP file open.
void InsereArtigo(const QString& erp, int ordem, const QString& codigo, const QString& nome)
{
    TKoDatabase banco;
    ApoioMonitor::AbreErp(banco, erp);
    TKoQuery comando;
    comando.SetDatabase(&banco);
    comando.SQL.Add(QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, STATUS) "
                                   "VALUES (:ORDEM, 'AR', 'S', :CODIGO, :NOME, 0)"));
    comando.ParamByName(QStringLiteral("ORDEM")).SetAsInteger(ordem);
    comando.ParamByName(QStringLiteral("CODIGO")).SetAsString(codigo);
    comando.ParamByName(QStringLiteral("NOME")).SetAsString(nome);
    comando.ExecSQL();
    banco.CommitRetaining();
    banco.Close();
}

class JanelaVapora : public ComServicoSoap {
protected:
    std::unique_ptr<TFmMonitora> Cria(const QString& ini)
    {
        const QString pasta = PastaComIni(ini);
        return std::make_unique<TFmMonitora>(
            [pasta](TRelator& relator) { return std::make_unique<TMonitora>(relator, Integracoes(), pasta); },
            &caixas);
    }

    TCaixasDemoradas caixas;
};

// The question of "Limpar fila" held open for longer than a shortened
// interval, and a tick of Timer1 while it is open: no cycle runs behind it,
// and the timer keeps its count through it.
// Answered Yes, the selected queue is cleared, a pane line says how many
// rows, polling resumes, the next cycle sends a row added afterwards, and
// the window closes.
TEST_F(JanelaVapora, LimparFilaComTiqueDuranteAPerguntaLimpaEOCicloSegue)
{
    const QString erp = CriaErp();
    InsereFila(erp, {"0", "", "1"});
    auto j = Cria(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");
    TMonitora& m = j->Monitora();
    m.Timer1().setInterval(20);  // as QUELIX_INTERVALO_MS does
    ASSERT_FALSE(j->BtnLimpar->isHidden());
    ASSERT_TRUE(m.TimerAtivo());
    j->show();

    bool timerDuranteAPergunta = false;
    bool limparHabilitadoDurante = true;
    caixas.EsperaMs = 300;  // fifteen intervals
    caixas.DuranteAPergunta = [&] {
        timerDuranteAPergunta = m.TimerAtivo();
        limparHabilitadoDurante = j->BtnLimpar->isEnabled();
        j->Timer1Timer();  // a tick already on its way
    };
    caixas.resposta = true;
    j->BtnLimpar->click();

    EXPECT_EQ(caixas.Perguntas, QStringList({S("Deseja realmente limpar a fila de tarefas pendentes?")}));
    EXPECT_EQ(caixas.Titulos, QStringList({"Ko Monitor de Tinturarias"}));
    EXPECT_TRUE(timerDuranteAPergunta);
    EXPECT_FALSE(limparHabilitadoDurante);
    EXPECT_TRUE(Servico().Chamadas().isEmpty());  // no cycle ran behind the question
    EXPECT_EQ(LeStatusFila(erp), QStringList({"3", "3", "1"}));
    EXPECT_TRUE(j->Memo1->toPlainText().split('\n').contains(
        S("Fila limpa: 2 tarefa(s) pendente(s) marcada(s) como limpas.")))
        << j->Memo1->toPlainText().toStdString();
    EXPECT_TRUE(j->BtnLimpar->isEnabled());
    EXPECT_TRUE(m.TimerAtivo());

    InsereArtigo(erp, 4, QStringLiteral("A2"), QStringLiteral("Linho"));
    const QDeadlineTimer limite(30000);
    while (Servico().Chamadas().isEmpty() && !limite.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    while (m.Ocupado() && !limite.hasExpired())  // the cycle's end
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(Servico().Chamadas().size(), 1);
    EXPECT_EQ(LeStatusFila(erp), QStringList({"3", "3", "1", "1"}));
    EXPECT_TRUE(j->Memo1->toPlainText().split('\n').contains(S("Grava Artigo - A2 - Linho")))
        << j->Memo1->toPlainText().toStdString();

    j->close();
    QApplication::processEvents();  // a close asked for during a cycle comes after it
    EXPECT_FALSE(j->isVisible());
    EXPECT_FALSE(m.KoDatabase1().Connected());
    EXPECT_FALSE(m.TimerAtivo());
    EXPECT_TRUE(caixas.Erros.isEmpty()) << caixas.Erros.join('\n').toStdString();
}

// Handles the window's events until `pronto` holds; false after 30 s.
bool Espera(const std::function<bool()>& pronto)
{
    const QDeadlineTimer limite(30000);
    while (!pronto() && !limite.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return pronto();
}

// "Reenviar" from the context menu of a "Histórico" record of the failed
// row: asked, resent by the system's user at "janela", said in the log.
// From "Tabela", whose rows are pending: asked, answered No, nothing; Yes,
// and the refusal is shown.
TEST_F(JanelaVapora, ReenviarPeloMenuDoHistoricoEDaTabela)
{
    Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("save"), QStringLiteral("falha"), S("cor recusada"));
    const QString erp = CriaErp();
    auto j = Cria(SecaoBanco1(erp) + SecaoVaporaNoServico(Servico()) + "[ModeloAtivo]\nModelo=1\n");
    TMonitora& m = j->Monitora();
    m.DefineMonitorando(false);
    {
        TKoDatabase banco;
        ApoioMonitor::AbreErp(banco, erp);
        TKoQuery comando;
        comando.SetDatabase(&banco);
        comando.SQL.Add(QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, CAMPO3, STATUS) "
                                       "VALUES (1, 'CO', 'S', 'AZ', 'Azul', '255', 0)"));
        comando.ExecSQL();
        banco.CommitRetaining();
    }
    j->show();
    caixas.EsperaMs = 0;
    EXPECT_TRUE(m.ExecutaCiclo());
    ASSERT_EQ(LeStatusFila(erp), QStringList({"2"}));
    caixas.Mensagens.clear();

    j->PageControl1->setCurrentWidget(j->TabSheet3);
    QTableView* historico = j->TabSheet3->DBGrid2;
    ASSERT_TRUE(Espera([&] { return historico->model()->rowCount() > 0 && !j->TabSheet3->Modelo().Lendo(); }));
    const QModelIndex registro = historico->model()->index(0, 0);
    ASSERT_EQ(j->TabSheet3->Modelo().Registro(0)->Chave, "1");
    historico->scrollTo(registro);
    emit historico->customContextMenuRequested(historico->visualRect(registro).center());
    ASSERT_TRUE(j->Reenviar1->isEnabled());
    caixas.resposta = true;
    j->Reenviar1->trigger();

    EXPECT_EQ(caixas.Perguntas, QStringList({S("Reenviar a tarefa ORDEM 1? Ela volta para a fila e o próximo ciclo a "
                                                "envia.")}));
    const QString feito = S(" (janela): Tarefa ORDEM 1 de volta à fila: STATUS 2 → 0; o próximo ciclo a envia.");
    EXPECT_TRUE(Espera([&] { return j->Memo1->toPlainText().contains(feito); })) << j->Memo1->toPlainText().toStdString();
    EXPECT_EQ(LeStatusFila(erp), QStringList({"0"}));
    EXPECT_TRUE(caixas.Mensagens.isEmpty()) << caixas.Mensagens.join('\n').toStdString();

    j->PageControl1->setCurrentWidget(j->TabSheet2);
    ASSERT_TRUE(Espera([&] { return !m.LendoFila() && m.ModeloFila().rowCount() == 1; }));
    j->DBGrid1->setCurrentIndex(m.ModeloFila().index(0, 0));
    caixas.resposta = false;
    j->ReenviarClick(j->DBGrid1);
    EXPECT_EQ(caixas.Perguntas.size(), 2);
    caixas.resposta = true;
    j->ReenviarClick(j->DBGrid1);
    EXPECT_TRUE(Espera([&] { return !caixas.Mensagens.isEmpty(); }));
    EXPECT_EQ(caixas.Mensagens, QStringList({S("A tarefa ORDEM 1 tem STATUS 0: só tarefas que falharam (STATUS 2) ou "
                                               "foram limpas (STATUS 3) podem ser reenviadas.")}));
    EXPECT_EQ(LeStatusFila(erp), QStringList({"0"}));
    EXPECT_TRUE(caixas.Erros.isEmpty()) << caixas.Erros.join('\n').toStdString();
}

} // namespace

// A window needs a QApplication (the other suites here make a
// QCoreApplication).
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication aplicacao(argc, argv);
    return RUN_ALL_TESTS();
}
