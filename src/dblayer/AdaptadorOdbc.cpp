#include "dblayer/AdaptadorOdbc.h"

#include <QElapsedTimer>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

namespace {

SQLHANDLE Alca(const QVariant& valor)
{
    return valor.isValid() ? *static_cast<const SQLHANDLE*>(valor.constData()) : nullptr;
}

// ODBC counts the timeout in whole seconds; a limit is never rounded to none.
int Segundos(int milissegundos)
{
    return milissegundos <= 0 ? 0 : (milissegundos + 999) / 1000;
}

} // namespace

void TAdaptadorOdbc::DefineTimeoutDaConexao(QSqlDatabase& conexao, int segundos)
{
    if (segundos == FSegundosDaConexao)
        return;
    if (SQLHANDLE hdbc = Alca(conexao.driver()->handle())) {
        SQLSetConnectAttr(hdbc, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(segundos)), 0);
        FSegundosDaConexao = segundos;
    }
}

bool TAdaptadorOdbc::Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto,
                             int limiteMs, QString& erro)
{
    const int segundos = Segundos(limiteMs);
    DefineTimeoutDaConexao(conexao, segundos);
    if (!textoDireto && comando.result())
        if (SQLHANDLE hstmt = Alca(comando.result()->handle()))
            SQLSetStmtAttr(hstmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(segundos)), 0);
    QElapsedTimer relogio;
    relogio.start();
    if (Roda(comando, textoDireto))
        return true;
    erro = TextoDoErro(comando);
    // The drivers word a timeout each their own way; a failure that took the
    // whole limit is the limit's.
    if (segundos > 0 && relogio.elapsed() >= qint64(segundos) * 1000 - 50)
        erro = QStringLiteral("TIMEOUT EXPIRED: ") + erro;
    return false;
}
