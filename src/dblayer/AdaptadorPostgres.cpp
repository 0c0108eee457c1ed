#include "dblayer/AdaptadorPostgres.h"

#include "base/Erros.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

const QString kSavepoint = QStringLiteral("qx_tentativa");

void ExecutaInterno(QSqlDatabase& conexao, const QString& sql)
{
    QSqlQuery q(conexao);
    if (!q.exec(sql))
        throw EDatabaseError(q.lastError().databaseText().trimmed());
}

} // namespace

void TAdaptadorPostgres::RollbackRetaining(QSqlDatabase& conexao)
{
    FTimeoutAtual = -1;
    TAdaptadorConexao::RollbackRetaining(conexao);
}

void TAdaptadorPostgres::EncerraTransacao(QSqlDatabase& conexao, bool confirma)
{
    FTimeoutAtual = -1;
    TAdaptadorConexao::EncerraTransacao(conexao, confirma);
}

void TAdaptadorPostgres::DefineStatementTimeout(QSqlDatabase& conexao, int limiteMs)
{
    if (limiteMs == FTimeoutAtual)
        return;
    ExecutaInterno(conexao, QStringLiteral("SET statement_timeout = %1").arg(limiteMs));
    FTimeoutAtual = limiteMs;
}

bool TAdaptadorPostgres::Executa(QSqlDatabase& conexao, QSqlQuery& comando,
                                 const QString* textoDireto, int limiteMs, QString& erro)
{
    try {
        DefineStatementTimeout(conexao, limiteMs);
    } catch (const EDatabaseError& e) {
        erro = e.Message();
        return false;
    }
    if (Roda(comando, textoDireto))
        return true;
    erro = TextoDoErro(comando);
    // 57014: query_canceled, here by statement_timeout.
    if (comando.lastError().nativeErrorCode() == QLatin1String("57014") && limiteMs > 0)
        erro = QStringLiteral("TIMEOUT EXPIRED: ") + erro;
    return false;
}

void TAdaptadorPostgres::MarcaTentativa(QSqlDatabase& conexao)
{
    if (EmTransacao())
        ExecutaInterno(conexao, QStringLiteral("SAVEPOINT ") + kSavepoint);
}

void TAdaptadorPostgres::DesfazTentativa(QSqlDatabase& conexao)
{
    // Going back to the savepoint also undoes a SET made after it.
    FTimeoutAtual = -1;
    if (EmTransacao())
        ExecutaInterno(conexao, QStringLiteral("ROLLBACK TO SAVEPOINT ") + kSavepoint);
}

void TAdaptadorPostgres::ConfirmaTentativa(QSqlDatabase& conexao)
{
    if (EmTransacao())
        ExecutaInterno(conexao, QStringLiteral("RELEASE SAVEPOINT ") + kSavepoint);
}
