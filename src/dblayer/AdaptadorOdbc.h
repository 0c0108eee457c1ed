#pragma once

#include "dblayer/AdaptadorConexao.h"

// ODBC data sources through QODBC. The time limit is ODBC's own query
// timeout, set on the connection (for statements sent directly) and on a
// prepared statement; the driver cancels the statement when it runs out.
// The SQLite driver has no query timeout: it gives up waiting on a lock at
// the busy limit the connection opened with (see ConexaoQt), and its "busy"
// errors are the time limit's. A lost link shows as an SQLSTATE of class 08
// (or, from PostgreSQL's driver, the server's own shutdown states).
class TAdaptadorOdbc : public TAdaptadorConexao {
public:
    using TAdaptadorConexao::TAdaptadorConexao;

    void AoAbrir(QSqlDatabase& conexao) override;
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

    QString FSistema;  // the DBMS behind the data source, as the driver names it
    int FSegundosDaConexao = 0;
};
