#pragma once

#include "dblayer/AdaptadorConexao.h"
#include "dblayer/VigiaTempoLimite.h"

#include <atomic>
#include <functional>
#include <memory>

// PostgreSQL through QPSQL. The session works in the machine's time zone, as
// the other drivers read date-times: Qt sends a date-time as UTC, and the
// server turns it into a timestamp without zone in the session's zone. The
// time limit is the server's own
// statement_timeout; a failed attempt inside a transaction is undone to a
// savepoint, since PostgreSQL refuses every later statement of an aborted
// transaction. A lost link shows as a connection-class SQLSTATE (08...), an
// administrator's shutdown (57P01 to 57P03), or an error libpq raised itself
// without any SQLSTATE (the server closed the connection, no connection).
// A server that stops answering without closing (frozen, or a network that
// drops every packet) runs no limit of its own: every call that reaches it
// runs under a watchdog that, past the call's limit and a margin, shuts the
// connection's socket down, so that libpq returns and the link counts as lost.
class TAdaptadorPostgres : public TAdaptadorConexao {
public:
    using TAdaptadorConexao::TAdaptadorConexao;

    void AoAbrir(QSqlDatabase& conexao) override;
    void IniciaTransacao(QSqlDatabase& conexao) override;
    void CommitRetaining(QSqlDatabase& conexao) override;
    void RollbackRetaining(QSqlDatabase& conexao) override;
    void EncerraTransacao(QSqlDatabase& conexao, bool confirma) override;
    bool Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto, int limiteMs,
                 QString& erro) override;
    void DefineLimite(QSqlDatabase& conexao, int limiteMs) override;
    QString MensagemDaFalha(QSqlDatabase& conexao, const QSqlQuery& comando) override;
    void ConfereConexao(QSqlDatabase& conexao, const QString& driverId, int limiteMs) override;
    void VigiaChamada(QSqlDatabase& conexao, int limiteMs, const std::function<void()>& chamada) override
    {
        SobVigia(conexao, limiteMs, chamada);
    }

    void MarcaTentativa(QSqlDatabase& conexao) override;
    void DesfazTentativa(QSqlDatabase& conexao) override;
    void ConfirmaTentativa(QSqlDatabase& conexao) override;

protected:
    bool FalhaDeConexao(QSqlDatabase& conexao, const QSqlError& erro,
                        const QSqlQuery* comando) const override;

private:
    void ExecutaInterno(QSqlDatabase& conexao, const QString& sql);
    // Runs one call that reaches the server under the watchdog: the link is
    // cut `limiteMs` plus the margin after it starts (0: no limit).
    void SobVigia(QSqlDatabase& conexao, int limiteMs, const std::function<void()>& chamada);
    void CortaConexao();

    std::unique_ptr<VigiaTempoLimite> FVigia;
    std::atomic<int> FSocket{-1};  // of the call being watched
    int FTimeoutAtual = -1;  // unknown after a rollback may have undone a SET
    // The savepoint of the last attempt that succeeded is released together
    // with the next attempt's, in one round trip.
    bool FbSavepointPendente = false;
    // An attempt that is the transaction's first statement needs no
    // savepoint: undoing the whole transaction undoes just the attempt.
    bool FbComandoNaTransacao = false;
    bool FbTentativaSemSavepoint = false;
};
