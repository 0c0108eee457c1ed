#pragma once

#include <QStringList>

namespace Vapora {
class GerarOPWS;
}
struct TPassoFila;
struct TTarefaFila;

// The production order of the lot named by campo1: one item per item of the
// lot (FAL_ITEN_001) with its article, variant, scaled weight and pieces;
// the lot's colour, customer, machine group and, unless EnviarGrafico is
// "N", the last item's process graph. Sent with gerarOP; then the log line
// "Grava FAL - " + the lot number read back from the lot query.
void EnviaOP(TPassoFila& passo, const TTarefaFila& tarefa, Vapora::GerarOPWS& servico);

// The statement that reads the lot of a production order, one row per item,
// the lot number bound as :NUMERO.
const QStringList& LinhasLote();
