#include "dblayer/IndicesTabela.h"

#include "base/Erros.h"
#include "base/TextoAscii.h"
#include "dblayer/AdaptadorConexao.h"
#include "dblayer/ErroSql.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/LimitesExecucao.h"

#include <QMap>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

namespace {

// Each row: the index's name, a column's name, in the column's order.
const QMap<QString, QString> kColunasDosIndices = {
    {QStringLiteral("Firebird"),
     QStringLiteral("SELECT S.RDB$INDEX_NAME, S.RDB$FIELD_NAME FROM RDB$INDEX_SEGMENTS S "
                    "JOIN RDB$INDICES I ON I.RDB$INDEX_NAME = S.RDB$INDEX_NAME "
                    "WHERE I.RDB$RELATION_NAME = ? ORDER BY S.RDB$INDEX_NAME, S.RDB$FIELD_POSITION")},
    {QStringLiteral("PostgreSQL"),
     QStringLiteral("SELECT c.relname, a.attname FROM pg_index i "
                    "JOIN pg_class c ON c.oid = i.indexrelid "
                    "CROSS JOIN LATERAL unnest(i.indkey) WITH ORDINALITY AS k(num, ord) "
                    "JOIN pg_attribute a ON a.attrelid = i.indrelid AND a.attnum = k.num "
                    "WHERE i.indrelid = to_regclass(lower(?)) ORDER BY c.relname, k.ord")},
    {QStringLiteral("SQLite"),
     QStringLiteral("SELECT l.name, i.name FROM pragma_index_list(?) l "
                    "JOIN pragma_index_info(l.name) i ORDER BY l.name, i.seqno")},
};

QString NomeDoSgbdOdbc(const QSqlDatabase& conexao)
{
    const QVariant alca = conexao.driver()->handle();
    if (!alca.isValid())
        return QString();
    SQLCHAR nome[128] = {};
    SQLSMALLINT tamanho = 0;
    if (!SQL_SUCCEEDED(SQLGetInfo(*static_cast<const SQLHANDLE*>(alca.constData()), SQL_DBMS_NAME, nome,
                                  sizeof nome, &tamanho)))
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char*>(nome));
}

// Runs a query of the catalogue in a transaction rolled back after it,
// under the connection's limit; the rows, or EDatabaseError.
QList<QVariantList> Le(TKoDatabase& banco, const QString& texto, const QVariantList& valores)
{
    banco.GaranteTransacao();
    QSqlDatabase conexao = banco.Conexao();
    QList<QVariantList> linhas;
    QString erro;
    {
        QSqlQuery consulta(conexao);
        consulta.setForwardOnly(true);
        bool preparado = false;
        banco.Adaptador().VigiaChamada(conexao, LimiteDoDriver(banco.DriverName()),
                                       [&] { preparado = consulta.prepare(texto); });
        if (!preparado) {
            erro = TextoDoErroSql(consulta.lastError());
        } else {
            for (const QVariant& valor : valores)
                consulta.addBindValue(valor);
            if (banco.Adaptador().Executa(conexao, consulta, nullptr, LimiteDoDriver(banco.DriverName()), erro))
                while (consulta.next()) {
                    QVariantList linha;
                    for (int i = 0; i < consulta.record().count(); ++i)
                        linha << consulta.value(i);
                    linhas << linha;
                }
        }
    }
    banco.RollbackRetaining();
    if (!erro.isEmpty())
        throw EDatabaseError(erro);
    return linhas;
}

} // namespace

QString SistemaDoBanco(TKoDatabase& banco)
{
    const QSqlDatabase conexao = banco.Conexao();
    if (conexao.driverName() == QLatin1String("QPSQL"))
        return QStringLiteral("PostgreSQL");
    if (conexao.driverName() != QLatin1String("QODBC"))
        return banco.DriverName() == QLatin1String("FB") ? QStringLiteral("Firebird") : QString();
    const QString nome = MaiusculasAscii(NomeDoSgbdOdbc(conexao));
    for (const QString& sistema : kColunasDosIndices.keys())
        if (nome.contains(MaiusculasAscii(sistema)))
            return sistema;
    return QString();
}

std::optional<bool> TemIndice(TKoDatabase& banco, const QString& tabela, const QStringList& colunas)
{
    const QString sistema = SistemaDoBanco(banco);
    if (!kColunasDosIndices.contains(sistema))
        return std::nullopt;
    QMap<QString, QStringList> indices;
    for (const QVariantList& linha : Le(banco, kColunasDosIndices.value(sistema), {MaiusculasAscii(tabela)}))
        indices[linha.at(0).toString().trimmed()] << MaiusculasAscii(linha.at(1).toString().trimmed());
    QStringList procuradas;
    for (const QString& coluna : colunas)
        procuradas << MaiusculasAscii(coluna);
    for (const QStringList& indice : std::as_const(indices))
        if (indice.mid(0, procuradas.size()) == procuradas)
            return true;
    return false;
}

qint64 ContaLinhas(TKoDatabase& banco, const QString& tabela)
{
    // The name is the code's own (an index it asks for), never data.
    const QList<QVariantList> linhas = Le(banco, QStringLiteral("SELECT COUNT(*) FROM ") + tabela, {});
    return linhas.isEmpty() ? 0 : linhas.front().at(0).toLongLong();
}
