#include "integracoes/vapora/TarefasLote.h"

#include "base/Apara.h"
#include "integracao/Relator.h"
#include "integracoes/vapora/EnviaOP.h"
#include "integracoes/vapora/EnviaPodeIniciar.h"
#include "integracoes/vapora/EnviaProgramacao.h"
#include "integracoes/vapora/OperacaoTarefa.h"
#include "integracoes/vapora/contratos/GerarOPWS.h"
#include "integracoes/vapora/contratos/ProgramacaoWS.h"

using Vapora::TServicoVapora;

namespace {

// The delete of a lot's order or programme: its first 10 characters, nothing
// sent when they are blank.
template <class FExclui>
void ExcluiLote(TPassoFila& passo, const TTarefaFila& tarefa, const QString& registro, FExclui exclui)
{
    const QString lote = tarefa.Campo1Ate(10);
    if (Apara(lote).isEmpty())
        return;
    exclui(lote);
    passo.Relator.AdicionaLinha(registro + lote + QStringLiteral(" - ") + tarefa.Campo2Ate(30));
}

} // namespace

void TarefaOP(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::GerarOP, Vapora::ObtemGerarOPWS);
    PorOperacao(
        tarefa, [&] { EnviaOP(passo, tarefa, *servico); },
        [&] {
            ExcluiLote(passo, tarefa, QStringLiteral("Deleta FAL - "),
                       [&](const QString& lote) { servico->excluir(lote); });
        });
}

void TarefaProgramacao(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::Programacao, Vapora::ObtemProgramacaoWS);
    PorOperacao(
        tarefa, [&] { EnviaProgramacao(passo, tarefa, *servico); },
        [&] {
            ExcluiLote(passo, tarefa, QStringLiteral("Deleta Programação FAL - "),
                       [&](const QString& lote) { servico->excluirProgramacao(lote); });
        });
}

void TarefaPodeIniciar(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::Programacao, Vapora::ObtemProgramacaoWS);
    if (Apara(tarefa.Campo1).isEmpty())
        return;
    EnviaPodeIniciar(passo, tarefa, *servico);
}
