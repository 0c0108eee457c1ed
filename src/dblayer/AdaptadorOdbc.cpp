#include "dblayer/AdaptadorOdbc.h"

#include "base/Erros.h"
#include "dblayer/ErroSql.h"

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

SQLHANDLE AlcaDaConexao(const QSqlDatabase& conexao)
{
    return conexao.driver() ? Alca(conexao.driver()->handle()) : nullptr;
}

SQLHANDLE AlcaDoComando(const QSqlQuery* comando)
{
    return comando && comando->result() ? Alca(comando->result()->handle()) : nullptr;
}

// ODBC counts the timeout in whole seconds; a limit is never rounded to none.
int Segundos(int milissegundos)
{
    return milissegundos <= 0 ? 0 : (milissegundos + 999) / 1000;
}

// The SQLSTATE and the native code of the first diagnostic record the
// handle holds; false when there is none.
bool Diagnostico(SQLSMALLINT tipo, SQLHANDLE alca, QString& estado, qint32& nativo)
{
    if (!alca)
        return false;
    SQLCHAR texto[6] = {};
    SQLINTEGER codigo = 0;
    SQLCHAR mensagem[8];
    SQLSMALLINT tamanho = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(tipo, alca, 1, texto, &codigo, mensagem, sizeof mensagem, &tamanho)))
        return false;
    estado = QString::fromLatin1(reinterpret_cast<const char*>(texto), 5);
    nativo = codigo;
    return true;
}

QString EstadoSql(SQLSMALLINT tipo, SQLHANDLE alca)
{
    QString estado;
    qint32 nativo = 0;
    return Diagnostico(tipo, alca, estado, nativo) ? estado : QString();
}

qint32 ErroNativo(SQLSMALLINT tipo, SQLHANDLE alca)
{
    QString estado;
    qint32 nativo = 0;
    return Diagnostico(tipo, alca, estado, nativo) ? nativo : 0;
}

// Whether the driver itself holds its connection for gone. psqlODBC reports
// the first statement that meets a dead server with a general SQLSTATE
// (HY000) and knows by then that the link is lost. Read from the driver's
// own state, without a round trip.
bool ConexaoMorta(SQLHANDLE hdbc)
{
    SQLUINTEGER morta = SQL_CD_FALSE;
    return hdbc && SQL_SUCCEEDED(SQLGetConnectAttr(hdbc, SQL_ATTR_CONNECTION_DEAD, &morta, 0, nullptr))
        && morta == SQL_CD_TRUE;
}

bool EhSqlite(const QString& sistema)
{
    return sistema.contains(QLatin1String("SQLite"), Qt::CaseInsensitive);
}

} // namespace

void TAdaptadorOdbc::AoAbrir(QSqlDatabase& conexao)
{
    SQLCHAR nome[128] = {};
    SQLSMALLINT tamanho = 0;
    if (SQLHANDLE hdbc = AlcaDaConexao(conexao)) {
        const SQLRETURN r = SQLGetInfo(hdbc, SQL_DBMS_NAME, nome, sizeof nome, &tamanho);
        if (r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO)
            FSistema = QString::fromUtf8(reinterpret_cast<const char*>(nome)).trimmed();
    }
}

bool TAdaptadorOdbc::FalhaDeConexao(QSqlDatabase& conexao, const QSqlError& erro,
                                    const QSqlQuery* comando) const
{
    QString estado = EstadoSql(SQL_HANDLE_STMT, AlcaDoComando(comando));
    if (estado.isEmpty())
        estado = EstadoSql(SQL_HANDLE_DBC, AlcaDaConexao(conexao));
    if (estado.isEmpty())
        return TAdaptadorConexao::FalhaDeConexao(conexao, erro, comando);
    return EstadoDeConexaoPerdida(estado) || ConexaoMorta(AlcaDaConexao(conexao));
}

void TAdaptadorOdbc::DefineTimeoutDaConexao(QSqlDatabase& conexao, int segundos)
{
    if (segundos == FSegundosDaConexao)
        return;
    if (SQLHANDLE hdbc = AlcaDaConexao(conexao)) {
        SQLSetConnectAttr(hdbc, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(segundos)), 0);
        FSegundosDaConexao = segundos;
    }
}

void TAdaptadorOdbc::DefineLimite(QSqlDatabase& conexao, int limiteMs)
{
    DefineTimeoutDaConexao(conexao, Segundos(limiteMs));
}

bool TAdaptadorOdbc::EsperaDeTravaEsgotada(const QSqlQuery& comando) const
{
    // SQLITE_BUSY and SQLITE_LOCKED, as the SQLite driver's native codes.
    const qint32 nativo = ErroNativo(SQL_HANDLE_STMT, AlcaDoComando(&comando));
    return EhSqlite(FSistema) && (nativo == 5 || nativo == 6);
}

bool TAdaptadorOdbc::Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto,
                             int limiteMs, QString& erro)
{
    const int segundos = Segundos(limiteMs);
    DefineLimite(conexao, limiteMs);
    if (!textoDireto)
        if (SQLHANDLE hstmt = AlcaDoComando(&comando))
            SQLSetStmtAttr(hstmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(segundos)), 0);
    QElapsedTimer relogio;
    relogio.start();
    if (Roda(comando, textoDireto))
        return true;
    erro = TAdaptadorConexao::MensagemDaFalha(conexao, comando);
    // The drivers word a timeout each their own way; a failure that took the
    // whole limit is the limit's.
    if ((segundos > 0 && relogio.elapsed() >= qint64(limiteMs) - 50) || EsperaDeTravaEsgotada(comando))
        erro = QStringLiteral("TIMEOUT EXPIRED: ") + erro;
    return false;
}

void TAdaptadorOdbc::ConfereConexao(QSqlDatabase& conexao, const QString&, int limiteMs)
{
    // The driver id says which dialect the statements are written in, not
    // which server is behind the data source; the driver says that.
    QString sql = QStringLiteral("SELECT 1");
    if (FSistema.contains(QLatin1String("Firebird"), Qt::CaseInsensitive)
        || FSistema.contains(QLatin1String("InterBase"), Qt::CaseInsensitive))
        sql = QStringLiteral("SELECT 1 FROM RDB$DATABASE");
    else if (FSistema.contains(QLatin1String("Oracle"), Qt::CaseInsensitive))
        sql = QStringLiteral("SELECT 1 FROM DUAL");
    ConfereComConsulta(conexao, sql, limiteMs);
}
