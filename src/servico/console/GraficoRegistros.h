#pragma once

#include "operacao/LeituraDiario.h"

#include <QList>
#include <QString>

// The console's picture of the records per hour: one bar per hour, the
// records sent, failed and pending stacked in it, drawn as inline SVG by
// the server (the console loads no script). Up to two days of hours are
// labelled by the hour, longer spans by the day.
//
// The colours are the SVG's own attributes, not a stylesheet's, so that
// the picture looks the same wherever it is put; each bar holds a <title>
// with its hour and its counts, which a browser shows on hover.
QString GraficoRegistros(const QList<TContagemHora>& horas, const QString& titulo);
