#pragma once

#include "integracao/Verificacao.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class TConfiguracao;
class TKoDatabase;
class TRelator;

// What the monitor lends an integration: the ERP connection (KoDatabase1),
// the reporting interface and the configuration file. The integration runs
// on the cycle's thread, which owns the ERP connection and the integration's
// own connections; the reporting interface may be called from there.
struct TContextoIntegracao {
    TKoDatabase& KoDatabase1;
    TRelator& Relator;
    const TConfiguracao& Configuracao;
    // Records (lots, rows, tasks) whose failure a cycle reported and left for
    // the next one: each integration adds its own; the monitor resets it
    // before every cycle.
    int FalhasNoCiclo = 0;
};

// The queue an integration may keep in the ERP: the window's queue tab shows
// its pending rows (a table and a row filter, read through a connection of
// the window's own), "Limpar fila" clears it, and the console's queue page
// also lists the rows that can be resent.
struct TVisaoFila {
    QString Tabela;
    QString Filtro;
    // The column that names a row, and the rows a "Reenviar" takes back
    // (failed or cleared), when the queue keeps them; empty otherwise.
    QString Chave = {};
    QString FiltroReenviaveis = {};
};

// What a "Reenviar" did: whether the row went back to pending, and the
// sentence that says so or says why not.
struct TResultadoReenvio {
    bool Feito = false;
    QString Texto;
};

// One machine type. The monitor knows the integrations only through this
// interface; the composition root (src/app) is the only place that names
// them. Every operation but the queries of the selector (Indice, Legenda,
// VisaoFila) runs on the cycle's thread.
class TIntegracao {
public:
    virtual ~TIntegracao() = default;

    // Its place in the type selector and the model digit of QX.ini that
    // starts it; and its caption there.
    virtual int Indice() const = 0;
    virtual QString Legenda() const = 0;

    // Start-up when QX.ini names this model: reads its keys and opens the
    // connections it needs. A connection that does not open is reported and
    // start-up goes on; an error that escapes skips the rest of start-up.
    virtual void Inicia() {}

    // The two operations of a polling cycle, first then second. Each guards
    // its own records; what escapes ends the cycle.
    virtual void PrimeiraOperacao() = 0;
    virtual void SegundaOperacao() = 0;

    // The connections of its own that its cycle uses (the ERP connection is
    // the monitor's): the monitor reopens them before a cycle when they are
    // closed or lost, and ends their transactions after it. Only those that
    // start-up configured.
    virtual QList<TKoDatabase*> Conexoes() { return {}; }

    // Shut-down: closes its connections.
    virtual void Encerra() {}

    // Its queue, when it has one: the rows the queue tab shows, and "Limpar
    // fila". The question that decides whether the queue is cleared is asked
    // first, on the window's thread and before any work is posted, so the
    // cycle's thread never waits on the window; true to go on. LimpaFila then
    // runs on the cycle's thread and says how many rows it cleared.
    virtual const TVisaoFila* VisaoFila() const { return nullptr; }
    virtual bool ConfirmaLimpaFila(TRelator& relator) const
    {
        (void)relator;
        return true;
    }
    virtual int LimpaFila() { return 0; }
    // "Reenviar": the row of its queue with that key, which failed or was
    // cleared, goes back to pending, so that the next cycle sends it. Only
    // a queue that keeps such rows has it; the others answer that there is
    // nothing to resend. On the cycle's thread, like LimpaFila.
    virtual TResultadoReenvio ReenviaDaFila(qint64 chave)
    {
        (void)chave;
        return {false, QStringLiteral("A integração %1 não tem fila com tarefas a reenviar.").arg(Legenda())};
    }

    // Commissioning (quelix --verifica), after Inicia. Its keys of QX.ini,
    // each checked as its start-up reads it.
    virtual void VerificaChaves(TVerificacao& verificacao) const { (void)verificacao; }
    // What it needs beyond the databases (the services it calls).
    virtual void VerificaServicos(TVerificacao& verificacao) { (void)verificacao; }
    // A statement of the catalogue as this site's configuration makes it
    // (the catalogue keeps the texts the tests sent, with no schema).
    virtual QString ComandoDoSite(const QString& texto) const { return texto; }
    // Indexes its passes need on tables it does not own.
    virtual QList<TIndiceNecessario> IndicesNecessarios() { return {}; }
    // Tables of its own that it needs in databases it does not own.
    virtual QList<TTabelaPropria> TabelasProprias() { return {}; }

    // A simulated cycle (quelix --simula) starts (true) or ends: calls it
    // makes outside the databases (the services) are reported through the
    // reporting interface, as they would go out, and not made. Its
    // databases' work is undone by the monitor.
    virtual void DefineSimulacao(bool simula) { (void)simula; }
};

// How the composition root hands the integrations to the monitor: one
// factory each, called once on the cycle's thread.
using TFabricaIntegracao = std::function<std::unique_ptr<TIntegracao>(TContextoIntegracao&)>;
using TFabricasIntegracao = QList<TFabricaIntegracao>;
