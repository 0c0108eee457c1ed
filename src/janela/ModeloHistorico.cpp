#include "janela/ModeloHistorico.h"

#include "base/Erros.h"

namespace {

enum TColuna { Momento, Integracao, Direcao, Tipo, Chave, Desfecho, Linha, TotalColunas };

const char* const kTitulos[TotalColunas] = {"Momento", "Integração", "Direção", "Tipo", "Chave", "Desfecho",
                                            "Linha"};

} // namespace

TModeloHistorico::TModeloHistorico(const QString& arquivo, QObject* pai) : QAbstractTableModel(pai), FArquivo(arquivo) {}

TModeloHistorico::~TModeloHistorico() = default;

bool TModeloHistorico::Abre()
{
    if (FLeitura)
        return true;
    try {
        FLeitura = std::make_unique<TLeituraDiario>(FArquivo);
        return true;
    } catch (const Exception& e) {
        FErro = e.Message();
        return false;
    }
}

QList<TLinhaHistorico> TModeloHistorico::LePagina(qint64 antesDe)
{
    try {
        const QList<TLinhaHistorico> pagina = FLeitura->Pagina(FFiltro, antesDe, TamanhoPagina);
        FbFim = pagina.size() < TamanhoPagina;
        return pagina;
    } catch (const Exception& e) {
        // A file that went away (a restored folder) is opened again next time.
        FErro = e.Message();
        FLeitura.reset();
        FbFim = true;
        return {};
    }
}

void TModeloHistorico::DefineFiltro(const TFiltroHistorico& filtro)
{
    beginResetModel();
    FFiltro = filtro;
    FErro.clear();
    FLinhas.clear();
    FbFim = true;
    if (Abre())
        FLinhas = LePagina(0);
    endResetModel();
}

QStringList TModeloHistorico::Integracoes()
{
    if (!Abre())
        return {};
    try {
        return FLeitura->Integracoes();
    } catch (const Exception& e) {
        FErro = e.Message();
        return {};
    }
}

int TModeloHistorico::rowCount(const QModelIndex& pai) const { return pai.isValid() ? 0 : int(FLinhas.size()); }

int TModeloHistorico::columnCount(const QModelIndex& pai) const { return pai.isValid() ? 0 : TotalColunas; }

QVariant TModeloHistorico::data(const QModelIndex& indice, int papel) const
{
    if (!indice.isValid() || indice.row() >= FLinhas.size() || (papel != Qt::DisplayRole && papel != Qt::ToolTipRole))
        return {};
    const TLinhaHistorico& linha = FLinhas[indice.row()];
    switch (indice.column()) {
    case Momento: return linha.Momento.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    case Integracao: return linha.Integracao;
    case Direcao: return linha.Direcao;
    case Tipo: return linha.Tipo;
    case Chave: return linha.Chave;
    case Desfecho: return linha.Desfecho;
    case Linha:
        // The grid shows the first line; the tip, all of them and the error.
        if (papel == Qt::ToolTipRole)
            return linha.Erro.isEmpty() ? linha.Linha : linha.Linha + QStringLiteral("\n") + linha.Erro;
        return linha.Linha.section(u'\n', 0, 0);
    default: return {};
    }
}

QVariant TModeloHistorico::headerData(int secao, Qt::Orientation orientacao, int papel) const
{
    if (orientacao != Qt::Horizontal || papel != Qt::DisplayRole || secao < 0 || secao >= TotalColunas)
        return {};
    return QString::fromUtf8(kTitulos[secao]);
}

bool TModeloHistorico::canFetchMore(const QModelIndex& pai) const { return !pai.isValid() && !FbFim && FLeitura; }

void TModeloHistorico::fetchMore(const QModelIndex& pai)
{
    if (!canFetchMore(pai))
        return;
    const QList<TLinhaHistorico> pagina = LePagina(FLinhas.back().Id);
    if (pagina.isEmpty())
        return;
    beginInsertRows({}, int(FLinhas.size()), int(FLinhas.size() + pagina.size() - 1));
    FLinhas += pagina;
    endInsertRows();
}
