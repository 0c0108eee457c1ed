#pragma once

#include "dblayer/AdaptadorConexao.h"

// ODBC data sources through QODBC. The time limit is ODBC's own query
// timeout, set on the connection (for statements sent directly) and on a
// prepared statement; the driver cancels the statement when it runs out.
class TAdaptadorOdbc : public TAdaptadorConexao {
public:
    bool Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto, int limiteMs,
                 QString& erro) override;

private:
    void DefineTimeoutDaConexao(QSqlDatabase& conexao, int segundos);
    int FSegundosDaConexao = 0;
};
