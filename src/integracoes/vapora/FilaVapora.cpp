// The pass over the queue QX_INTEGRA: selection, dispatch, status, clearing.
#include "integracoes/vapora/Vapora.h"

#include "base/Erros.h"
#include "dblayer/ChamadasEmCurso.h"
#include "integracao/Configuracao.h"
#include "integracao/Relator.h"
#include "integracoes/vapora/Consultas.h"
#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/TiposTarefa.h"
#include "soap/ErrosSoap.h"

#include <QSet>

namespace {

const QString StatusTratada = QStringLiteral("1");
const QString StatusFalhou = QStringLiteral("2");
const QString StatusLimpa = QStringLiteral("3");

// How many times a row refused without a fault is posted before it fails.
constexpr int TentativasRecusaPadrao = 3;

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
    const int tentativasRecusa = TentativasRecusa();
    EsqueceRecusasQueSairamDaFila();
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
        if (ordem == 0) {
            RelataSemOrdem(ordem);
            fila.Next();
            continue;
        }
        FDados.EsqueceTrocas();
        TResultadoTarefa resultado = ProcessaTarefa(passo, ordem, tentativasRecusa);
        resultado.Registro.Conteudo = FDados.ConteudoDasTrocas();
        if (!resultado.Status) {
            ++FContexto.FalhasNoCiclo;
            FRelator.RegistraRegistro(resultado.Registro);
            return;
        }
        FRecusas.remove(ordem);
        AtualizaStatusFila(ordem, *resultado.Status);
        FRelator.RegistraRegistro(resultado.Registro);
        fila.Next();
    }
}

// ORDEM 0 (or NULL, which reads as 0) can never be marked: sending the row
// would send it again every cycle, for ever. It is said every cycle and
// counted as failed until the ERP gives it an ORDEM or clears it.
void TVapora::RelataSemOrdem(qint64 ordem)
{
    const TTarefaFila tarefa = LeTarefa(FDados.KoQuery1);
    const QString linha = QStringLiteral("Tarefa %1 - %2 sem ORDEM: não foi enviada, pois não pode ser marcada sem ORDEM.")
                              .arg(tarefa.Tipo, tarefa.Campo1);
    FRelator.AdicionaLinha(linha);
    ++FContexto.FalhasNoCiclo;
    FRelator.RegistraRegistro({TDirecaoRegistro::Saida, tarefa.Tipo, QString::number(ordem), TDesfechoRegistro::Falhou,
                               QStringLiteral("sem ORDEM")});
}

// The row's branch under its guard: what it raises fails the row alone,
// which is reported in the log pane and a message box and marked 2. A code
// of none of the kinds sends nothing and the row is only marked. A row that
// must wait (no status then: the pass ends) keeps the rows after it waiting
// too, in their order (a programme must not overtake its production order):
// the service out of reach, no knowing whether it got the call, or a
// refusal without a fault that has not yet reached TentativasRecusa.
TVapora::TResultadoTarefa TVapora::ProcessaTarefa(TPassoFila& passo, qint64 ordem, int tentativasRecusa)
{
    const TTarefaFila tarefa = LeTarefa(FDados.KoQuery1);
    TRegistroTratado registro{TDirecaoRegistro::Saida, tarefa.Tipo, QString::number(ordem), TDesfechoRegistro::Enviado, {}};
    const TTipoTarefa* tipo = TipoTarefa(tarefa.Tipo);
    if (!tipo) {
        registro.Desfecho = TDesfechoRegistro::Ignorado;
        registro.Erro = QStringLiteral("tipo de tarefa desconhecido");
        return {StatusTratada, registro};
    }
    const QString aTarefa = QStringLiteral("tarefa %1, ORDEM %2").arg(tarefa.Tipo).arg(ordem);
    bool motivoNaLinha = !tipo->MensagemComErro;
    FDados.EsqueceRespostasIncompletas();
    try {
        // Named while it runs, so that a stop that cannot wait for a call
        // that does not answer says which row it leaves (limit 0: the call
        // keeps its own, and says its own silence).
        const TChamadaAoServidor emCurso(QStringLiteral("serviço Vapora"), QStringLiteral("envio da ") + aTarefa, 0);
        tipo->Executa(passo, tarefa);
        // A 2xx status confirmed the call, whatever came after it.
        for (const QString& incompleta : FDados.RespostasIncompletas())
            FRelator.AdicionaLinha(QStringLiteral("Resposta incompleta (%1): %2. O status confirmou a chamada: a "
                                                  "tarefa fica marcada como enviada.")
                                       .arg(aTarefa, incompleta));
        return {StatusTratada, registro};
    } catch (const ESoapIncerto& e) {
        return Adia(registro, TDesfechoRegistro::Incerto, e.Message(),
                    QStringLiteral("Envio incerto (%1): %2 A tarefa fica pendente e será enviada de novo no próximo "
                                   "ciclo; consulte o serviço se ela já foi registrada. %3")
                        .arg(aTarefa, e.Message(), Aguardam()));
    } catch (const ESoapRecusa& e) {
        const int tentativa = ++FRecusas[ordem];
        if (tentativa < tentativasRecusa)
            return Adia(registro, TDesfechoRegistro::Pendente, e.Message(),
                        QStringLiteral("Tarefa recusada pelo serviço (%1), tentativa %2 de %3: %4. %5")
                            .arg(aTarefa).arg(tentativa).arg(tentativasRecusa).arg(e.Message(), Aguardam()));
        FRecusas.remove(ordem);
        registro.Erro = QStringLiteral("%1 (%2ª tentativa)").arg(e.Message()).arg(tentativa);
        motivoNaLinha = true;
    } catch (const ESoapTransporte& e) {
        return Adia(registro, TDesfechoRegistro::Pendente, e.Message(),
                    QStringLiteral("Serviço inalcançável (tarefa %1): %2 %3").arg(tarefa.Tipo, e.Message(), Aguardam()));
    } catch (const ESoapDescricaoInacessivel& e) {
        return Adia(registro, TDesfechoRegistro::Pendente, e.Message(),
                    QStringLiteral("Serviço inalcançável (tarefa %1): %2 %3").arg(tarefa.Tipo, e.Message(), Aguardam()));
    } catch (const ELoteNaoEncontrado& e) {
        registro.Erro = e.Message();
        motivoNaLinha = true;
    } catch (const std::exception& e) {
        registro.Erro = MensagemDoErro(e);
    }
    // The failure line; where the message box is all that would tell why
    // (the start permission's box shows the line alone) or the reason is the
    // row's own (a refusal, a lot that does not exist), the line says it.
    if (motivoNaLinha) {
        const QString linha = tipo->LinhaDeFalha(tarefa) + u' ' + registro.Erro;
        FRelator.AdicionaLinha(linha);
        FRelator.MostraMensagem(linha);
    } else {
        FRelator.AdicionaLinha(tipo->LinhaDeFalha(tarefa));
        FRelator.MostraMensagem(tipo->MensagemDeFalha(tarefa, registro.Erro));
    }
    FRecusas.remove(ordem);
    ++FContexto.FalhasNoCiclo;
    registro.Desfecho = TDesfechoRegistro::Falhou;
    return {StatusFalhou, registro};
}

TVapora::TResultadoTarefa TVapora::Adia(TRegistroTratado registro, TDesfechoRegistro desfecho, const QString& erro,
                                        const QString& linha)
{
    FRelator.AdicionaLinha(linha);
    registro.Desfecho = desfecho;
    registro.Erro = erro;
    return {std::nullopt, registro};
}

// "N tarefa(s) pendente(s) aguardam o próximo ciclo.": the row on which the
// queue stands and those after it.
QString TVapora::Aguardam() const
{
    const TKoQuery& fila = FDados.KoQuery1;
    return QStringLiteral("%1 tarefa(s) pendente(s) aguardam o próximo ciclo.")
        .arg(fila.RecordCount() - fila.RecNo() + 1);
}

// [Vapora] TentativasRecusa: a whole number from 1; empty or anything else
// gives 3.
int TVapora::TentativasRecusa() const
{
    bool numero = false;
    const int valor = FContexto.Configuracao.LerIni(SecaoVapora, QStringLiteral("TentativasRecusa")).toInt(&numero);
    return numero && valor >= 1 ? valor : TentativasRecusaPadrao;
}

// The count of a row that is no longer pending (cleared, or marked by
// someone else) is dropped, so the counts do not grow with the queue.
void TVapora::EsqueceRecusasQueSairamDaFila()
{
    if (FRecusas.isEmpty())
        return;
    QSet<qint64> pendentes;
    TKoQuery& fila = FDados.KoQuery1;
    for (fila.First(); !fila.Eof(); fila.Next()) {
        try {
            pendentes.insert(InteiroDe(fila, "ORDEM"));
        } catch (const Exception&) {
        }
    }
    FRecusas.removeIf([&](const auto& recusa) { return !pendentes.contains(recusa.key()); });
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
    FRecusas.clear();
    return limpas;
}

// Only a row that failed or was cleared goes back: a pending one is sent
// anyway, and a sent one (1) would be sent twice.
TResultadoReenvio TVapora::ReenviaDaFila(qint64 ordem)
{
    const std::optional<QString> status = StatusDaTarefa(ordem);
    if (!status)
        return {false, QStringLiteral("A fila não tem tarefa com ORDEM %1.").arg(ordem)};
    if (*status != StatusFalhou && *status != StatusLimpa)
        return {false, QStringLiteral("A tarefa ORDEM %1 tem STATUS %2: só tarefas que falharam (STATUS 2) ou "
                                      "foram limpas (STATUS 3) podem ser reenviadas.")
                           .arg(ordem)
                           .arg(status->isEmpty() ? QStringLiteral("vazio") : *status)};
    return ReenviaSeStatus(ordem, *status);
}

std::optional<QString> TVapora::StatusDaTarefa(qint64 ordem)
{
    TKoQuery& consulta = FDados.QryAux1;
    consulta.DefineLinhas({QStringLiteral("SELECT STATUS FROM QX_INTEGRA "), QStringLiteral("WHERE ORDEM = :ORDEM")});
    consulta.ParamByName(QStringLiteral("ORDEM")).SetAsInteger(ordem);
    consulta.Open(1);
    if (consulta.Eof()) {
        consulta.Close();
        return std::nullopt;
    }
    const TKoField& campo = consulta.FieldByName(QStringLiteral("STATUS"));
    const QString status = campo.IsNull() ? QString() : QString::number(campo.AsInteger());
    consulta.Close();
    return status;
}

// The guard is the status the row was seen with: a cycle that marked it,
// or another operator who resent it first, meanwhile wins. Both values are
// bound.
TResultadoReenvio TVapora::ReenviaSeStatus(qint64 ordem, const QString& status)
{
    TKoQuery& comando = FDados.QryExec1;
    comando.DefineLinhas({QStringLiteral("UPDATE QX_INTEGRA SET STATUS = 0 "),
                           QStringLiteral("WHERE ORDEM = :ORDEM AND STATUS = :STATUS")});
    comando.ParamByName(QStringLiteral("ORDEM")).SetAsInteger(ordem);
    comando.ParamByName(QStringLiteral("STATUS")).SetAsInteger(status.toInt());
    comando.TryExecSQL();
    const int linhas = comando.RowsAffected();
    FDados.KoDatabase1.CommitRetaining();
    if (linhas < 1)
        return {false, QStringLiteral("A tarefa ORDEM %1 mudou enquanto isso (não tem mais STATUS %2): nada foi "
                                      "alterado. Veja a fila de novo.")
                           .arg(ordem)
                           .arg(status)};
    return {true, QStringLiteral("Tarefa ORDEM %1 de volta à fila: STATUS %2 → 0; o próximo ciclo a envia.")
                      .arg(ordem)
                      .arg(status)};
}
