// The pass over the queue QX_INTEGRA: selection, dispatch, status, clearing.
#include "integracoes/vapora/Vapora.h"

#include "base/Erros.h"
#include "integracao/Relator.h"
#include "integracoes/vapora/Consultas.h"
#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/TiposTarefa.h"

namespace {

const QString StatusTratada = QStringLiteral("1");
const QString StatusFalhou = QStringLiteral("2");

} // namespace

void TVapora::SelecionaFila()
{
    DefineLinhas(FDados.KoQuery1, {QStringLiteral("SELECT * FROM QX_INTEGRA "),
                                   QStringLiteral("WHERE STATUS = 0 OR STATUS IS NULL ")});
    FDados.KoQuery1.Open();
}

void TVapora::ProcessaFila()
{
    TPassoFila passo{FDados, FRelator, FContexto.Configuracao, LeChavesPasso(FContexto.Configuracao)};
    TKoQuery& fila = FDados.KoQuery1;
    fila.First();
    while (!fila.Eof()) {
        const QString status = ProcessaTarefa(passo);
        AtualizaStatusFila(InteiroDe(fila, "ORDEM"), status);
        fila.Next();
    }
}

// The row's branch under its guard: what it raises fails the row alone,
// which is reported in the log pane and a message box and marked 2. A code
// of none of the kinds sends nothing and the row is only marked.
QString TVapora::ProcessaTarefa(TPassoFila& passo)
{
    const TTarefaFila tarefa = LeTarefa(FDados.KoQuery1);
    const TTipoTarefa* tipo = TipoTarefa(tarefa.Tipo);
    if (!tipo)
        return StatusTratada;
    QString erro;
    try {
        tipo->Executa(passo, tarefa);
        return StatusTratada;
    } catch (const Exception& e) {
        erro = e.Message();
    } catch (const std::exception& e) {
        erro = QString::fromUtf8(e.what());
    }
    FRelator.AdicionaLinha(tipo->LinhaDeFalha(tarefa));
    FRelator.MostraMensagem(tipo->MensagemDeFalha(tarefa, erro));
    ++FContexto.FalhasNoCiclo;
    return StatusFalhou;
}

// The condition on the old status keeps a row that is no longer pending
// (cleared, or marked by another pass) as it is. The status is one of the
// code's constants; ORDEM is bound.
void TVapora::AtualizaStatusFila(qint64 ordem, const QString& status)
{
    if (ordem == 0)
        return;
    TKoQuery& comando = FDados.QryExec1;
    DefineLinhas(comando, {QStringLiteral("UPDATE QX_INTEGRA SET "), QStringLiteral("STATUS = ") + status + u' ',
                           QStringLiteral("WHERE (STATUS = 0 OR STATUS IS NULL) "),
                           QStringLiteral("AND ORDEM = :ORDEM")});
    comando.ParamByName(QStringLiteral("ORDEM")).SetAsInteger(ordem);
    comando.TryExecSQL();
    FDados.KoDatabase1.CommitRetaining();
}

void TVapora::LimpaFila()
{
    if (!FRelator.Pergunta(QStringLiteral("Deseja realmente limpar a fila de tarefas pendentes?"),
                           QStringLiteral("Ko Monitor de Tinturarias")))
        return;
    DefineLinhas(FDados.QryExec1, {QStringLiteral("UPDATE QX_INTEGRA SET"), QStringLiteral("STATUS = 3"),
                                   QStringLiteral("WHERE (STATUS = 0 OR STATUS IS NULL)")});
    FDados.QryExec1.TryExecSQL();
    FDados.KoDatabase1.CommitRetaining();
}
