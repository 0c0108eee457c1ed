#pragma once

struct TPassoFila;
struct TTarefaFila;

// The kinds of the queue that name a lot (FAL) in campo1.
// OP: "S" sends the lot's production order (EnviaOP), "D" deletes it.
void TarefaOP(TPassoFila& passo, const TTarefaFila& tarefa);
// PG: "S" sends the lot's machine programme (EnviaProgramacao), "D" deletes it.
void TarefaProgramacao(TPassoFila& passo, const TTarefaFila& tarefa);
// PI: the lot's start permission (EnviaPodeIniciar), whatever operacao holds.
void TarefaPodeIniciar(TPassoFila& passo, const TTarefaFila& tarefa);
