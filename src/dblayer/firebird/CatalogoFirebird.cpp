#include "dblayer/firebird/CatalogoFirebird.h"

#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace CatalogoFirebird {

namespace {

QStringList nomesDa(QSqlQuery& consulta, const QString& sql)
{
    QStringList nomes;
    consulta.setForwardOnly(true);
    if (!consulta.exec(sql))
        return nomes;
    while (consulta.next())
        nomes << consulta.value(0).toString().trimmed();
    return nomes;
}

} // namespace

QStringList tabelas(QSqlQuery& consulta, QSql::TableType tipo)
{
    QStringList filtros;
    if (tipo & QSql::Tables)
        filtros << QStringLiteral("(RDB$VIEW_BLR IS NULL AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0)");
    if (tipo & QSql::Views)
        filtros << QStringLiteral("(RDB$VIEW_BLR IS NOT NULL AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0)");
    if (tipo & QSql::SystemTables)
        filtros << QStringLiteral("(COALESCE(RDB$SYSTEM_FLAG, 0) <> 0)");
    if (filtros.isEmpty())
        return {};
    return nomesDa(consulta, QStringLiteral("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS WHERE ")
                                 + filtros.join(QStringLiteral(" OR "))
                                 + QStringLiteral(" ORDER BY RDB$RELATION_NAME"));
}

QSqlIndex chavePrimaria(QSqlQuery& consulta, const QString& tabelaArmazenada, const QSqlRecord& registro)
{
    consulta.setForwardOnly(true);
    consulta.prepare(QStringLiteral(
        "SELECT RC.RDB$INDEX_NAME, S.RDB$FIELD_NAME "
        "FROM RDB$RELATION_CONSTRAINTS RC "
        "JOIN RDB$INDEX_SEGMENTS S ON S.RDB$INDEX_NAME = RC.RDB$INDEX_NAME "
        "WHERE RC.RDB$RELATION_NAME = ? AND RC.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY' "
        "ORDER BY S.RDB$FIELD_POSITION"));
    consulta.addBindValue(tabelaArmazenada);
    QSqlIndex indice(tabelaArmazenada);
    if (!consulta.exec())
        return indice;
    while (consulta.next()) {
        indice.setName(consulta.value(0).toString().trimmed());
        const QString campo = consulta.value(1).toString().trimmed();
        const int posicao = registro.indexOf(campo);
        indice.append(posicao >= 0 ? registro.field(posicao) : QSqlField(campo));
    }
    return indice;
}

} // namespace CatalogoFirebird
