#pragma once

#include <QSqlError>
#include <QString>

// The text the layer reports for an error of the Qt SQL layer: the server's
// own message when there is one, the driver's otherwise (`seVazio` when both
// are empty). Servers give their messages in lines; they come back joined by
// CR LF, so that the log writer keeps each failure on one line.
QString TextoDoErroSql(const QSqlError& erro,
                       const QString& seVazio = QStringLiteral("erro desconhecido do servidor"));
