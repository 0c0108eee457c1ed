#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QVariant>

// The rows of the queue table as one reading found them: column names and
// values, copied out of the table component on the thread that read them.
struct TLinhasFila {
    QStringList Colunas;
    QList<QVariantList> Linhas;
};

// What the queue tab's grid shows: the last reading of the queue, kept on
// the window's thread. The table component that reads the rows lives on the
// queue's own thread with its connection; the grid never touches either.
class TModeloFila : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void DefineLinhas(TLinhasFila linhas);
    // No rows (the table could not be read).
    void Limpa() { DefineLinhas({}); }

    int rowCount(const QModelIndex& pai = {}) const override;
    int columnCount(const QModelIndex& pai = {}) const override;
    QVariant data(const QModelIndex& indice, int papel = Qt::DisplayRole) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao, int papel = Qt::DisplayRole) const override;

private:
    TLinhasFila FLinhas;
};
