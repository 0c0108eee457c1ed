#pragma once

#include "operacao/EstadoOperacao.h"

#include <QDateTime>
#include <QString>

// Whether a running monitor is doing its work, for /saude and systemd.
struct TSaude {
    bool Saudavel = false;
    QString Motivo;  // why not; empty when healthy
};

// What the rule weighs besides the counters.
struct TParametrosSaude {
    bool Monitorando = false;   // polling on: the timer runs, or a cycle does
    qint64 IntervaloMs = 0;     // between the end of a cycle and the next start
    qint64 LimiteCicloMs = 0;   // the longest a cycle may run
};

// Healthy when polling is on; no cycle is overdue, that is the last one
// ended (or, before the first, the monitor started) within three intervals;
// a cycle in progress has not run past the bound; and no error escaped the
// last cycle that ended.
TSaude AvaliaSaude(const TEstadoOperacao::TInstantaneo& estado, const TParametrosSaude& parametros,
                   const QDateTime& agora);
