#pragma once

#include "monitor/Monitora.h"

#include <memory>

// Builds the monitor core with the integrations of every machine type that
// exists, registered for their selector index. `pastaIni` as in TMonitora.
std::unique_ptr<TMonitora> CriaMonitora(TRelator& relator, const QString& pastaIni = {});
