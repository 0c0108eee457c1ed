#pragma once

#include "dblayer/KoDatabase.h"
#include "dblayer/KoTable.h"
#include "monitor/ModeloFila.h"
#include "operacao/LeituraDiario.h"

#include <memory>
#include <optional>

struct TVisaoFila;

// A queue row that failed or was cleared, with the newest journal record
// of its key (what became of it, or of its last resend).
struct TTarefaReenviavel {
    QString Chave;    // ORDEM
    QVariantList Valores;
    std::optional<TLinhaHistorico> UltimoRegistro;
};

// The console's queue page: the pending rows as the queue tab shows them,
// and the rows that can be resent, newest key first.
struct TFilaConsole {
    QString Integracao;       // its caption; empty when it keeps no such queue
    TLinhasFila Pendentes;
    QStringList Colunas;      // of the rows that can be resent
    QList<TTarefaReenviavel> Reenviaveis;
    bool MaisReenviaveis = false;  // more than were read
    QString Erro;             // why the queue could not be read; empty when it was
};

// The queue tab's reading, on a thread of its own that owns the tab's
// connection: made, used and freed there, so a connection that hangs (a
// lost link, a server that does not answer, a lock another client holds)
// holds that thread and never the window's, nor the cycle's.
class TLeitorFila {
public:
    TLeitorFila();
    ~TLeitorFila();
    TLeitorFila(const TLeitorFila&) = delete;
    TLeitorFila& operator=(const TLeitorFila&) = delete;

    // Reads the queue's pending rows: the table closed, its liveness checked
    // and, when closed or lost, the connection opened again as a copy of
    // `erp`; the table opened with the view's filter, its rows copied out,
    // and no transaction left open. EDatabaseError when it cannot be read.
    //
    // Only the settings of `erp` are read, which start-up alone writes (and
    // no reading runs during start-up); the ERP's own link is not touched.
    TLinhasFila Le(const TVisaoFila& visao, TKoDatabase& erp);

    // The console's page: the pending rows (Le), then up to `limite` rows
    // that can be resent, read through the same connection with no
    // transaction left open, each with its newest record in the journal
    // `arquivoDiario` (read through a connection of this thread; a journal
    // not made yet has none). EDatabaseError when the queue cannot be read.
    TFilaConsole LeConsole(const TVisaoFila& visao, TKoDatabase& erp, const QString& integracao,
                           const QString& arquivoDiario, int limite);

    // Shut-down: the table, then the connection.
    void Fecha();

    TKoDatabase KoDatabaseFila;
    TKoTable TbFila;  // the queue table as the grid shows it

private:
    std::unique_ptr<TLeituraDiario> FDiario;  // opened at the first page that finds the file
};
