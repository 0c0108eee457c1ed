#include "janela/FmMonitora.h"

#include "dblayer/GravaLinhaLog.h"
#include "janela/BarraEstado.h"
#include "monitor/Encerramento.h"
#include "janela/AbaHistorico.h"
#include "base/UsuarioSistema.h"
#include "janela/ModeloHistorico.h"
#include "janela/CaixasMensagem.h"
#include "janela/PainelLog.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGridLayout>
#include <QPointer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QMenu>
#include <QMutex>
#include <QWindow>
#include <QMutexLocker>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// The name of the application's last active window for the daily log
// lines, which are also written on the cycle's thread: a copy kept here as
// the focus moves. When the focus leaves the application the name stays (an
// unattended monitor seldom has the desktop's focus).
QMutex gTravaNome;
QString gNomeJanelaAtiva;

void GuardaNomeDaJanela(const QString& nome)
{
    const QMutexLocker trava(&gTravaNome);
    gNomeJanelaAtiva = nome;
}

void GuardaNomeDaJanelaAtiva()
{
    if (const QWidget* ativa = QApplication::activeWindow())
        GuardaNomeDaJanela(ativa->objectName());
}

QString NomeDaJanelaAtiva()
{
    const QMutexLocker trava(&gTravaNome);
    return gNomeJanelaAtiva;
}

} // namespace

TFmMonitora::TFmMonitora(const TFabricaMonitora& fabrica, TRelator* caixas, QWidget* pai)
    : QWidget(pai)
{
    setObjectName(QStringLiteral("FmMonitora"));
    if (!caixas) {
        FCaixasPadrao = std::make_unique<TCaixasMensagem>(this);
        caixas = FCaixasPadrao.get();
    }
    FCaixas = caixas;
    GuardaNomeDaJanela(objectName());
    DefineNomeJanelaAtiva(&NomeDaJanelaAtiva);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [] { GuardaNomeDaJanelaAtiva(); });

    PrazoFecharMs = PrazoEncerramentoSegundos * 1000;
    FechaSemEsperar = [](const QString& linha) { EncerraSemEsperar(linha, 0); };
    FMonitora = fabrica(*this);
    CriaControles();
    CriaMenu();
    CriaMenuGrades();
    CentraNaTela();

    FMonitora->EstadoMudou = [this] { MostraEstado(); };
    MostraEstado();
    FMonitora->Inicia();
}

TFmMonitora::~TFmMonitora()
{
    if (!FbFechado && FMonitora) {
        FbFechado = true;
        FMonitora->Encerra();
    }
    if (FMonitora)
        FMonitora->EstadoMudou = nullptr;
    DefineNomeJanelaAtiva(nullptr);
}

void TFmMonitora::CriaControles()
{
    setWindowTitle(QStringLiteral("Ko Monitor de Tinturarias"));
    QFont fonte(QStringLiteral("MS Sans Serif"));
    fonte.setStyleHint(QFont::SansSerif);
    fonte.setPointSize(8);
    setFont(fonte);
    resize(509, 408);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(67);

    CriaSeletor();

    CbMonitora = new QCheckBox(QStringLiteral("Monitorando"), Panel1);
    CbMonitora->setObjectName(QStringLiteral("CbMonitora"));
    CbMonitora->setChecked(true);
    connect(CbMonitora, &QCheckBox::clicked, this, &TFmMonitora::CbMonitoraClick);

    BtnLimpar = new QPushButton(style()->standardIcon(QStyle::SP_TrashIcon),
                                QStringLiteral("Limpar fila"), Panel1);
    BtnLimpar->setObjectName(QStringLiteral("BtnLimpar"));
    // Its place stays when it hides, so the controls beside it do not move.
    QSizePolicy politica = BtnLimpar->sizePolicy();
    politica.setRetainSizeWhenHidden(true);
    BtnLimpar->setSizePolicy(politica);
    connect(BtnLimpar, &QPushButton::clicked, this, &TFmMonitora::BtnLimparClick);

    // The checks of quelix --verifica, run on the cycle's thread, one line
    // each in the log pane.
    BtnVerificar = new QPushButton(QStringLiteral("Verificar configuração"), Panel1);
    BtnVerificar->setObjectName(QStringLiteral("BtnVerificar"));
    connect(BtnVerificar, &QPushButton::clicked, this, &TFmMonitora::BtnVerificarClick);

    auto* faixa = new QHBoxLayout(Panel1);
    faixa->setContentsMargins(4, 0, 4, 0);
    faixa->addWidget(RgTipo, 1);
    faixa->addWidget(CbMonitora);
    faixa->addWidget(BtnLimpar);
    faixa->addWidget(BtnVerificar);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    Memo1 = CriaPainelLog(TabSheet1);
    (new QVBoxLayout(TabSheet1))->addWidget(Memo1);
    TabSheet1->layout()->setContentsMargins(0, 0, 0, 0);
    PageControl1->addTab(TabSheet1, QStringLiteral("Log's"));

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    DBGrid1 = new QTableView(TabSheet2);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
    DBGrid1->setModel(&FMonitora->ModeloFila());  // the rows come from the queue's thread
    (new QVBoxLayout(TabSheet2))->addWidget(DBGrid1);
    TabSheet2->layout()->setContentsMargins(0, 0, 0, 0);
    PageControl1->addTab(TabSheet2, QStringLiteral("Tabela"));
    TabSheet3 = new TAbaHistorico(FMonitora->ArquivoDiario());
    PageControl1->addTab(TabSheet3, QStringLiteral("Histórico"));
    PageControl1->setCurrentIndex(0);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TFmMonitora::PageControl1Change);

    auto* janela = new QVBoxLayout(this);
    janela->setContentsMargins(0, 0, 0, 0);
    janela->setSpacing(0);
    janela->addWidget(Panel1);
    janela->addWidget(PageControl1, 1);
    CriaBarraEstado();
    janela->addWidget(StatusBar1);
}

void TFmMonitora::CriaBarraEstado()
{
    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setSizeGripEnabled(false);
    auto* painel = new QWidget(StatusBar1);
    LbUltimoCiclo = new QLabel(painel);
    LbUltimoCiclo->setObjectName(QStringLiteral("LbUltimoCiclo"));
    LbProximoCiclo = new QLabel(painel);
    LbProximoCiclo->setObjectName(QStringLiteral("LbProximoCiclo"));
    LbProximoCiclo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LbConexoes = new QLabel(painel);
    LbConexoes->setObjectName(QStringLiteral("LbConexoes"));
    LbSaude = new QLabel(painel);
    LbSaude->setObjectName(QStringLiteral("LbSaude"));
    LbSaude->hide();
    LbAviso = new QLabel(painel);
    LbAviso->setObjectName(QStringLiteral("LbAviso"));
    LbAviso->setWordWrap(true);
    LbAviso->setStyleSheet(QStringLiteral("QLabel { background: #fff4c2; color: #000; padding: 2px; }"));
    LbAviso->hide();
    // Long texts (an error, many connections) are cut at the window's edge,
    // whole in their tips, instead of widening the window.
    for (QLabel* rotulo : {LbUltimoCiclo, LbConexoes, LbSaude})
        rotulo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* grade = new QGridLayout(painel);
    grade->setContentsMargins(2, 0, 2, 0);
    grade->setVerticalSpacing(0);
    grade->addWidget(LbUltimoCiclo, 0, 0);
    grade->addWidget(LbProximoCiclo, 0, 1);
    grade->addWidget(LbConexoes, 1, 0, 1, 2);
    grade->addWidget(LbSaude, 2, 0, 1, 2);
    grade->addWidget(LbAviso, 3, 0, 1, 2);
    grade->setColumnStretch(0, 1);
    StatusBar1->addPermanentWidget(painel, 1);
    FRelogioBarra = new QTimer(this);
    FRelogioBarra->setInterval(1000);
    connect(FRelogioBarra, &QTimer::timeout, this, &TFmMonitora::MostraBarraEstado);
    FRelogioBarra->start();
    FPrazoFechar = new QTimer(this);
    FPrazoFechar->setSingleShot(true);
    connect(FPrazoFechar, &QTimer::timeout, this, &TFmMonitora::PrazoDeFecharEsgotado);
}

void TFmMonitora::MostraBarraEstado()
{
    LbUltimoCiclo->setText(TextoUltimoCiclo(*FMonitora));
    LbUltimoCiclo->setToolTip(LbUltimoCiclo->text());
    LbProximoCiclo->setText(TextoProximoCiclo(*FMonitora));
    LbConexoes->setText(TextoConexoes(*FMonitora));
    LbConexoes->setToolTip(DicaConexoes(*FMonitora));
    LbSaude->setText(TextoSaude(*FMonitora));
    LbSaude->setToolTip(LbSaude->text());
    LbSaude->setVisible(!LbSaude->text().isEmpty());
    MostraAviso();
}

// The notice that holds now: a close that waits for the work in progress,
// else the machine type picked that start-up did not connect; none hides
// the line.
void TFmMonitora::MostraAviso()
{
    const QString aviso = FbFecharAposCiclo ? AvisoFechaAposCiclo(*FMonitora, (PrazoFecharMs + 999) / 1000)
                                            : AvisoTipoNaoConectado(*FMonitora);
    if (LbAviso->text() != aviso)
        LbAviso->setText(aviso);
    LbAviso->setVisible(!aviso.isEmpty());
}

// The type selector: one item per integration the core was given, in the
// order of their indexes, in columns.
void TFmMonitora::CriaSeletor()
{
    RgTipo = new QGroupBox(QStringLiteral("Tipo de Máquina"), Panel1);
    RgTipo->setObjectName(QStringLiteral("RgTipo"));
    RgTipoItens = new QButtonGroup(RgTipo);
    auto* colunas = new QHBoxLayout(RgTipo);
    for (const TMonitora::TItemSeletor& item : FMonitora->ItensSeletor()) {
        auto* botao = new QRadioButton(item.Legenda, RgTipo);
        RgTipoItens->addButton(botao, item.Indice);
        colunas->addWidget(botao);
    }
    if (QAbstractButton* selecionado = RgTipoItens->button(FMonitora->IndiceTipo()))
        selecionado->setChecked(true);
    // As a radio group: only a change of the selected item is a click.
    connect(RgTipoItens, &QButtonGroup::idClicked, this, [this](int indice) {
        if (indice != FMonitora->IndiceTipo())
            RgTipoClick(indice);
    });
}

// A popup, not a modal menu: the window's events go on while it is open.
void TFmMonitora::CriaMenuGrades()
{
    MenuGrade = new QMenu(this);
    MenuGrade->setObjectName(QStringLiteral("MenuGrade"));
    Reenviar1 = MenuGrade->addAction(QStringLiteral("Reenviar"));
    Reenviar1->setObjectName(QStringLiteral("Reenviar1"));
    connect(Reenviar1, &QAction::triggered, this, [this] { ReenviarClick(FGradeDoMenu); });
    for (QTableView* grade : {DBGrid1, TabSheet3->DBGrid2}) {
        grade->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(grade, &QWidget::customContextMenuRequested, this, [this, grade](const QPoint& ponto) {
            const QModelIndex indice = grade->indexAt(ponto);
            if (!indice.isValid())
                return;
            grade->setCurrentIndex(indice);
            FGradeDoMenu = grade;
            Reenviar1->setEnabled(!ChaveDaLinha(grade).isEmpty());
            MenuGrade->popup(grade->viewport()->mapToGlobal(ponto));
        });
    }
}

// The key of the current row, when it names a row of the selected
// integration's queue; empty otherwise (a record of another integration, a
// monitor without a queue).
QString TFmMonitora::ChaveDaLinha(QTableView* grade) const
{
    const int linha = grade ? grade->currentIndex().row() : -1;
    const TIntegracao* integracao = FMonitora->Integracao(FMonitora->IndiceTipo());
    const TVisaoFila* visao = integracao ? integracao->VisaoFila() : nullptr;
    if (linha < 0 || !visao || visao->Chave.isEmpty())
        return {};
    QString chave;
    if (grade == DBGrid1) {
        const TModeloFila& modelo = FMonitora->ModeloFila();
        for (int coluna = 0; coluna < modelo.columnCount(); ++coluna)
            if (modelo.headerData(coluna, Qt::Horizontal).toString().compare(visao->Chave, Qt::CaseInsensitive) == 0)
                chave = modelo.index(linha, coluna).data().toString();
    } else if (grade == TabSheet3->DBGrid2) {
        const TLinhaHistorico* registro = TabSheet3->Modelo().Registro(linha);
        if (registro && registro->Integracao == integracao->Legenda())
            chave = registro->Chave;
    }
    bool numero = false;
    chave.toLongLong(&numero);
    return numero ? chave : QString();
}

void TFmMonitora::ReenviarClick(QTableView* grade)
{
    const QString chave = ChaveDaLinha(grade);
    if (chave.isEmpty())
        return;
    if (!Pergunta(QStringLiteral("Reenviar a tarefa ORDEM %1? Ela volta para a fila e o próximo ciclo a envia.").arg(chave),
                  QStringLiteral("Reenviar")))
        return;
    QPointer<TFmMonitora> janela(this);
    FMonitora->PedeReenvio(chave.toLongLong(), {UsuarioDoSistema(), QStringLiteral("janela")},
                           [janela](const TResultadoReenvio& resultado) {
                               if (!janela)
                                   return;
                               if (!resultado.Feito)
                                   janela->MostraMensagem(resultado.Texto);
                               janela->FMonitora->AtualizaTabela();
                               janela->TabSheet3->Atualiza();
                           });
}

void TFmMonitora::CriaMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Restaurar1 = PopupMenu1->addAction(QStringLiteral("Restaurar"));
    Minimizar1 = PopupMenu1->addAction(QStringLiteral("Minimizar"));
    connect(Restaurar1, &QAction::triggered, this, &TFmMonitora::Restaurar1Click);
    connect(Minimizar1, &QAction::triggered, this, &TFmMonitora::Minimizar1Click);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& ponto) { PopupMenu1->popup(mapToGlobal(ponto)); });
}

void TFmMonitora::CentraNaTela()
{
    if (const QScreen* tela = screen()) {
        QRect area = frameGeometry();
        area.moveCenter(tela->availableGeometry().center());
        move(area.topLeft());
    }
}

// Shows the core's state in the controls without raising their handlers.
void TFmMonitora::MostraEstado()
{
    const TMonitora& monitora = *FMonitora;
    if (QAbstractButton* item = RgTipoItens->button(monitora.IndiceTipo()); item && !item->isChecked())
        item->setChecked(true);
    CbMonitora->setChecked(monitora.Monitorando());
    BtnLimpar->setVisible(monitora.LimparVisivel());
    BtnLimpar->setEnabled(!monitora.Ocupado());
    BtnVerificar->setEnabled(!monitora.Ocupado());
    // A close asked for during a cycle happens once the cycle has ended.
    if (FbFecharAposCiclo && !monitora.Ocupado()) {
        FbFecharAposCiclo = false;
        FPrazoFechar->stop();
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    MostraBarraEstado();
}

void TFmMonitora::AdicionaLinha(const QString& linha)
{
    Memo1->appendPlainText(linha);
}

void TFmMonitora::MostraMensagem(const QString& texto) { FCaixas->MostraMensagem(texto); }

bool TFmMonitora::Pergunta(const QString& texto, const QString& titulo)
{
    return FCaixas->Pergunta(texto, titulo);
}

void TFmMonitora::MostraErro(const QString& texto) { FCaixas->MostraErro(texto); }

void TFmMonitora::IndicaOcupado(bool ocupado)
{
    if (ocupado)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TFmMonitora::Timer1Timer() { FMonitora->ExecutaCiclo(); }

void TFmMonitora::RgTipoClick(int indice)
{
    FMonitora->SelecionaTipo(indice);
    MostraAviso();
}

void TFmMonitora::CbMonitoraClick(bool marcado) { FMonitora->DefineMonitorando(marcado); }

void TFmMonitora::BtnLimparClick() { FMonitora->LimpaFila(); }

void TFmMonitora::PageControl1Change(int aba)
{
    FMonitora->DefineTabelaVisivel(PageControl1->widget(aba) == TabSheet2);
    FMonitora->AtualizaTabela();
    if (PageControl1->widget(aba) == TabSheet3)
        TabSheet3->Atualiza();
}

void TFmMonitora::BtnVerificarClick()
{
    if (FMonitora->Ocupado())
        return;
    PageControl1->setCurrentWidget(TabSheet1);
    AdicionaLinha(QStringLiteral("Verificar configuração:"));
    const bool passou = FMonitora->VerificaConfiguracao(FCatalogo);
    AdicionaLinha(passou ? QStringLiteral("Verificação concluída: tudo ok.")
                         : QStringLiteral("Verificação concluída: veja as linhas FALHA acima."));
}

// The work did not end within the grace (a server that stopped answering
// holds its call): the window closes anyway, as SIGTERM's shut-down does.
void TFmMonitora::PrazoDeFecharEsgotado()
{
    if (!FbFecharAposCiclo || !FMonitora->Ocupado())
        return;
    const QString linha = LinhaFechaSemEsperar(*FMonitora, (PrazoFecharMs + 999) / 1000);
    AdicionaLinha(linha);
    hide();
    if (FechaSemEsperar)
        FechaSemEsperar(linha);
}

void TFmMonitora::Restaurar1Click()
{
    showNormal();
    raise();
    activateWindow();
    if (FIconeBandeja)
        FIconeBandeja->hide();
}

// Hidden windows come back through the tray icon's menu; without a tray the
// window is minimised instead, so the taskbar brings it back.
void TFmMonitora::Minimizar1Click()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        showMinimized();
        return;
    }
    if (!FIconeBandeja) {
        FIconeBandeja = new QSystemTrayIcon(windowIcon(), this);
        FIconeBandeja->setToolTip(windowTitle());
        FIconeBandeja->setContextMenu(PopupMenu1);
        connect(FIconeBandeja, &QSystemTrayIcon::activated, this, &TFmMonitora::Restaurar1Click);
    }
    FIconeBandeja->show();
    hide();
}

void TFmMonitora::closeEvent(QCloseEvent* evento)
{
    if (FMonitora->Ocupado()) {
        if (!FbFecharAposCiclo) {
            FbFecharAposCiclo = true;
            FPrazoFechar->start(PrazoFecharMs);
        }
        MostraAviso();
        evento->ignore();
        return;
    }
    if (!FbFechado) {
        FbFechado = true;
        FMonitora->Encerra();
    }
    evento->accept();
}
