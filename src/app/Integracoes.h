#pragma once

#include "integracao/Integracao.h"

// The composition root: the machine types this build of the monitor knows,
// one factory each. The only place that names the integrations.
TFabricasIntegracao Integracoes();
