// The pass over the queue QX_INTEGRA: selection, dispatch, status, clearing.
#include "integracoes/vapora/Vapora.h"

#include "base/Erros.h"
#include "integracao/Relator.h"
#include "integracoes/vapora/Consultas.h"
#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/TiposTarefa.h"
#include "soap/ErrosSoap.h"

namespace {

const QString StatusTratada = QStringLiteral("1");
const QString StatusFalhou = QStringLiteral("2");

} // namespace

void TVapora::SelecionaFila()
{
    FDados.KoQuery1.DefineLinhas({QStringLiteral("SELECT * FROM QX_INTEGRA "),
                                   QStringLiteral("WHERE STATUS = 0 OR STATUS IS NULL ")});
    FDados.KoQuery1.Open();
}

void TVapora::ProcessaFila()
{
    TPassoFila passo{FDados, FRelator, FContexto.Configuracao, LeChavesPasso(FContexto.Configuracao)};
    TKoQuery& fila = FDados.KoQuery1;
    fila.First();
    while (!fila.Eof()) {
        // ORDEM is what marks the row: one that cannot be read is not sent,
        // or it would be sent again every cycle.
        qint64 ordem = 0;
        try {
            ordem = InteiroDe(fila, "ORDEM");
        } catch (const Exception& e) {
            FRelator.AdicionaLinha(QStringLiteral("Tarefa da fila sem ORDEM legível; não foi enviada. Erro: ")
                                   + e.Message());
            ++FContexto.FalhasNoCiclo;
            fila.Next();
            continue;
        }
        const TResultadoTarefa resultado = ProcessaTarefa(passo, ordem);
        if (!resultado.Status) {
            ++FContexto.FalhasNoCiclo;
            FRelator.RegistraRegistro(resultado.Registro);
            return;
        }
        AtualizaStatusFila(ordem, *resultado.Status);
        FRelator.RegistraRegistro(resultado.Registro);
        fila.Next();
    }
}

// The row's branch under its guard: what it raises fails the row alone,
// which is reported in the log pane and a message box and marked 2. A code
// of none of the kinds sends nothing and the row is only marked. A service
// out of reach is no fault of the row: it stays pending, and so do the rows
// after it (a programme must not overtake its production order), with one
// line; no status then (the pass ends).
TVapora::TResultadoTarefa TVapora::ProcessaTarefa(TPassoFila& passo, qint64 ordem)
{
    const TTarefaFila tarefa = LeTarefa(FDados.KoQuery1);
    TRegistroTratado registro{TRegistroTratado::Enviado, tarefa.Tipo, QString::number(ordem), TRegistroTratado::Enviado, {}};
    const TTipoTarefa* tipo = TipoTarefa(tarefa.Tipo);
    if (!tipo) {
        registro.Desfecho = TRegistroTratado::Ignorado;
        registro.Erro = QStringLiteral("tipo de tarefa desconhecido");
        return {StatusTratada, registro};
    }
    try {
        tipo->Executa(passo, tarefa);
        return {StatusTratada, registro};
    } catch (const ESoapRespostaIlegivel& e) {
        registro.Erro = e.Message();
    } catch (const ESoapTransporte& e) {
        return Inalcancavel(tarefa, registro, e.Message());
    } catch (const ESoapDescricaoInacessivel& e) {
        return Inalcancavel(tarefa, registro, e.Message());
    } catch (const std::exception& e) {
        registro.Erro = MensagemDoErro(e);
    }
    FRelator.AdicionaLinha(tipo->LinhaDeFalha(tarefa));
    FRelator.MostraMensagem(tipo->MensagemDeFalha(tarefa, registro.Erro));
    ++FContexto.FalhasNoCiclo;
    registro.Desfecho = TRegistroTratado::Falhou;
    return {StatusFalhou, registro};
}

TVapora::TResultadoTarefa TVapora::Inalcancavel(const TTarefaFila& tarefa, TRegistroTratado registro,
                                                const QString& erro)
{
    RelataServicoInalcancavel(tarefa, erro);
    registro.Desfecho = TRegistroTratado::Pendente;
    registro.Erro = erro;
    return {std::nullopt, registro};
}

void TVapora::RelataServicoInalcancavel(const TTarefaFila& tarefa, const QString& erro)
{
    const TKoQuery& fila = FDados.KoQuery1;
    const int aguardam = fila.RecordCount() - fila.RecNo() + 1;
    FRelator.AdicionaLinha(QStringLiteral("Serviço inalcançável (tarefa %1): %2 %3 tarefa(s) pendente(s) "
                                          "aguardam o próximo ciclo.")
                               .arg(tarefa.Tipo, erro)
                               .arg(aguardam));
}

// The condition on the old status keeps a row that is no longer pending
// (cleared, or marked by another pass) as it is. The status is one of the
// code's constants; ORDEM is bound.
void TVapora::AtualizaStatusFila(qint64 ordem, const QString& status)
{
    if (ordem == 0)
        return;
    TKoQuery& comando = FDados.QryExec1;
    comando.DefineLinhas({QStringLiteral("UPDATE QX_INTEGRA SET "), QStringLiteral("STATUS = ") + status + u' ',
                           QStringLiteral("WHERE (STATUS = 0 OR STATUS IS NULL) "),
                           QStringLiteral("AND ORDEM = :ORDEM")});
    comando.ParamByName(QStringLiteral("ORDEM")).SetAsInteger(ordem);
    comando.TryExecSQL();
    FDados.KoDatabase1.CommitRetaining();
}

bool TVapora::ConfirmaLimpaFila(TRelator& relator) const
{
    return relator.Pergunta(QStringLiteral("Deseja realmente limpar a fila de tarefas pendentes?"),
                            QStringLiteral("Ko Monitor de Tinturarias"));
}

int TVapora::LimpaFila()
{
    FDados.QryExec1.DefineLinhas({QStringLiteral("UPDATE QX_INTEGRA SET"), QStringLiteral("STATUS = 3"),
                                   QStringLiteral("WHERE (STATUS = 0 OR STATUS IS NULL)")});
    FDados.QryExec1.TryExecSQL();
    const int limpas = FDados.QryExec1.RowsAffected();
    FDados.KoDatabase1.CommitRetaining();
    return limpas;
}
