#pragma once

#include "integracao/Integracao.h"
#include "integracao/Relator.h"
#include "integracoes/vapora/ComponentesVapora.h"

#include <QHash>
#include <QString>

#include <optional>

class TRelator;
struct TPassoFila;
struct TTarefaFila;

// The Vapora web services: the ERP fills the queue QX_INTEGRA, and each
// cycle sends its pending rows, one call of one of the nine services each,
// and marks every row with its outcome (1 handled, 2 failed). One cycle
// runs SelecionaFila, then ProcessaFila, on the cycle's thread, where the
// service calls are made too. Selector index 1, model "1" of QX.ini.
class TVapora : public TIntegracao {
public:
    explicit TVapora(TContextoIntegracao& contexto);

    int Indice() const override { return 1; }
    QString Legenda() const override { return QStringLiteral("Vapora"); }
    // Sets the nine service locations from [Vapora].
    void Inicia() override { ConfiguraVapora(); }
    void PrimeiraOperacao() override { SelecionaFila(); }
    void SegundaOperacao() override { ProcessaFila(); }
    void Encerra() override;
    // The queue tab shows the rows whose STATUS is 0.
    const TVisaoFila* VisaoFila() const override { return &FVisaoFila; }
    // "Limpar fila": after the user's Yes, every pending row gets STATUS 3.
    bool ConfirmaLimpaFila(TRelator& relator) const override;
    int LimpaFila() override;
    // "Reenviar": the row of that ORDEM with STATUS 2 (failed) or 3
    // (cleared) goes back to 0, so the next cycle sends it. A row in any
    // other status is left as it is, and the answer says why.
    TResultadoReenvio ReenviaDaFila(qint64 ordem) override;
    // Its two halves. The STATUS of the row of that ORDEM as it is now
    // ("" for NULL); none when the queue has no such row.
    std::optional<QString> StatusDaTarefa(qint64 ordem);
    // STATUS back to 0 where the row still has `status` (2 or 3), and
    // committed; a row that changed since it was read is not touched.
    TResultadoReenvio ReenviaSeStatus(qint64 ordem, const QString& status);
    void VerificaChaves(TVerificacao& verificacao) const override;
    void VerificaServicos(TVerificacao& verificacao) override;
    QList<TIndiceNecessario> IndicesNecessarios() override;
    void DefineSimulacao(bool simula) override;

    void ConfiguraVapora();

    // Leaves the pending rows of the queue open in KoQuery1.
    void SelecionaFila();
    // Sends each row open in KoQuery1 and marks it; a row that fails is
    // reported, marked 2 and counted, and the pass goes on. A row without
    // ORDEM is never sent (it could never be marked): a line, counted as
    // failed, and the pass goes on. When a service cannot be reached, when
    // it is not known whether it got the call, or when it refused the row
    // without a fault fewer than TentativasRecusa times, that row and the
    // rest stay pending for the next cycle, in their order, and the pass
    // ends with one line.
    void ProcessaFila();
    // Sets the status of the queue rows of that ORDEM that are still
    // pending, and commits; nothing for ORDEM 0.
    void AtualizaStatusFila(qint64 ordem, const QString& status);

    TComponentesVapora& Dados() { return FDados; }

private:
    // What became of one row: the status it is marked with (none when it
    // stays pending) and the record the journal keeps.
    struct TResultadoTarefa {
        std::optional<QString> Status;
        TRegistroTratado Registro;
    };
    TResultadoTarefa ProcessaTarefa(TPassoFila& passo, qint64 ordem, int tentativasRecusa);
    TResultadoTarefa Adia(TRegistroTratado registro, const QString& desfecho, const QString& erro,
                          const QString& linha);
    void RelataSemOrdem(qint64 ordem);
    int TentativasRecusa() const;
    void EsqueceRecusasQueSairamDaFila();
    QString Aguardam() const;

    // The refusals without a fault of each pending row (by ORDEM) so far,
    // kept from cycle to cycle while the monitor runs; a row is failed at
    // the TentativasRecusa-th.
    QHash<qint64, int> FRecusas;

    TContextoIntegracao& FContexto;
    TRelator& FRelator;
    TComponentesVapora FDados;
    const TVisaoFila FVisaoFila{QStringLiteral("QX_INTEGRA"), QStringLiteral("STATUS = 0"), QStringLiteral("ORDEM"),
                                QStringLiteral("STATUS = 2 OR STATUS = 3")};
};
