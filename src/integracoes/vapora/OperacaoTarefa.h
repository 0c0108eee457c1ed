#pragma once

#include "integracoes/vapora/PassoFila.h"

// Runs the save part of a row when its operacao is "S", the delete part when
// it is "D" (exactly, case counts), and nothing for any other value.
template <class FSalva, class FExclui>
void PorOperacao(const TTarefaFila& tarefa, FSalva salva, FExclui exclui)
{
    if (tarefa.Operacao == QLatin1String("S"))
        salva();
    else if (tarefa.Operacao == QLatin1String("D"))
        exclui();
}
