#pragma once

#include <QString>

struct TPassoFila;
struct TTarefaFila;

// The calls of one task kind for one queue row. An error it raises fails the
// row.
using TRamoTarefa = void (*)(TPassoFila& passo, const TTarefaFila& tarefa);

// A task kind of the queue: its code in column tipo, its branch and the
// texts that report its failure.
struct TTipoTarefa {
    QString Codigo;
    TRamoTarefa Executa;
    // The failure line is this text + the first CorteCampo1 characters of
    // campo1 + " - " + the first CorteCampo2 of campo2 (0: the whole column).
    QString InicioFalha;
    qsizetype CorteCampo1;
    qsizetype CorteCampo2;
    // The message box shows the failure line and the error's text, or the
    // line alone.
    bool MensagemComErro;

    QString LinhaDeFalha(const TTarefaFila& tarefa) const;
    QString MensagemDeFalha(const TTarefaFila& tarefa, const QString& erro) const;
};

// The kind whose code equals `codigo` exactly (case counts), testing the ten
// kinds in their order; none when no code matches.
const TTipoTarefa* TipoTarefa(const QString& codigo);
