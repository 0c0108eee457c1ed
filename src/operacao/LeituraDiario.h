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
    bool SoFalhas = false;  // failed, pending and uncertain only
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

// One cycle of the journal: ended, or without an end yet (in progress, or
// cut short by a monitor that was ended in the middle of it).
struct TCicloDiario {
    qint64 Id = 0;
    QString Integracao;
    QDateTime Inicio;
    std::optional<QDateTime> Fim;
    QString Desfecho;  // as TextosCiclo names it; empty without an end
    std::optional<quint64> Enviados;
    int Falhas = 0;
    QString Erro;
    int IntervaloMs = 0;
    QList<TEstadoConexao> Conexoes;
};

// The records of one hour by outcome: "enviado"; "falhou"; "pendente" and
// "incerto" (both wait for a next cycle). "ignorado" is none of them.
struct TContagemHora {
    QDateTime Inicio;  // the hour's start (local time)
    int Enviados = 0;
    int Falhas = 0;
    int Pendentes = 0;
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

    // The newest record of that integration with exactly that key (a queue
    // row's ORDEM, say); none when the journal has none.
    std::optional<TLinhaHistorico> UltimoDaChave(const QString& integracao, const QString& chave);

    // The integrations that have records, for a reader's filter.
    QStringList Integracoes();

    TUltimosCiclos UltimosCiclos();
    // The calls the monitor waits for past their limits, oldest first; none
    // in a journal of a version that did not keep them.
    QList<TChamadaSemResposta> ChamadasSemResposta();

    // The last `quantos` cycles, newest first.
    QList<TCicloDiario> Ciclos(int quantos);

    // The records of each of the `horas` hours that end at `fim`, oldest
    // first, one entry per hour even when it had none. An hour is an hour
    // of elapsed time from `fim` back (a day that changes to or from
    // daylight-saving time has 23 or 25 of them).
    QList<TContagemHora> RegistrosPorHora(const QDateTime& fim, int horas);

private:
    QList<TLinhaHistorico> Le(const TFiltroHistorico& filtro, qint64 antesDe, int tamanho, bool comMomento);
    std::optional<QDateTime> ParadaApos(const QDateTime& ultimoCiclo);

    QSqlDatabase FBanco;
    QString FNomeConexao;
};
