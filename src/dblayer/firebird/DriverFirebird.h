#pragma once

#include <QSqlDriver>

#include <memory>

class ConexaoFirebird;

// Qt SQL driver over the Firebird 3 client library (driver id "FB").
//
// An empty host opens the database file in-process (embedded engine); a host
// reaches the server over TCP. Transactions are read committed with record
// versions and lock waits; statements run outside a transaction are
// committed right after. Adds what the stock driver lacks: commit and
// rollback retaining, cancelling the statement in progress from another
// thread, a time limit per statement, and exact scaled numerics.
class DriverFirebird : public QSqlDriver {
    Q_OBJECT
public:
    explicit DriverFirebird(QObject* parent = nullptr);
    ~DriverFirebird() override;

    bool hasFeature(DriverFeature funcionalidade) const override;
    bool open(const QString& banco, const QString& usuario, const QString& senha, const QString& host,
              int porta, const QString& opcoes) override;
    void close() override;
    QSqlResult* createResult() const override;

    bool beginTransaction() override;
    bool commitTransaction() override;
    bool rollbackTransaction() override;

    QStringList tables(QSql::TableType tipo) const override;
    QSqlRecord record(const QString& tabela) const override;
    QSqlIndex primaryIndex(const QString& tabela) const override;
    QString escapeIdentifier(const QString& identificador, IdentifierType tipo) const override;
    QString formatValue(const QSqlField& campo, bool aparaTextos = false) const override;

    // Commits or rolls back the open transaction and keeps its context open
    // for the next statements. Without an open transaction there is nothing
    // to do and both succeed.
    bool commitRetaining();
    bool rollbackRetaining();
    // True while a transaction begun by beginTransaction() is open.
    bool emTransacao() const;

    // Cancels the statement running on this connection; callable from any
    // thread. The statement fails with the server's cancel error.
    void cancelaOperacao();
    // Time limit of each statement executed or fetched from now on, in
    // milliseconds; 0 removes it.
    void defineTempoLimite(int milissegundos);
    // True when the last statement failed because the time limit cancelled it.
    bool ultimoExcedeuTempo() const;
    // One round trip to the server (an information call, no transaction),
    // cancelled past the limit. False, with lastError() set, when it fails.
    bool confereConexao(int milissegundos);

private:
    std::shared_ptr<ConexaoFirebird> m_conexao;
};
