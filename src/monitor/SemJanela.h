#pragma once

#include "monitor/Monitora.h"

// The monitor without a window, on a QCoreApplication that already exists.

// Start-up, one polling cycle of the configured machine type at once, then
// the shut-down. Returns the exit status: 0 when the cycle ended normally,
// 1 when an error escaped the start-up or the cycle.
int ExecutaUmCiclo(TMonitora& monitora);

// Start-up, then polling every 59 seconds as the window does, until SIGINT
// or SIGTERM; then the shut-down. Returns the exit status (0). Needs
// BloqueiaSinaisDeParada() first (monitor/SinaisDeParada.h).
int ExecutaSemJanela(TMonitora& monitora);
