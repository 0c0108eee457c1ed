#include "dblayer/firebird/IdentificadoresFirebird.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QSet>
#include <QSqlField>

namespace IdentificadoresFirebird {

namespace {

bool ehAspeado(const QString& identificador)
{
    return identificador.size() >= 2 && identificador.startsWith(QLatin1Char('"'))
        && identificador.endsWith(QLatin1Char('"'));
}

bool ehReservada(const QString& palavra)
{
    // Reserved words of Firebird 3 that a column or table might plausibly be
    // named after.
    static const QSet<QString> reservadas = {
        "ADD", "ALL", "ALTER", "AND", "ANY", "AS", "AT", "AVG", "BEGIN", "BETWEEN", "BIGINT", "BLOB",
        "BOOLEAN", "BOTH", "BY", "CASE", "CAST", "CHAR", "CHARACTER", "CHECK", "CLOSE", "COLLATE",
        "COLUMN", "COMMIT", "CONNECT", "CONSTRAINT", "COUNT", "CREATE", "CROSS", "CURRENT", "CURSOR",
        "DATE", "DAY", "DECIMAL", "DECLARE", "DEFAULT", "DELETE", "DISTINCT", "DOUBLE", "DROP",
        "ELSE", "END", "ESCAPE", "EXECUTE", "EXISTS", "EXTERNAL", "EXTRACT", "FALSE", "FETCH",
        "FILTER", "FLOAT", "FOR", "FOREIGN", "FROM", "FULL", "FUNCTION", "GLOBAL", "GRANT", "GROUP",
        "HAVING", "HOUR", "IN", "INDEX", "INNER", "INSERT", "INT", "INTEGER", "INTO", "IS", "JOIN",
        "LEADING", "LEFT", "LIKE", "MAX", "MERGE", "MIN", "MINUTE", "MONTH", "NATURAL", "NOT", "NULL",
        "NUMERIC", "OF", "OFFSET", "ON", "OPEN", "OR", "ORDER", "OUTER", "PARAMETER", "POSITION",
        "PRIMARY", "PROCEDURE", "REAL", "RECORD_VERSION", "REFERENCES", "RETURNS", "REVOKE", "RIGHT",
        "ROLLBACK", "ROW", "ROWS", "SECOND", "SELECT", "SET", "SIMILAR", "SMALLINT", "SOME", "START",
        "SUM", "TABLE", "THEN", "TIME", "TIMESTAMP", "TO", "TRAILING", "TRIGGER", "TRIM", "TRUE",
        "UNION", "UNIQUE", "UNKNOWN", "UPDATE", "USER", "USING", "VALUE", "VALUES", "VARCHAR",
        "VARIABLE", "VARYING", "VIEW", "WHEN", "WHERE", "WHILE", "WITH", "YEAR",
    };
    return reservadas.contains(palavra);
}

bool ehNomeSimples(const QString& identificador)
{
    static const QRegularExpression simples(QStringLiteral("^[A-Za-z][A-Za-z0-9_$]*$"));
    return simples.match(identificador).hasMatch();
}

QString aspeia(const QString& nome)
{
    QString interno = nome;
    interno.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + interno + QLatin1Char('"');
}

QString literalDeTexto(const QString& texto)
{
    return QLatin1Char('\'') + texto + QLatin1Char('\'');
}

} // namespace

QString escapa(const QString& identificador)
{
    if (identificador.isEmpty() || ehAspeado(identificador))
        return identificador;
    if (ehNomeSimples(identificador)) {
        const QString maiusculo = identificador.toUpper();
        return ehReservada(maiusculo) ? aspeia(maiusculo) : identificador;
    }
    return aspeia(identificador);
}

QString armazenado(const QString& identificador)
{
    if (ehAspeado(identificador))
        return identificador.mid(1, identificador.size() - 2).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    if (ehNomeSimples(identificador))
        return identificador.toUpper();
    return identificador;
}

QString literalProprio(const QSqlField& campo)
{
    const QVariant valor = campo.value();
    switch (campo.metaType().id()) {
    case QMetaType::QDate:
        return literalDeTexto(valor.toDate().toString(Qt::ISODate));
    case QMetaType::QTime:
        return literalDeTexto(valor.toTime().toString(QStringLiteral("HH:mm:ss.zzz")));
    case QMetaType::QDateTime:
        return literalDeTexto(valor.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
    case QMetaType::Bool:
        return valor.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    case QMetaType::QByteArray:
        return QStringLiteral("x'") + QString::fromLatin1(valor.toByteArray().toHex()) + QLatin1Char('\'');
    default:
        return QString();
    }
}

} // namespace IdentificadoresFirebird
