#pragma once

#include "dblayer/KoQuery.h"

#include <QString>

#include <optional>

class TDadosEas;

// The ERP table of the monitor's own that holds the number (NRECNO) of
// every kitchen event whose effects were applied to the ERP. The number is
// written in the ERP transaction of those effects, so an event applied and
// committed whose mark on the host then fails (a killed process, a host that
// refuses the write) is found there in the next run and only marked read.
QString TabelaAplicados();

// Looks the table up when it is not known to be there: at start-up and at
// every inbound run until it is found. Its absence is said once; the events
// are then applied without it, as before it existed.
void ConfereTabelaAplicados(TDadosEas& dados);

// The table's two statements, prepared once per inbound run. Without the
// table both do nothing.
class TAplicadosErp {
public:
    explicit TAplicadosErp(TDadosEas& dados);

    // True when the event's number is in the table.
    bool JaAplicado(qint64 nrecno);
    // Writes the number, uncommitted: the caller commits it with the
    // event's effects.
    void Registra(qint64 nrecno, const QString& tipo);

private:
    bool Presente() const;

    TDadosEas& FDados;
    TKoQuery FConsulta;
    TKoQuery FInsere;
};
