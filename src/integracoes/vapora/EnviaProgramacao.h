#pragma once

#include <QStringList>

namespace Vapora {
class ProgramacaoWS;
}
struct TPassoFila;
struct TTarefaFila;

// The machine programme of the lot named by campo1: one product per positive
// consumption of the lot with a unit (with Passo, only those with a step),
// in consumption order, with its concentration, weight and volume (the
// consumption times the bath ratio of the lot's machine, or with PorVariante
// its capacity's when positive) and its preparation number (its step with
// Passo; otherwise 1, 2, 3... by consumption order number). Sent with
// programar; then the log line "Grava Programação FAL - " + the lot number
// read back from the consumption query.
void EnviaProgramacao(TPassoFila& passo, const TTarefaFila& tarefa, Vapora::ProgramacaoWS& servico);

// The statement that reads the consumptions of a programme's lot, the lot
// number bound as :NUMERO; with porPasso only those with a step.
QStringList LinhasConsumos(bool porPasso);
