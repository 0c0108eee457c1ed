#pragma once

class TMonitora;
struct TFontesConsole;

// The console's read-only pages over a running monitor and its journal:
// "Estado" (/), "Histórico" (/historico) and its downloads (/historico.csv,
// /historico.json). Each request reads the journal through a connection
// of its own, on the main loop's thread, where the console answers.
void LigaPaginasDoDiario(TFontesConsole& fontes, const TMonitora& monitora);
