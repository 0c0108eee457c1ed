#pragma once

#include <QDateTime>
#include <QString>

// Appends one line to today's log file in Logs/ beside the executable
// (or beside the executable itself when that folder cannot be made).
// Raises EInOutError when the file cannot be created, opened or written.
void GravaLinhaLog(const QString& nmMaquina, const QString& nrIP,
                   const QString& nmUsuario, const QString& mensagem);

// The line GravaLinhaLog writes, without its CR LF.
QString MontaLinhaLog(const QString& nrIP, const QString& nomeJanela,
                      const QString& nmUsuario, const QDateTime& momento,
                      const QString& mensagem);

// The name of the application's active window, for the log lines. The window
// layer sets the provider; without one the field stays empty.
using NomeJanelaAtivaFn = QString (*)();
void DefineNomeJanelaAtiva(NomeJanelaAtivaFn fornecedor);

// The folder GravaLinhaLog writes into; tests point it elsewhere.
QString PastaDoExecutavel();
void DefinePastaDoExecutavel(const QString& pasta);
