#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The command line of quelix-sql.
struct OpcoesSqlTool {
    bool ajuda = false;
    QString driverId;
    QHash<QString, QStringList> colunas; // table (upper case) -> its columns
};

// The driver ids the tool translates for.
const QStringList& DriversConhecidos();

// Reads the arguments (without the program name). Raises std::invalid_argument
// with a message for the user on a malformed command line.
OpcoesSqlTool LeOpcoes(const QStringList& argumentos);

// What --help prints.
QString TextoAjuda();
