#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The columns of a table from Oracle's data dictionary (USER_TAB_COLUMNS),
// blobs and clobs left out, in column order; what ExpandeAsterisco asks of
// the connection. A failing query raises EDatabaseError
// ("Erro KoQuery.Open: " + the server's message).
QStringList ListaColunasPelaConexao(const QSqlDatabase& conexao, const QString& tabela);
