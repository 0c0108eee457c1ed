#pragma once

#include <QSqlDatabase>
#include <QString>

class QSqlQuery;

// What differs between the Qt SQL drivers under a connection: how a
// transaction is kept open across commits, how a statement is held to a
// time limit, how an attempt is undone without losing the transaction.
class TAdaptadorConexao {
public:
    virtual ~TAdaptadorConexao() = default;

    virtual void IniciaTransacao(QSqlDatabase& conexao);
    virtual void CommitRetaining(QSqlDatabase& conexao);
    virtual void RollbackRetaining(QSqlDatabase& conexao);
    virtual void EncerraTransacao(QSqlDatabase& conexao, bool confirma);

    // Runs the statement: the prepared one, or `textoDireto` when given (a
    // statement without parameters goes to the server in one call). A
    // statement cut by the time limit fails with a message containing
    // "TIMEOUT EXPIRED". Returns false on failure, with the message in `erro`.
    virtual bool Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto,
                         int limiteMs, QString& erro);

    // Marks a point the next attempt can go back to (PostgreSQL aborts the
    // whole transaction on a failed statement otherwise).
    virtual void MarcaTentativa(QSqlDatabase&) {}
    virtual void DesfazTentativa(QSqlDatabase&) {}
    virtual void ConfirmaTentativa(QSqlDatabase&) {}

    bool EmTransacao() const { return FEmTransacao; }

protected:
    static QString TextoDoErro(const QSqlQuery& comando);
    static bool Roda(QSqlQuery& comando, const QString* textoDireto);
    bool FEmTransacao = false;
};
