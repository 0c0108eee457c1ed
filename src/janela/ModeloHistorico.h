#pragma once

#include "operacao/LeituraDiario.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>

class TLeitorHistorico;

// The records of a journal for a grid: newest first, a page at a time as
// the grid scrolls (fetchMore), so that a journal of millions of rows opens
// and filters at once. The pages are read on a thread of their own
// (TLeitorHistorico) and shown when they arrive; a filter changed
// meanwhile drops what was asked for the old one.
class TModeloHistorico : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int TamanhoPagina = 200;

    explicit TModeloHistorico(const QString& arquivo, QObject* pai = nullptr);
    ~TModeloHistorico() override;

    // Asks for the first page of the records that match; the rows shown
    // go when it arrives.
    void DefineFiltro(const TFiltroHistorico& filtro);
    // The same filter again, from the newest record.
    void Atualiza() { DefineFiltro(FFiltro); }
    // True from a request until its page arrives.
    bool Lendo() const { return FPedido != 0; }
    // Why the last reading found nothing to show; empty when it read.
    const QString& Erro() const { return FErro; }
    // The record shown on that row; null outside the rows.
    const TLinhaHistorico* Registro(int linha) const
    {
        return linha >= 0 && linha < FLinhas.size() ? &FLinhas[linha] : nullptr;
    }
    // The integrations the journal had records of at the last first page.
    const QStringList& Integracoes() const { return FIntegracoes; }
    // What the record on that row sent or received; empty for none.
    QString Conteudo(int linha) const;

    int rowCount(const QModelIndex& pai = {}) const override;
    int columnCount(const QModelIndex& pai = {}) const override;
    QVariant data(const QModelIndex& indice, int papel = Qt::DisplayRole) const override;
    QVariant headerData(int secao, Qt::Orientation orientacao, int papel = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& pai) const override;
    void fetchMore(const QModelIndex& pai) override;

    // The direction of a record as the grid shows it: "saída" (to the
    // machine side), "entrada" (into the ERP), "ação" (an operator's, a
    // "Reenviar"); the outcome keeps its own words.
    static QString TextoDirecao(const QString& direcao);
    // The moment as the grid shows it: the time alone for today's records,
    // the day and the time for older ones.
    static QString TextoMomento(const QDateTime& momento, const QDate& hoje);

signals:
    // A page arrived (or its error): the rows, Erro() and Integracoes() are
    // as it left them.
    void Lido();

private:
    void Pede(qint64 antesDe);

    TLeitorHistorico* FLeitor = nullptr;
    TFiltroHistorico FFiltro;
    QList<TLinhaHistorico> FLinhas;
    QStringList FIntegracoes;
    quint64 FPedido = 0;  // the request whose page is awaited; 0 for none
    bool FbFim = true;    // no more rows after those read
    QString FErro;
};
