#pragma once

#include "integracao/Relator.h"
#include "monitor/Monitora.h"

#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QStatusBar;
class QTimer;
class TAbaHistorico;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;

// The main window: a thin face over the monitor core. It shows the core's
// state, turns the user's actions into the core's event handlers and is the
// reporting interface of the program: the log pane is its Memo1, the modal
// messages go to `caixas` (message boxes unless a test supplies its own).
// The type selector holds the integrations the core was given. While the
// cycle's thread works, "Limpar fila" waits (disabled) and closing the
// window waits for the cycle to end.
class TFmMonitora : public QWidget, public TRelator {
    Q_OBJECT
public:
    using TFabricaMonitora = std::function<std::unique_ptr<TMonitora>(TRelator&)>;

    // Builds the core through `fabrica`, then runs the start-up (FormCreate).
    explicit TFmMonitora(const TFabricaMonitora& fabrica, TRelator* caixas = nullptr,
                         QWidget* pai = nullptr);
    ~TFmMonitora() override;

    TMonitora& Monitora() { return *FMonitora; }
    // The statements "Verificar configuração" prepares (the executable's
    // catalogue); none by default.
    void DefineCatalogoComandos(const QList<TComandoCatalogo>& catalogo) { FCatalogo = catalogo; }

    // TRelator
    void AdicionaLinha(const QString& linha) override;
    void MostraMensagem(const QString& texto) override;
    bool Pergunta(const QString& texto, const QString& titulo) override;
    void MostraErro(const QString& texto) override;
    void IndicaOcupado(bool ocupado) override;

    // Controls, named as the window has them.
    QWidget* Panel1 = nullptr;
    QGroupBox* RgTipo = nullptr;
    QButtonGroup* RgTipoItens = nullptr;
    QCheckBox* CbMonitora = nullptr;
    QPushButton* BtnLimpar = nullptr;
    QPushButton* BtnVerificar = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QTableView* DBGrid1 = nullptr;
    TAbaHistorico* TabSheet3 = nullptr;  // "Histórico"
    // The status bar, on lines of their own so each fits the window's
    // default width: the last cycle and what runs now; the connections; and
    // the health when it fails; the notice that holds (a close that waits, a type not connected),
    // shown only while it holds.
    QStatusBar* StatusBar1 = nullptr;
    QLabel* LbUltimoCiclo = nullptr;
    QLabel* LbProximoCiclo = nullptr;
    QLabel* LbConexoes = nullptr;
    QLabel* LbSaude = nullptr;  // why the monitor is not healthy; empty while it is
    QLabel* LbAviso = nullptr;

    // A close asked for while work runs waits this long for it (as
    // SIGTERM's shut-down does) and then calls FechaSemEsperar with the
    // line to keep, which by default writes it to standard error and the
    // daily log and ends the process.
    int PrazoFecharMs = 0;
    std::function<void(const QString& linha)> FechaSemEsperar;
    QMenu* PopupMenu1 = nullptr;
    QAction* Restaurar1 = nullptr;
    QAction* Minimizar1 = nullptr;
    // The context menu of the rows of "Tabela" (DBGrid1) and "Histórico"
    // (its DBGrid2): "Reenviar", on the grid it was opened on.
    QMenu* MenuGrade = nullptr;
    QAction* Reenviar1 = nullptr;

public slots:
    void Timer1Timer();
    void RgTipoClick(int indice);
    void CbMonitoraClick(bool marcado);
    void BtnLimparClick();
    void BtnVerificarClick();
    void PageControl1Change(int aba);
    void Restaurar1Click();
    void Minimizar1Click();
    // "Reenviar" of the current row of that grid: the row's key (ORDEM in
    // "Tabela"; in "Histórico", the key of a record of the selected
    // integration), the question, then TMonitora::PedeReenvio by the
    // system's user at "janela". The log says a row that went back; a
    // refusal is shown in a message box; the grids are read again.
    void ReenviarClick(QTableView* grade);

protected:
    void closeEvent(QCloseEvent* evento) override;

private:
    void CriaControles();
    void CriaSeletor();
    void CriaMenu();
    void MostraEstado();
    void CriaBarraEstado();
    void MostraBarraEstado();
    void MostraAviso();
    void PrazoDeFecharEsgotado();
    void CentraNaTela();
    void CriaMenuGrades();
    QString ChaveDaLinha(QTableView* grade) const;

    std::unique_ptr<TRelator> FCaixasPadrao;
    TRelator* FCaixas = nullptr;
    std::unique_ptr<TMonitora> FMonitora;
    QSystemTrayIcon* FIconeBandeja = nullptr;
    QTimer* FRelogioBarra = nullptr;  // the countdown to the next cycle
    bool FbFechado = false;
    bool FbFecharAposCiclo = false;
    QTimer* FPrazoFechar = nullptr;
    QList<TComandoCatalogo> FCatalogo;
    QTableView* FGradeDoMenu = nullptr;
};
