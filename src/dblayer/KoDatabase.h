#pragma once

#include "dblayer/KoGravaLog.h"
#include "dblayer/MapRules.h"

#include <QObject>
#include <QSqlDatabase>
#include <QStringList>

#include <atomic>
#include <memory>

class TAdaptadorConexao;
class QSqlQuery;

// What happens to an open transaction when the connection closes.
enum class TKoDisconnectAction { xdCommit, xdRollback };

struct TKoTxOptions {
    bool AutoStart = true;
    bool AutoStop = false;
    bool AutoCommit = false;
    TKoDisconnectAction DisconnectAction = TKoDisconnectAction::xdRollback;
};

// The connection every query, table and transaction of the system runs on.
// It keeps server, database, user, password and port apart and rebuilds the
// driver's parameter list from them at every opening.
//
// Driver ids and the Qt SQL driver behind each: "FB" the project's own
// Firebird driver (embedded for a local file, the server over TCP for
// host:path), "PG" QPSQL, "MSSQL" QODBC, "SQLite" QSQLITE, "Ora" QOCI.
// A database text of the form "Provider=MSDASQL.1;...;Data Source=NAME"
// names an ODBC data source and is opened through QODBC whatever the
// driver id; the driver id still decides translation and time limits.
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
    QString NmMaquina() const { return {}; }
    QString NrIP() const { return {}; }

    QString DriverName() const { return FDriverName; }
    void SetDriverName(const QString& id) { FDriverName = id; }

    // The Key=Value list handed to the driver at the last opening.
    const QStringList& Params() const { return FParams; }
    const QList<TKoMapRule>& MapRules() const { return FMapRules; }
    bool OwnMapRules() const { return FOwnMapRules; }
    TKoTxOptions TxOptions;

    bool GravaLog() const { return FGravaLog; }
    void SetGravaLog(bool valor);
    TKoGravaLog* DadosGravaLog() const { return FDadosGravaLog.get(); }

    bool Connected() const;
    void SetConnected(bool valor);
    void Open() { SetConnected(true); }
    void Close() { SetConnected(false); }

    void StartTransaction();
    void Commit();
    void Rollback();
    void CommitRetaining();
    void RollbackRetaining();
    bool InTransaction() const;

    // Makes this connection a copy of a parent connection and opens it.
    void GetDatabase(TKoCustomDatabase* pai);

    // Unattended operation: a link known to be gone, a cheap check of the
    // link before a cycle, and the end of the cycle's transaction.
    bool Perdida() const { return false; }
    void ConfereConexao() {}
    void FinalizaTransacao() {}

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
    void FechaConexaoQt();

    QString FDatabaseName;
    QString FDriverName;
    QStringList FParams;
    QList<TKoMapRule> FMapRules;
    bool FOwnMapRules = false;
    bool FGravaLog = false;
    std::unique_ptr<TKoGravaLog> FDadosGravaLog;
    QString FNomeConexao;
    quint64 FGeracao = 0;
    std::atomic<bool> FConectada = false;  // read from other threads
    std::unique_ptr<TAdaptadorConexao> FAdaptador;
};

class TKoDatabase : public TKoCustomDatabase {
    Q_OBJECT
public:
    using TKoCustomDatabase::TKoCustomDatabase;
};
