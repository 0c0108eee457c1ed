#pragma once

struct TPassoFila;
struct TTarefaFila;

// The master-data kinds of the queue: each binds its service, then saves
// (operacao "S") or deletes ("D") the record the row carries, and writes its
// line to the log pane after the call returned; any other operacao sends
// nothing.
void TarefaArtigo(TPassoFila& passo, const TTarefaFila& tarefa);
void TarefaCliente(TPassoFila& passo, const TTarefaFila& tarefa);
void TarefaCor(TPassoFila& passo, const TTarefaFila& tarefa);
void TarefaClasseProduto(TPassoFila& passo, const TTarefaFila& tarefa);
void TarefaSubClasseProduto(TPassoFila& passo, const TTarefaFila& tarefa);
void TarefaProduto(TPassoFila& passo, const TTarefaFila& tarefa);
void TarefaTipoFio(TPassoFila& passo, const TTarefaFila& tarefa);
