#include "monitor/ModeloFila.h"

#include <utility>

void TModeloFila::DefineLinhas(TLinhasFila linhas)
{
    beginResetModel();
    FLinhas = std::move(linhas);
    endResetModel();
}

int TModeloFila::rowCount(const QModelIndex& pai) const
{
    return pai.isValid() ? 0 : int(FLinhas.Linhas.size());
}

int TModeloFila::columnCount(const QModelIndex& pai) const
{
    return pai.isValid() ? 0 : int(FLinhas.Colunas.size());
}

QVariant TModeloFila::data(const QModelIndex& indice, int papel) const
{
    if (!indice.isValid() || (papel != Qt::DisplayRole && papel != Qt::EditRole))
        return {};
    const QVariantList& linha = FLinhas.Linhas.at(indice.row());
    return indice.column() < linha.size() ? linha.at(indice.column()) : QVariant();
}

QVariant TModeloFila::headerData(int secao, Qt::Orientation orientacao, int papel) const
{
    if (papel != Qt::DisplayRole)
        return {};
    if (orientacao == Qt::Horizontal)
        return secao < FLinhas.Colunas.size() ? QVariant(FLinhas.Colunas.at(secao)) : QVariant();
    return secao + 1;
}
