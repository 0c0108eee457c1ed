#pragma once

#include <QString>

class TMonitora;

// The texts of the window's status bar, from the monitor core's state.

// How the last cycle ended: "14:03:12: 12 enviados, 1 falha", or its
// error; "Nenhum ciclo ainda." before the first.
QString TextoUltimoCiclo(const TMonitora& monitora);

// "Ciclo em andamento", "Próximo ciclo em 42 s" or "pausado".
QString TextoProximoCiclo(const TMonitora& monitora);

// Each connection of the last cycle with its state since when:
// "KoDatabase1: ativa desde 14:00:01; KoDatabase2: inativa desde 14:01:00".
QString TextoConexoes(const TMonitora& monitora);

// Why the monitor is not healthy, by the same rule as /saude and
// `quelix --estado` ("Falha: sem resposta do servidor: ..."); empty while it
// is, and while polling is paused (which the next cycle's text says).
QString TextoSaude(const TMonitora& monitora);

// The hint when the selected machine type is not the one start-up
// connected; empty when it is.
QString AvisoTipoNaoConectado(const TMonitora& monitora);

// Said while a close waits for the cycle to end.
QString AvisoFechaAposCiclo();
