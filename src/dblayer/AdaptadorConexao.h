#pragma once

#include <functional>

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <atomic>

class QSqlQuery;

// What differs between the Qt SQL drivers under a connection: how a
// transaction is kept open across commits, how a statement is held to a
// time limit, how an attempt is undone without losing the transaction, how
// the link to the server is checked and how a lost link shows in an error.
class TAdaptadorConexao {
public:
    // `perdida` is the connection's flag, set when a failure shows that the
    // link to the server is gone.
    explicit TAdaptadorConexao(std::atomic<bool>& perdida) : FPerdida(perdida) {}
    virtual ~TAdaptadorConexao() = default;

    // Right after the Qt connection opened.
    virtual void AoAbrir(QSqlDatabase&) {}

    virtual void IniciaTransacao(QSqlDatabase& conexao);
    virtual void CommitRetaining(QSqlDatabase& conexao);
    virtual void RollbackRetaining(QSqlDatabase& conexao);
    // Ends the transaction with a hard commit or rollback. A commit that
    // fails is followed by a rollback, so that no transaction stays open;
    // the commit's error is raised.
    virtual void EncerraTransacao(QSqlDatabase& conexao, bool confirma);

    // Runs the statement: the prepared one, or `textoDireto` when given (a
    // statement without parameters goes to the server in one call). A
    // statement cut by the time limit fails with a message containing
    // "TIMEOUT EXPIRED". Returns false on failure, with the message in `erro`.
    virtual bool Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto,
                         int limiteMs, QString& erro);
    // The time limit of the statements run on the connection outside
    // Executa (the table component's), in milliseconds; 0 for none.
    virtual void DefineLimite(QSqlDatabase&, int /*limiteMs*/) {}
    // Runs a call that reaches the server (a statement's preparation) under
    // what bounds the driver's calls beyond the server's own limits; the
    // default adds nothing. `limiteMs` 0: no limit.
    virtual void VigiaChamada(QSqlDatabase& /*conexao*/, int /*limiteMs*/, const std::function<void()>& chamada)
    {
        chamada();
    }

    // One trivial round trip to the server under the limit, leaving no
    // transaction behind. EDatabaseError when it fails.
    virtual void ConfereConexao(QSqlDatabase& conexao, const QString& driverId, int limiteMs);

    // Marks a point the next attempt can go back to (PostgreSQL aborts the
    // whole transaction on a failed statement otherwise).
    virtual void MarcaTentativa(QSqlDatabase&) {}
    virtual void DesfazTentativa(QSqlDatabase&) {}
    virtual void ConfirmaTentativa(QSqlDatabase&) {}

    // Notes a failure of the Qt SQL layer on this connection (of `comando`
    // when given): one that shows the link is gone marks the connection lost.
    void RegistraFalha(QSqlDatabase& conexao, const QSqlError& erro, const QSqlQuery* comando = nullptr);
    // Notes the failure of running or fetching `comando` and gives its
    // message; one cut by the time limit contains "TIMEOUT EXPIRED".
    virtual QString MensagemDaFalha(QSqlDatabase& conexao, const QSqlQuery& comando);

    bool EmTransacao() const { return FEmTransacao; }

protected:
    // SQLSTATEs that mean the link to the server is gone: the connection
    // exception class (08...) and PostgreSQL's shutdown states (57P01 to
    // 57P03), which its ODBC driver passes on as they are.
    static bool EstadoDeConexaoPerdida(const QString& sqlstate);
    // Whether the failure means the link to the server is gone. By default,
    // the driver's own classification.
    virtual bool FalhaDeConexao(QSqlDatabase& conexao, const QSqlError& erro,
                                const QSqlQuery* comando) const;
    // Raises EDatabaseError "acao: message" when `ok` is false, after noting
    // the connection's last error.
    void Exige(bool ok, QSqlDatabase& conexao, const QString& acao);
    // Runs `sql` directly and reads its row, for the liveness check.
    void ConfereComConsulta(QSqlDatabase& conexao, const QString& sql, int limiteMs);
    static bool Roda(QSqlQuery& comando, const QString* textoDireto);

    bool FEmTransacao = false;

private:
    std::atomic<bool>& FPerdida;
};
