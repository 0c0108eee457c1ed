#pragma once

#include "monitor/comissionamento/CatalogoComandos.h"

#include <QList>

class TConfiguracao;
class TNucleoCiclo;
class TVerificacao;

// Commissioning: checks the configuration of the active model against the
// live databases and services, after start-up, on the cycle's thread. QX.ini
// and the model's keys; each connection (the driver's own error when one
// does not open); every statement of the catalogue the model sends,
// prepared on its connection and never run; the indexes its passes need
// (a warning with the statement that would make one); its services; and a
// writable Logs/. Writes nothing to any database: each preparation and
// each reading of a catalogue is rolled back.
void VerificaConfiguracao(TNucleoCiclo& nucleo, const TConfiguracao& ini,
                          const QList<TComandoCatalogo>& catalogo, TVerificacao& verificacao);
