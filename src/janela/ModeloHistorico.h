#pragma once

#include "operacao/LeituraDiario.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <memory>

// The records of a journal for a grid: newest first, through a read
// connection of the thread that shows them, a page at a time as the grid
// scrolls (fetchMore), so that a journal of millions of rows opens and
// filters at once.
class TModeloHistorico : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int TamanhoPagina = 200;

    explicit TModeloHistorico(const QString& arquivo, QObject* pai = nullptr);
    ~TModeloHistorico() override;

    // Reads the first page of the records that match; the journal is
    // opened here the first time it exists.
    void DefineFiltro(const TFiltroHistorico& filtro);
    // The same filter again, from the newest record.
    void Atualiza() { DefineFiltro(FFiltro); }
    // Why the last reading found nothing to show; empty when it read.
    const QString& Erro() const { return FErro; }
    // The integrations the journal has records of.
    QStringList Integracoes();

    int rowCount(const QModelIndex& pai = {}) const override;
    int columnCount(const QModelIndex& pai = {}) const override;
    QVariant data(const QModelIndex& indice, int papel = Qt::DisplayRole) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao, int papel = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& pai) const override;
    void fetchMore(const QModelIndex& pai) override;

private:
    bool Abre();
    QList<TLinhaHistorico> LePagina(qint64 antesDe);

    QString FArquivo;
    std::unique_ptr<TLeituraDiario> FLeitura;
    TFiltroHistorico FFiltro;
    QList<TLinhaHistorico> FLinhas;
    bool FbFim = true;  // no more rows after those read
    QString FErro;
};
