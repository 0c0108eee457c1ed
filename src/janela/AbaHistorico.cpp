#include "janela/AbaHistorico.h"

#include "integracao/Relator.h"
#include "janela/ModeloHistorico.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QDateEdit* CriaData(QWidget* pai)
{
    auto* data = new QDateEdit(QDate::currentDate(), pai);
    data->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    data->setCalendarPopup(true);
    data->setEnabled(false);
    return data;
}

} // namespace

TAbaHistorico::TAbaHistorico(const QString& arquivoDiario, QWidget* pai) : QWidget(pai)
{
    setObjectName(QStringLiteral("TabSheet3"));
    FModelo = new TModeloHistorico(arquivoDiario, this);
    CriaFiltros();

    DBGrid2 = new QTableView(this);
    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setModel(FModelo);
    DBGrid2->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid2->verticalHeader()->setDefaultSectionSize(18);
    DBGrid2->verticalHeader()->hide();
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    // The moment, the direction and the outcome fit their texts; the line
    // takes the rest.
    DBGrid2->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DBGrid2->horizontalHeader()->setSectionResizeMode(FModelo->columnCount() - 1, QHeaderView::Stretch);
    LbErro = new QLabel(this);
    LbErro->setObjectName(QStringLiteral("LbErro"));
    LbErro->hide();
    // An envelope or a row reads as it went: a fixed font, lines unwrapped.
    MmConteudo = new QPlainTextEdit(this);
    MmConteudo->setObjectName(QStringLiteral("MmConteudo"));
    MmConteudo->setReadOnly(true);
    MmConteudo->setLineWrapMode(QPlainTextEdit::NoWrap);
    MmConteudo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    MmConteudo->setPlaceholderText(QStringLiteral("O que o registro selecionado enviou ou recebeu."));
    auto* divisao = new QSplitter(Qt::Vertical, this);
    divisao->addWidget(DBGrid2);
    divisao->addWidget(MmConteudo);
    divisao->setStretchFactor(0, 3);
    divisao->setStretchFactor(1, 1);

    auto* aba = qobject_cast<QVBoxLayout*>(layout());
    aba->addWidget(LbErro);
    aba->addWidget(divisao, 1);
    connect(FModelo, &TModeloHistorico::Lido, this, &TAbaHistorico::MostraLeitura);
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TAbaHistorico::MostraConteudo);
    connect(FModelo, &QAbstractItemModel::modelReset, this, &TAbaHistorico::MostraConteudo);
}

void TAbaHistorico::CriaFiltros()
{
    EdChave = new QLineEdit(this);
    EdChave->setObjectName(QStringLiteral("EdChave"));
    EdChave->setPlaceholderText(QStringLiteral("Chave"));
    EdChave->setClearButtonEnabled(true);
    // Room for a lot number or a queue ORDEM as typed, at the window's
    // default width too.
    EdChave->setMinimumWidth(EdChave->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 24);
    CbDesde = new QCheckBox(QStringLiteral("Desde"), this);
    DtDesde = CriaData(this);
    CbAte = new QCheckBox(QStringLiteral("Até"), this);
    DtAte = CriaData(this);
    CbIntegracao = new QComboBox(this);
    CbIntegracao->setObjectName(QStringLiteral("CbIntegracao"));
    CbIntegracao->addItem(QStringLiteral("Todas"), QString());
    CbDesfecho = new QComboBox(this);
    CbDesfecho->setObjectName(QStringLiteral("CbDesfecho"));
    CbDesfecho->addItem(QStringLiteral("Todos"), QString());
    for (const TDesfechoRegistro desfecho : DesfechosRegistro)  // the outcome's own words
        CbDesfecho->addItem(Texto(desfecho), Texto(desfecho));
    BtnAtualizar = new QPushButton(QStringLiteral("Atualizar"), this);
    BtnAtualizar->setObjectName(QStringLiteral("BtnAtualizar"));

    auto* filtros = new QHBoxLayout;
    filtros->setContentsMargins(4, 4, 4, 0);
    for (QWidget* controle : std::initializer_list<QWidget*>{EdChave, CbDesde, DtDesde, CbAte, DtAte, CbIntegracao,
                                                             CbDesfecho, BtnAtualizar})
        filtros->addWidget(controle, controle == EdChave ? 1 : 0);
    auto* aba = new QVBoxLayout(this);
    aba->setContentsMargins(0, 0, 0, 0);
    aba->addLayout(filtros);

    connect(EdChave, &QLineEdit::textChanged, this, &TAbaHistorico::Atualiza);
    for (QCheckBox* caixa : {CbDesde, CbAte})
        connect(caixa, &QCheckBox::toggled, this, [this] {
            DtDesde->setEnabled(CbDesde->isChecked());
            DtAte->setEnabled(CbAte->isChecked());
            Atualiza();
        });
    for (QDateEdit* data : {DtDesde, DtAte})
        connect(data, &QDateEdit::dateChanged, this, &TAbaHistorico::Atualiza);
    for (QComboBox* lista : {CbIntegracao, CbDesfecho})
        connect(lista, &QComboBox::currentIndexChanged, this, &TAbaHistorico::Atualiza);
    connect(BtnAtualizar, &QPushButton::clicked, this, &TAbaHistorico::Atualiza);
}

// New integrations appear in the list as the journal gets their records.
void TAbaHistorico::AtualizaIntegracoes()
{
    const QSignalBlocker bloqueio(CbIntegracao);
    for (const QString& integracao : FModelo->Integracoes())
        if (CbIntegracao->findData(integracao) < 0)
            CbIntegracao->addItem(integracao, integracao);
}

// The reading is asked for here and shown when it arrives (MostraLeitura).
void TAbaHistorico::Atualiza()
{
    TFiltroHistorico filtro;
    filtro.Chave = EdChave->text().trimmed();
    if (CbDesde->isChecked())
        filtro.Desde = DtDesde->date();
    if (CbAte->isChecked())
        filtro.Ate = DtAte->date();
    filtro.Integracao = CbIntegracao->currentData().toString();
    filtro.Desfecho = CbDesfecho->currentData().toString();
    FModelo->DefineFiltro(filtro);
}

void TAbaHistorico::MostraConteudo()
{
    MmConteudo->setPlainText(FModelo->Conteudo(DBGrid2->currentIndex().row()));
}

void TAbaHistorico::MostraLeitura()
{
    AtualizaIntegracoes();
    LbErro->setText(FModelo->Erro());
    LbErro->setVisible(!FModelo->Erro().isEmpty());
}
