#pragma once

#include "dblayer/AdaptadorConexao.h"

// Firebird through the project's own driver: a read-committed transaction
// kept open across native commits retaining, a watchdog that cancels a
// statement (or a lock wait) past its time limit, and an information call
// as the liveness check.
class TAdaptadorFirebird : public TAdaptadorConexao {
public:
    using TAdaptadorConexao::TAdaptadorConexao;

    void IniciaTransacao(QSqlDatabase& conexao) override;
    void CommitRetaining(QSqlDatabase& conexao) override;
    void RollbackRetaining(QSqlDatabase& conexao) override;
    void EncerraTransacao(QSqlDatabase& conexao, bool confirma) override;
    bool Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto, int limiteMs,
                 QString& erro) override;
    void DefineLimite(QSqlDatabase& conexao, int limiteMs) override;
    QString MensagemDaFalha(QSqlDatabase& conexao, const QSqlQuery& comando) override;
    void ConfereConexao(QSqlDatabase& conexao, const QString& driverId, int limiteMs) override;
};
