#pragma once

#include "dblayer/KoGravaLog.h"
#include "dblayer/MapRules.h"

#include <QObject>
#include <QSqlDatabase>
#include <QStringList>

#include <atomic>
#include <memory>

class TAdaptadorConexao;

// The connection every query and table of the system runs on. It keeps
// server, database, user, password and port apart and rebuilds the driver's
// parameter list from them at every opening.
//
// Driver ids and the Qt SQL driver behind each: "FB" the project's own
// Firebird driver (embedded for a local file, the server over TCP for
// host:path), "PG" QPSQL, "MSSQL" QODBC (a connection string for the SQL
// Server ODBC driver, built from host, port, database, user and password),
// "SQLite" QSQLITE, "Ora" QOCI. A database text of the form
// "Provider=MSDASQL.1;...;Data Source=NAME" names an ODBC data source and is
// opened through QODBC whatever the driver id; the driver id still decides
// translation and time limits.
//
// Transactions: opening starts none. The first statement of a query starts
// one; CommitRetaining and RollbackRetaining keep it open for the next
// statements; FinalizaTransacao ends it, so that between two cycles of the
// monitor the connection holds nothing on the server.
class TKoCustomDatabase : public QObject {
    Q_OBJECT
public:
    explicit TKoCustomDatabase(QObject* owner = nullptr);
    ~TKoCustomDatabase() override;

    // Combined text "host:database"; assigning it splits it.
    QString DatabaseName() const { return FDatabaseName; }
    void SetDatabaseName(const QString& valor);

    QString HostName;
    QString Database;
    QString User;
    QString Password;
    QString NmUsuario;
    int Port = 0;
    // The ODBC driver that serves "MSSQL" (as registered in odbcinst.ini);
    // empty for the machine's default, FreeTDS.
    QString DriverOdbc;

    QString DriverName() const { return FDriverName; }
    void SetDriverName(const QString& id) { FDriverName = id; }

    // The Key=Value list handed to the driver at the last opening.
    const QStringList& Params() const { return FParams; }
    const QList<TKoMapRule>& MapRules() const { return FMapRules; }
    bool OwnMapRules() const { return FOwnMapRules; }

    bool GravaLog() const { return FGravaLog; }
    void SetGravaLog(bool valor);
    TKoGravaLog* DadosGravaLog() const { return FDadosGravaLog.get(); }

    // True while the server connection is open. Safe from any thread.
    bool Connected() const { return FConectada.load(); }
    void SetConnected(bool valor);
    void Open() { SetConnected(true); }
    // Closes, rolling back an open transaction. A lost connection is only
    // dropped, with its prepared statements: no rollback is attempted.
    void Close() { SetConnected(false); }

    // True when the link to the server is known to be gone: a statement,
    // commit, rollback or ConfereConexao failed with a connection-level
    // error. Cleared by the next successful opening. Safe from any thread.
    bool Perdida() const { return FPerdida.load(); }
    // A cheap liveness check, meant once per connection before each cycle:
    // one trivial round trip under a short time limit, outside any
    // transaction; a failure marks the connection Perdida (and raises
    // nothing). A closed connection is left as it is.
    void ConfereConexao();

    // Commits (rolls back) the open transaction and keeps a transaction open
    // for the next statements; without an open transaction there is nothing
    // to do. EDatabaseError when closed or on failure.
    void CommitRetaining();
    void RollbackRetaining();
    bool InTransaction() const;
    // Ends the open transaction, if any: a hard commit when nothing was
    // written since the last commit, a hard rollback when a write was left
    // uncommitted (so that no later commit can publish it). Afterwards the
    // connection holds no transaction on the server. EDatabaseError on
    // failure.
    void FinalizaTransacao();
    // A statement that may have written ran since the last commit or rollback.
    bool EscritaPendente() const { return FEscritaPendente; }

    // A simulated cycle (quelix --simula): while it is on, a commit and the
    // end of a transaction do nothing, so that everything the cycle writes
    // stays in one transaction, which DesfazSimulacao then rolls back. A
    // rollback still rolls back (a record that fails undoes what was
    // written on the connection before it in the simulation).
    void IniciaSimulacao() { FSimulacao = true; }
    void DesfazSimulacao();
    bool Simulacao() const { return FSimulacao; }

    // Makes this connection a copy of a parent connection and opens it.
    void GetDatabase(TKoCustomDatabase* pai);

    // For the query and table components: start the transaction when none
    // is open; note a statement that may write.
    void GaranteTransacao();
    void MarcaEscrita() { FEscritaPendente = true; }

    // The Qt connection (valid while open) and its driver-specific helper.
    QSqlDatabase Conexao() const;
    TAdaptadorConexao& Adaptador() const;
    // Counts the openings, so a query knows its prepared statement belongs
    // to an attachment that is gone.
    quint64 Geracao() const { return FGeracao; }

signals:
    // Emitted before the Qt connection closes: queries drop their statements.
    void AntesDeFechar();

private:
    void MontaParams();
    void InstalaMapRules();
    void AbreConexaoQt();
    void RecusaUsuarioLongoNoFirebird() const;
    void FechaConexaoQt();

    QString FDatabaseName;
    QString FDriverName;
    bool FSimulacao = false;
    QStringList FParams;
    QList<TKoMapRule> FMapRules;
    bool FOwnMapRules = false;
    bool FGravaLog = false;
    std::unique_ptr<TKoGravaLog> FDadosGravaLog;
    QString FNomeConexao;
    quint64 FGeracao = 0;
    bool FEscritaPendente = false;
    std::atomic<bool> FConectada{false};
    std::atomic<bool> FPerdida{false};
    std::unique_ptr<TAdaptadorConexao> FAdaptador;
};

class TKoDatabase : public TKoCustomDatabase {
    Q_OBJECT
public:
    using TKoCustomDatabase::TKoCustomDatabase;
};
