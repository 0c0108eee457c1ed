#pragma once

#include "dblayer/AdaptadorConexao.h"

#include <memory>

class VigiaTempoLimite;

// ODBC data sources through QODBC. The time limit is a watchdog that
// cancels the running statement with SQLCancel, which every ODBC driver
// offers, whatever server is behind the data source.
class TAdaptadorOdbc : public TAdaptadorConexao {
public:
    TAdaptadorOdbc();
    ~TAdaptadorOdbc() override;

    bool Executa(QSqlDatabase& conexao, QSqlQuery& comando, int limiteMs, QString& erro) override;

private:
    void CancelaComandoAtual();

    std::unique_ptr<VigiaTempoLimite> FVigia;
    void* FComandoAtual = nullptr;  // the statement handle being run; guarded by the watchdog's lock
};
