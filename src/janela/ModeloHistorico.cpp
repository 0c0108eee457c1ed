#include "janela/ModeloHistorico.h"

#include "operacao/TextosCiclo.h"

#include "base/Erros.h"
#include "integracao/Relator.h"
#include "monitor/LeitorHistorico.h"

namespace {

enum TColuna { Momento, Integracao, Direcao, Tipo, Chave, Desfecho, Linha, TotalColunas };

const char* const kTitulos[TotalColunas] = {"Momento", "Integração", "Direção", "Tipo", "Chave", "Desfecho",
                                            "Linha"};

} // namespace

TModeloHistorico::TModeloHistorico(const QString& arquivo, QObject* pai)
    : QAbstractTableModel(pai), FLeitor(new TLeitorHistorico(arquivo, this))
{
}

TModeloHistorico::~TModeloHistorico() = default;

void TModeloHistorico::Pede(qint64 antesDe)
{
    FPedido = FLeitor->Pede(FFiltro, antesDe, TamanhoPagina, [this](const TLeitorHistorico::TPagina& pagina) {
        // A page of a request replaced since (another filter) is dropped.
        if (pagina.Pedido != FPedido)
            return;
        FPedido = 0;
        FErro = pagina.Erro;
        FbFim = !pagina.Erro.isEmpty() || pagina.Linhas.size() < TamanhoPagina;
        if (pagina.Primeira) {
            beginResetModel();
            FLinhas = pagina.Linhas;
            if (pagina.Erro.isEmpty())
                FIntegracoes = pagina.Integracoes;
            endResetModel();
        } else if (!pagina.Linhas.isEmpty()) {
            beginInsertRows({}, int(FLinhas.size()), int(FLinhas.size() + pagina.Linhas.size() - 1));
            FLinhas += pagina.Linhas;
            endInsertRows();
        }
        emit Lido();
    });
}

void TModeloHistorico::DefineFiltro(const TFiltroHistorico& filtro)
{
    FFiltro = filtro;
    FbFim = true;
    Pede(0);
}

int TModeloHistorico::rowCount(const QModelIndex& pai) const { return pai.isValid() ? 0 : int(FLinhas.size()); }

int TModeloHistorico::columnCount(const QModelIndex& pai) const { return pai.isValid() ? 0 : TotalColunas; }

QVariant TModeloHistorico::data(const QModelIndex& indice, int papel) const
{
    if (!indice.isValid() || indice.row() >= FLinhas.size() || (papel != Qt::DisplayRole && papel != Qt::ToolTipRole))
        return {};
    const TLinhaHistorico& linha = FLinhas[indice.row()];
    switch (indice.column()) {
    case Momento:
        if (papel == Qt::ToolTipRole)
            return linha.Momento.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        return TextoMomento(linha.Momento, QDate::currentDate());
    case Integracao: return linha.Integracao;
    case Direcao: return TextoDirecao(linha.Direcao);
    case Tipo: return linha.Tipo;
    case Chave: return linha.Chave;
    case TColuna::Desfecho: return linha.Desfecho;
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

QString TModeloHistorico::Conteudo(int linha) const
{
    return linha >= 0 && linha < FLinhas.size() ? FLinhas[linha].Conteudo : QString();
}

bool TModeloHistorico::canFetchMore(const QModelIndex& pai) const
{
    return !pai.isValid() && !FbFim && !Lendo() && !FLinhas.isEmpty();
}

void TModeloHistorico::fetchMore(const QModelIndex& pai)
{
    if (canFetchMore(pai))
        Pede(FLinhas.back().Id);
}

QString TModeloHistorico::TextoDirecao(const QString& direcao) { return ::TextoDirecao(direcao); }

QString TModeloHistorico::TextoMomento(const QDateTime& momento, const QDate& hoje)
{
    if (momento.date() == hoje)
        return momento.toString(QStringLiteral("HH:mm:ss"));
    return momento.toString(QStringLiteral("dd/MM/yy HH:mm"));
}
