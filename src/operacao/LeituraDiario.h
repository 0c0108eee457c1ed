#pragma once

#include "operacao/ObservadorCiclo.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>

#include <optional>

// What a reader asks of the journal's records. Empty fields do not filter.
struct TFiltroHistorico {
    QString Chave;        // a piece of the key
    QDate Desde;          // from that day on (local time)
    QDate Ate;            // up to that day, inclusive
    QString Integracao;
    QString Desfecho;     // one outcome
    bool SoFalhas = false;  // "falhou", "pendente" and "incerto" only
};

// One record of the journal.
struct TLinhaHistorico {
    qint64 Id = 0;
    QDateTime Momento;  // local time
    QString MomentoTexto;  // as the journal keeps it (UTC, see TDiario::Momento)
    QString Integracao;
    QString Direcao;
    QString Tipo;
    QString Chave;
    QString Desfecho;
    QString Linha;
    QString Erro;
    QString Conteudo;  // what was sent or received (empty in a journal older than it)
};

// The last cycles of the journal: the last that ended, and the one in
// progress when the newest row has no end yet (or a monitor was ended in
// the middle of it).
struct TUltimosCiclos {
    std::optional<TFimCiclo> Terminado;
    std::optional<TCicloEmAndamento> EmAndamento;
    // When the monitor stopped cleanly after these cycles; none while it
    // runs (or when it ended otherwise: killed, or never noted its run).
    std::optional<QDateTime> Parada;
};

// Reads a monitor's journal (see TDiario) through a read-only connection of
// its own, also while the monitor writes it. The thread that makes it is the
// only one that may use it.
class TLeituraDiario {
public:
    // Raises Exception when the file does not exist or cannot be read.
    explicit TLeituraDiario(const QString& arquivo);
    ~TLeituraDiario();
    TLeituraDiario(const TLeituraDiario&) = delete;
    TLeituraDiario& operator=(const TLeituraDiario&) = delete;

    // Newest first: up to `tamanho` records older than the record `antesDe`
    // (0: from the newest), so that a reader pages by the last one it got.
    QList<TLinhaHistorico> Pagina(const TFiltroHistorico& filtro, qint64 antesDe, int tamanho);
    // The same with Momento left empty, for an export that writes a million
    // of them from MomentoTexto (local time costs a system call per moment).
    QList<TLinhaHistorico> PaginaSemMomento(const TFiltroHistorico& filtro, qint64 antesDe, int tamanho);

    // The integrations that have records, for a reader's filter.
    QStringList Integracoes();

    TUltimosCiclos UltimosCiclos();

private:
    QList<TLinhaHistorico> Le(const TFiltroHistorico& filtro, qint64 antesDe, int tamanho, bool comMomento);
    std::optional<QDateTime> ParadaApos(const QDateTime& ultimoCiclo);

    QSqlDatabase FBanco;
    QString FNomeConexao;
};
