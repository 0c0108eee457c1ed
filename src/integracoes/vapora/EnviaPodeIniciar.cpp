#include "integracoes/vapora/EnviaPodeIniciar.h"

#include "integracao/Relator.h"
#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/contratos/ProgramacaoWS.h"

void EnviaPodeIniciar(TPassoFila& passo, const TTarefaFila& tarefa, Vapora::ProgramacaoWS& servico)
{
    Vapora::opPodeIniciar permissao;
    permissao.opInternas = {tarefa.Campo1};
    permissao.podeIniciar = !tarefa.Campo2.isEmpty() && QStringLiteral("TtYy").contains(tarefa.Campo2.front());
    servico.atualizarPodeIniciar(permissao);
    passo.Relator.AdicionaLinha(QStringLiteral("Atualiza Pode Iniciar FAL - ") + tarefa.Campo1
                                + QStringLiteral(" - ") + tarefa.Campo2);
}
