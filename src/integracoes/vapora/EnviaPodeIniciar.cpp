#include "integracoes/vapora/EnviaPodeIniciar.h"

#include "integracao/Relator.h"
#include "integracoes/vapora/ComponentesVapora.h"
#include "integracoes/vapora/Consultas.h"
#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/contratos/ProgramacaoWS.h"

void EnviaPodeIniciar(TPassoFila& passo, const TTarefaFila& tarefa, Vapora::ProgramacaoWS& servico)
{
    // A permission for a lot the ERP does not have is not sent.
    ExigeLote(passo.Dados.QryLote1, tarefa.Campo1);
    Vapora::opPodeIniciar permissao;
    permissao.opInternas = {tarefa.Campo1};
    permissao.podeIniciar = !tarefa.Campo2.isEmpty() && QStringLiteral("TtYy").contains(tarefa.Campo2.front());
    servico.atualizarPodeIniciar(permissao);
    passo.Relator.AdicionaLinha(QStringLiteral("Atualiza Pode Iniciar FAL - ") + tarefa.Campo1
                                + QStringLiteral(" - ") + tarefa.Campo2);
}
