#include "dblayer/PreparaSemExecutar.h"

#include "base/Erros.h"
#include "dblayer/ErroSql.h"
#include "dblayer/AdaptadorConexao.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/LimitesExecucao.h"
#include "dblayer/ListaColunasConexao.h"
#include "dblayer/traducao/ConverteSQL.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlResult>

#include <sql.h>

namespace {

// An ODBC driver may keep a prepared statement on the client until it runs
// (the PostgreSQL one does); asking for the shape of its result makes it
// describe the statement on the server, which resolves the names there.
QString DescreveNoServidorOdbc(QSqlQuery& comando)
{
    const QVariant alca = comando.result()->handle();
    if (!alca.isValid())
        return QString();
    SQLHANDLE instrucao = *static_cast<const SQLHANDLE*>(alca.constData());
    SQLSMALLINT colunas = 0;
    if (SQL_SUCCEEDED(SQLNumResultCols(instrucao, &colunas)))
        return QString();
    SQLCHAR estado[6] = {};
    SQLINTEGER nativo = 0;
    SQLCHAR mensagem[1024] = {};
    SQLSMALLINT tamanho = 0;
    SQLGetDiagRec(SQL_HANDLE_STMT, instrucao, 1, estado, &nativo, mensagem, sizeof mensagem, &tamanho);
    return QString::fromUtf8(reinterpret_cast<const char*>(mensagem)).simplified();
}

QString Prepara(TKoDatabase& banco, const QString& traduzido)
{
    QSqlDatabase conexao = banco.Conexao();
    QSqlQuery comando(conexao);
    comando.setForwardOnly(true);
    if (!comando.prepare(traduzido))
        return TextoDoErroSql(comando.lastError()).simplified();
    return conexao.driverName() == QLatin1String("QODBC") ? DescreveNoServidorOdbc(comando) : QString();
}

} // namespace

QString ErroAoPreparar(TKoDatabase& banco, const QString& texto)
{
    const ListaColunasFn colunas = [&banco](const QString& tabela) {
        return ListaColunasPelaConexao(banco.Conexao(), tabela);
    };
    QString erro;
    try {
        const QString traduzido = TraduzSQL(texto, banco.DriverName(), colunas);
        banco.GaranteTransacao();
        QSqlDatabase conexao = banco.Conexao();
        banco.Adaptador().VigiaChamada(conexao, LimiteDoDriver(banco.DriverName()),
                                       [&] { erro = Prepara(banco, traduzido); });
    } catch (const std::exception& e) {
        erro = MensagemDoErro(e);
    }
    try {
        banco.RollbackRetaining();
    } catch (const std::exception& e) {
        erro += (erro.isEmpty() ? QString() : QStringLiteral("; ")) + MensagemDoErro(e);
    }
    return erro;
}
