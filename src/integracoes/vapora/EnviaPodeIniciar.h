#pragma once

namespace Vapora {
class ProgramacaoWS;
}
struct TPassoFila;
struct TTarefaFila;

// The start permission of the lot in campo1 (whole, untrimmed): true when
// campo2 begins with T, t, Y or y. Sent with atualizarPodeIniciar; then the
// log line "Atualiza Pode Iniciar FAL - " + campo1 + " - " + campo2.
void EnviaPodeIniciar(TPassoFila& passo, const TTarefaFila& tarefa, Vapora::ProgramacaoWS& servico);
