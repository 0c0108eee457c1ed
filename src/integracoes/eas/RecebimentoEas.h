#pragma once

#include "base/Erros.h"
#include "dblayer/KoQuery.h"
#include "integracoes/eas/AplicadosErp.h"
#include "integracoes/eas/TabelasHost.h"
#include "integracoes/eas/TurnoEas.h"

#include <QString>

#include <functional>
#include <optional>

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

// The end of an inbound run before its last row: a mark that failed, or a
// lost connection. Not a std::exception, so that no row's guard takes it.
struct TFimDoRecebimento {
    QString Linha;
};

// How a row's ERP work ended.
enum class TAplicacao {
    Aplicada,    // committed with its number: mark it read
    JaAplicada,  // its number was there: mark it read, apply nothing
    Recusada,    // data that can never apply (a date that is no date): mark it read
    Pendente,    // nothing written: leave it unread for the next cycle
};

// RecebeDoEas: the kitchen's unread events in FTOHOST applied to the ERP one
// record type at a time (consumptions 89 and 82 when stock is on, then lot
// start 80, lot end 81, machine change 92, queue position 95), each row
// marked read as its type says. A row's effects on the ERP and its number
// (AplicadosErp.h) are committed in one ERP transaction before the row is
// marked, and a row whose number is there already is only marked. A row
// that fails is reported with its pass's error line and the run goes on with
// the next row and the later passes; a failed ERP statement leaves the row
// unread. A mark that fails, or a lost connection, ends the run there with a
// line: the rows left are read again in the next cycle.
class TRecebimentoEas {
public:
    explicit TRecebimentoEas(TDadosEas& dados);

    void RecebeDoEas();

private:
    void PreparaComandos();
    void Passos();
    bool PreparaConsumos();
    bool Seleciona(const QString& tipo);
    // Marks the current row read; a mark that fails ends the run.
    void Marca(bool comRegistro, std::optional<TDesfechoRegistro> desfecho = {});
    // Ends the run when either connection has been lost.
    void ConfereConexoes();
    // Whether the current row's number is in the ERP already; none, with a
    // line, when that cannot be read (the row stays unread).
    std::optional<bool> JaAplicada();
    // Records the current row's number and commits the ERP transaction
    // that holds its effects.
    void ConfirmaAplicacao();
    void PassoConsumo(const QString& tipo);
    TAplicacao AplicaConsumo(const QString& tipo);
    void PassoDeLote(const TPassoDeLote& passo);
    TAplicacao AplicaNoLote(const TPassoDeLote& passo, const QString& fal, const QString& maquina);
    void Passo80();
    void Passo81();
    void AplicaFim(const QString& fal, const QString& maquina);
    void Passo92();
    void Passo95();

    TDadosEas& FDados;
    TLeituraHost FHost;
    TAplicadosErp FAplicados;
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
