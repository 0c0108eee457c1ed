#pragma once

#include "dblayer/AdaptadorConexao.h"

// Firebird through the project's own driver: a read-committed transaction
// kept open across native commits retaining, and a watchdog that cancels a
// statement (or a lock wait) past its time limit.
class TAdaptadorFirebird : public TAdaptadorConexao {
public:
    void IniciaTransacao(QSqlDatabase& conexao) override;
    void CommitRetaining(QSqlDatabase& conexao) override;
    void RollbackRetaining(QSqlDatabase& conexao) override;
    bool Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto, int limiteMs,
                 QString& erro) override;
};
