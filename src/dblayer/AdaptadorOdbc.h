#pragma once

#include "dblayer/AdaptadorConexao.h"
#include "dblayer/VigiaTempoLimite.h"

#include <atomic>
#include <memory>

// ODBC data sources through QODBC. The time limit is ODBC's own query
// timeout, set on the connection (for statements sent directly) and on a
// prepared statement; the driver cancels the statement when it runs out.
// The SQLite driver has no query timeout: it gives up waiting on a lock at
// the busy limit the connection opened with (see ConexaoQt), and its "busy"
// errors are the time limit's. A lost link shows as an SQLSTATE of class 08
// (or, from PostgreSQL's driver, the server's own shutdown states).
//
// A PostgreSQL server that stops answering without closing (frozen, or a
// network that drops every packet) is bounded by none of the driver's own
// means: its query timeout is the server's statement_timeout, a cancel goes
// to the server's postmaster, which answers nothing either, the connection
// timeout is not supported, and TCP keepalives and tcp_user_timeout are
// answered by the server's kernel. So, as for the native driver, every call
// that reaches such a server runs under a watchdog that, past the call's
// limit and a margin, shuts down the connection's socket: the driver fails
// the call with a connection-class SQLSTATE (08S01) and the link counts as
// lost. The socket is found at the opening, by the client port the server
// sees (inet_client_port); where it cannot be found (a Unix socket, a proxy
// in between) nothing is cut and the monitor only names the call that waits.
class TAdaptadorOdbc : public TAdaptadorConexao {
public:
    // `driverId`: the connection's driver id, whose statement limit bounds
    // the calls made outside a statement (commit, rollback).
    TAdaptadorOdbc(std::atomic<bool>& perdida, const QString& driverId);
    ~TAdaptadorOdbc() override;

    void AoAbrir(QSqlDatabase& conexao) override;
    void IniciaTransacao(QSqlDatabase& conexao) override;
    void EncerraTransacao(QSqlDatabase& conexao, bool confirma) override;
    void VigiaChamada(QSqlDatabase& /*conexao*/, int limiteMs, const std::function<void()>& chamada) override
    {
        SobVigia(limiteMs, chamada);
    }
    bool Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto, int limiteMs,
                 QString& erro) override;
    void DefineLimite(QSqlDatabase& conexao, int limiteMs) override;
    void ConfereConexao(QSqlDatabase& conexao, const QString& driverId, int limiteMs) override;

protected:
    bool FalhaDeConexao(QSqlDatabase& conexao, const QSqlError& erro,
                        const QSqlQuery* comando) const override;

private:
    void DefineTimeoutDaConexao(QSqlDatabase& conexao, int segundos);
    bool EsperaDeTravaEsgotada(const QSqlQuery& comando) const;
    void AchaSocketDoPostgres(QSqlDatabase& conexao);
    // Runs one call that reaches the server under the watchdog (when the
    // socket is known): the link is cut `limiteMs` plus the margin after it
    // starts (0: no limit).
    void SobVigia(int limiteMs, const std::function<void()>& chamada);
    void CortaConexao();

    QString FDriverId;
    QString FSistema;  // the DBMS behind the data source, as the driver names it
    int FSegundosDaConexao = 0;
    // The connection's TCP socket and its two ports, checked again before
    // the cut: once the driver has closed a socket its number can be
    // another connection's.
    std::atomic<int> FSocket{-1};
    int FPortaLocal = 0;
    int FPortaServidor = 0;
    std::unique_ptr<VigiaTempoLimite> FVigia;
};
