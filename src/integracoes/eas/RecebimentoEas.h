#pragma once

#include "base/Erros.h"
#include "dblayer/KoQuery.h"
#include "integracoes/eas/TabelasHost.h"
#include "integracoes/eas/TurnoEas.h"

#include <QString>

#include <functional>

class TDadosEas;

// A pass whose rows name a lot in field 1 (80, 81, 92).
// A row that could not be applied for want of an ERP lookup (the shift,
// say): nothing was written, and the row stays unread for the next cycle.
class ERegistroAdiado : public Exception {
public:
    using Exception::Exception;
};

struct TPassoDeLote {
    QString Tipo;
    int CampoMaquina;     // the field of the machine its lines show
    bool ExigeCampo2;     // a blank field 2 is ignored too
    bool RegistroNoErro;  // DATOS in the error line and in the marking's
    // Sets and runs the row's statements; the pass commits them.
    std::function<void(const QString& fal, const QString& maquina)> Aplica;
};

// RecebeDoEas: the kitchen's unread events in FTOHOST applied to the ERP one
// record type at a time (consumptions 89 and 82 when stock is on, then lot
// start 80, lot end 81, machine change 92, queue position 95), each row
// marked read as its type says. A row that fails is reported with its
// pass's error line and the run goes on with the next row, the later passes
// and the export; a pass whose rows cannot be read is reported and skipped.
class TRecebimentoEas {
public:
    explicit TRecebimentoEas(TDadosEas& dados);

    void RecebeDoEas();

private:
    void PreparaComandos();
    bool PreparaConsumos();
    bool Seleciona(const QString& tipo);
    void PassoConsumo(const QString& tipo);
    // False when the row could not be prepared (it stays unread).
    bool AplicaConsumo(const QString& tipo);
    void ExecutaConsumo(TKoQuery& comando, const QString& tipo, const QString& parte,
                        const QString& identificacao, const QString& nrecno);
    void PassoDeLote(const TPassoDeLote& passo);
    // False when the row is to stay unread (ERegistroAdiado).
    bool AplicaNoLote(const TPassoDeLote& passo, const QString& fal, const QString& maquina);
    void Passo80();
    void Passo81();
    void AplicaFim(const QString& fal, const QString& maquina);
    void Passo92();
    void Passo95();

    TDadosEas& FDados;
    TLeituraHost FHost;
    TKoQuery FBaixa;         // stock decrement
    TKoQuery FMovimento;     // movement insert
    TKoQuery FCusto;         // cost lookup
    TKoQuery FProcesso;      // process rows of passes 80 and 81
    TKoQuery FMaquinaFal;    // lot machine change
    TKoQuery FPosicaoFal;    // lot queue position
    TKoQuery FMaquinaProg;   // machine programme change
    TBuscaTurno FTurno;
    QString FDeposito;
    qint64 FContador = 1;    // ORDEM of the next stock movement
};
