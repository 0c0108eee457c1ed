#pragma once

#include "operacao/LeituraDiario.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

// The journal read from the command line: `quelix --historico` and
// `quelix --estado`, for people and scripts.

// How --historico writes the records; Conteudo (--conteudo): each record's
// line, then what it sent or received, as it was kept.
enum class TFormatoHistorico { Texto, Csv, Json, Conteudo };

// The records of the journal that match, newest first, on standard output.
// Returns the exit status: 0, or 2 when there is no journal to read (said
// on standard error).
int ExecutaHistorico(const QString& arquivo, const TFiltroHistorico& filtro, TFormatoHistorico formato);

// The same text, handed to `escreve` a page of records at a time, for
// whoever else gives the export (the console's downloads). Raises Exception
// when the journal cannot be read.
void EscreveHistorico(TLeituraDiario& leitura, const TFiltroHistorico& filtro, TFormatoHistorico formato,
                      const std::function<void(const QString&)>& escreve);

// What --estado says of a monitor, from its journal.
struct TEstadoMonitor {
    enum TStatus { Monitorando = 0, Parado = 1, SemHistorico = 2 };
    TStatus Status = SemHistorico;
    QStringList Linhas;
};

// The health rule (AvaliaSaude) over the journal's last cycles: 0 when the
// monitor is healthy, 1 when it is not (polling stopped, a call waiting
// past its limit, an error escaped the last cycle, a cycle past
// `limiteCicloMs`), 2 without a journal.
TEstadoMonitor AvaliaEstado(const QString& arquivo, qint64 limiteCicloMs,
                            const QDateTime& agora = QDateTime::currentDateTime());

// --estado: the lines on standard output; the status.
int ExecutaEstado(const QString& arquivo, qint64 limiteCicloMs);
