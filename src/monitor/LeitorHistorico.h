#pragma once

#include "operacao/LeituraDiario.h"
#include "monitor/ThreadTrabalho.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

// Reads pages of a journal on a thread of its own, through a read
// connection of that thread, and hands them back on the thread that made
// it: a journal busy or slow to read never holds the window. Requests run
// in order; a first page that a newer one has already replaced is not read
// at all, so a filter typed key by key reads only what is still wanted.
class TLeitorHistorico : public QObject {
    Q_OBJECT
public:
    struct TPagina {
        quint64 Pedido = 0;
        bool Primeira = false;
        QList<TLinhaHistorico> Linhas;
        QStringList Integracoes;  // with a first page
        QString Erro;             // why nothing was read
    };

    explicit TLeitorHistorico(const QString& arquivo, QObject* pai = nullptr);
    ~TLeitorHistorico() override;

    // Asks for up to `tamanho` records older than `antesDe` (0: from the
    // newest); `aoLer` gets them here. Returns the request's number.
    quint64 Pede(const TFiltroHistorico& filtro, qint64 antesDe, int tamanho,
                 std::function<void(const TPagina&)> aoLer);

private:
    QString FArquivo;
    TThreadTrabalho FThread{QStringLiteral("historico")};
    std::unique_ptr<TLeituraDiario> FLeitura;  // made, used and freed on FThread
    std::shared_ptr<std::atomic<quint64>> FUltimaPrimeira = std::make_shared<std::atomic<quint64>>(0);
    quint64 FPedidos = 0;
};
