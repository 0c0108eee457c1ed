#include "dblayer/AdaptadorPostgres.h"

#include "base/Erros.h"
#include "dblayer/ErroSql.h"

#include <QSqlQuery>

namespace {

const QString kSavepoint = QStringLiteral("qx_tentativa");

} // namespace

bool TAdaptadorPostgres::FalhaDeConexao(QSqlDatabase&, const QSqlError& erro, const QSqlQuery*) const
{
    const QString estado = erro.nativeErrorCode();
    if (estado.isEmpty())
        return erro.type() != QSqlError::NoError;
    return EstadoDeConexaoPerdida(estado);
}

void TAdaptadorPostgres::ExecutaInterno(QSqlDatabase& conexao, const QString& sql)
{
    QSqlQuery q(conexao);
    if (q.exec(sql))
        return;
    RegistraFalha(conexao, q.lastError(), &q);
    throw EDatabaseError(TextoDoErroSql(q.lastError()));
}

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

void TAdaptadorPostgres::DefineLimite(QSqlDatabase& conexao, int limiteMs)
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
        DefineLimite(conexao, limiteMs);
    } catch (const EDatabaseError& e) {
        erro = e.Message();
        return false;
    }
    if (Roda(comando, textoDireto))
        return true;
    erro = MensagemDaFalha(conexao, comando);
    return false;
}

QString TAdaptadorPostgres::MensagemDaFalha(QSqlDatabase& conexao, const QSqlQuery& comando)
{
    // 57014: query_canceled; the layer sends no cancel, so statement_timeout.
    const QString erro = TAdaptadorConexao::MensagemDaFalha(conexao, comando);
    return comando.lastError().nativeErrorCode() == QLatin1String("57014") ? QStringLiteral("TIMEOUT EXPIRED: ") + erro
                                                                          : erro;
}

void TAdaptadorPostgres::ConfereConexao(QSqlDatabase& conexao, const QString&, int)
{
    // One round trip, whatever statement_timeout holds: "SELECT 1" waits on
    // nothing, and a server that stopped answering is bounded by the
    // connection's own TCP limits (set when it opened).
    QSqlQuery consulta(conexao);
    consulta.setForwardOnly(true);
    if (!consulta.exec(QStringLiteral("SELECT 1"))) {
        RegistraFalha(conexao, consulta.lastError(), &consulta);
        throw EDatabaseError(TextoDoErroSql(consulta.lastError()));
    }
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
