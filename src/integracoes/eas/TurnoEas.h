#pragma once

#include "dblayer/KoQuery.h"

#include <QDate>
#include <QString>
#include <QTime>

class TKoDatabase;

// The shift (TURNO_HORARIOS_001) a lot ended in: first a shift of the day's
// weekday whose hours hold the end time; otherwise a night shift of that
// weekday (ENTRADA later than SAIDA) whose span, from ENTRADA on the day
// before to SAIDA on the day after, holds the end moment, the highest TURNO
// of several; otherwise the empty text. Date and time are bound as typed
// values, so no regional format reaches the server.
class TBuscaTurno {
public:
    explicit TBuscaTurno(TKoDatabase& erp);

    QString Turno(const QDate& data, const QTime& hora);

    // Weekday number as the shift table keeps it: 1 Sunday to 7 Saturday.
    static int DiaDaSemana(const QDate& data);

private:
    TKoDatabase& FErp;
    TKoQuery FDia;
};
