#pragma once

#include "dblayer/KoQuery.h"
#include "integracao/Relator.h"

#include <QString>

#include <optional>

class TDadosEas;

// The host exchange tables: FFROMHOST, where each outbound record is
// inserted, and FTOHOST, whose unread kitchen events are selected one record
// type at a time and marked read.

// The table's name, qualified with the schema when the schema is not blank.
QString NomeTabelaHost(const QString& sSchema, const QString& tabela);

// The DATOS text of the query's current row: each column trimmed and
// followed by "|", in select-list order. A column named NR_SEQUENCIA gives
// the row's position in the result instead of its value; a column named OBS
// is cut by AjustaObs and followed by no separator.
QString MontaRegistroHost(TKoQuery& consulta);

// GravaNoHost: one FFROMHOST row per call, committed at once, each outcome a
// log line. The insert is prepared once and kept for the run.
class TGravacaoHost {
public:
    explicit TGravacaoHost(TDadosEas& dados);

    // True when the row was inserted and committed; false at once, without
    // a line, when the host database is not connected. With `confirma`
    // false the insert is left uncommitted, for the caller to commit with
    // the rows that belong with it (a lot and its items); a failure then
    // undoes everything pending on the host.
    bool GravaNoHost(const QString& tipo, const QString& operacao, const QString& registro,
                     bool confirma = true);

private:
    void AnotaEnvio();

    TDadosEas& FDados;
    TKoQuery FInsere;
};

// The inbound selection and MarcaLidoHost, prepared once per inbound run.
class TLeituraHost {
public:
    explicit TLeituraHost(TDadosEas& dados);
    ~TLeituraHost();
    TLeituraHost(const TLeituraHost&) = delete;
    TLeituraHost& operator=(const TLeituraHost&) = delete;

    // Opens the unread rows of one record type (in the order the database
    // returns them) and returns the selection, on its first row.
    TKoQuery& Seleciona(const QString& tipo);
    TKoQuery& Selecao() { return FSelecao; }

    // Marks the selection's current row read and logs the outcome; with
    // `comRegistro` a failure line also carries the row's DATOS. A row that
    // cannot be marked stays unread for the next cycle (false).
    // The row is then reported to the journal with `desfecho`, or as failed
    // when a failure was counted while it was applied.
    bool MarcaLidoHost(bool comRegistro, std::optional<TDesfechoRegistro> desfecho = {});
    // A row left unread for the next cycle, reported to the journal.
    void DeixaPendente();

    // The current row's fields.
    QString Datos();
    QString Campo(int n);
    QString NrRecno();
    qint64 NumeroRecno();
    QString Tipo();

private:
    TDadosEas& FDados;
    TKoQuery FSelecao;
    TKoQuery FMarca;
};
