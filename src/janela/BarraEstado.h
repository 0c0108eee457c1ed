#pragma once

#include <QString>

class TMonitora;

// The texts of the window's status bar, from the monitor core's state.

// How the last cycle ended: "14:03:12: 12 enviados, 1 falha", or its
// error; "Nenhum ciclo ainda." before the first.
QString TextoUltimoCiclo(const TMonitora& monitora);

// What runs now and for how long ("Ciclo em andamento há 75 s",
// "Verificando a configuração há 2 s"), else "Próximo ciclo em 42 s" or
// "pausado, nada em andamento".
QString TextoProximoCiclo(const TMonitora& monitora);

// Each connection by what it is to a person ("ERP", the machine type's
// caption) with its state: "ERP: ativa desde 14:00:01; Bruma: inativa desde
// 14:01:00"; a connection whose call waits past its limit as the log line
// says it: "ERP: sem resposta do servidor: commit espera há 75 s (limite de
// 60 s)".
QString TextoConexoes(const TMonitora& monitora);
// The same with the components' names, for the tip.
QString DicaConexoes(const TMonitora& monitora);

// Why the monitor is not healthy, by the same rule as /saude and
// `quelix --estado` ("Falha: sem resposta do servidor: ..."); empty while it
// is, and while polling is paused (which the next cycle's text says).
QString TextoSaude(const TMonitora& monitora);

// The hint when the selected machine type is not the one start-up
// connected; empty when it is.
QString AvisoTipoNaoConectado(const TMonitora& monitora);

// Said while a close waits for the work in progress to end, at most
// `prazoSegundos`.
QString AvisoFechaAposCiclo(const TMonitora& monitora, int prazoSegundos);
// Written to the daily log when the close stopped waiting: the work and
// the calls it waited for.
QString LinhaFechaSemEsperar(const TMonitora& monitora, int prazoSegundos);
