#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class TModeloHistorico;

// The "Histórico" tab: the monitor's journal, newest first, filtered by a
// piece of the key, a range of days, the integration and the outcome. The
// journal is read a page at a time on a thread of its own; the grid shows
// each page when it arrives.
class TAbaHistorico : public QWidget {
    Q_OBJECT
public:
    explicit TAbaHistorico(const QString& arquivoDiario, QWidget* pai = nullptr);

    // Reads the journal again with the filters as they stand.
    void Atualiza();

    TModeloHistorico& Modelo() { return *FModelo; }

    QLineEdit* EdChave = nullptr;
    QCheckBox* CbDesde = nullptr;
    QDateEdit* DtDesde = nullptr;
    QCheckBox* CbAte = nullptr;
    QDateEdit* DtAte = nullptr;
    QComboBox* CbIntegracao = nullptr;
    QComboBox* CbDesfecho = nullptr;
    QPushButton* BtnAtualizar = nullptr;
    QTableView* DBGrid2 = nullptr;
    QLabel* LbErro = nullptr;
    // Under the grid: what the selected record sent or received.
    QPlainTextEdit* MmConteudo = nullptr;

private:
    void CriaFiltros();
    void AtualizaIntegracoes();
    void MostraLeitura();
    void MostraConteudo();

    TModeloHistorico* FModelo = nullptr;
};
