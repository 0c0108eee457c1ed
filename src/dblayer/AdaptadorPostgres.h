#pragma once

#include "dblayer/AdaptadorConexao.h"

// PostgreSQL through QPSQL. The time limit is the server's own
// statement_timeout; a failed attempt inside a transaction is undone to a
// savepoint, since PostgreSQL refuses every later statement of an aborted
// transaction.
class TAdaptadorPostgres : public TAdaptadorConexao {
public:
    void RollbackRetaining(QSqlDatabase& conexao) override;
    void EncerraTransacao(QSqlDatabase& conexao, bool confirma) override;
    bool Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto, int limiteMs,
                 QString& erro) override;

    void MarcaTentativa(QSqlDatabase& conexao) override;
    void DesfazTentativa(QSqlDatabase& conexao) override;
    void ConfirmaTentativa(QSqlDatabase& conexao) override;

private:
    void DefineStatementTimeout(QSqlDatabase& conexao, int limiteMs);
    int FTimeoutAtual = -1;  // unknown after a rollback may have undone a SET
};
