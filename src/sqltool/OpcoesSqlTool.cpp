#include "OpcoesSqlTool.h"

#include <QCommandLineParser>

#include <stdexcept>

namespace {

[[noreturn]] void Recusa(const QString& mensagem)
{
    throw std::invalid_argument(mensagem.toStdString());
}

// "TABELA=COL1,COL2,..." into the table's entry of the dictionary.
void LeColunas(const QString& valor, OpcoesSqlTool& opcoes)
{
    const qsizetype igual = valor.indexOf(u'=');
    if (igual <= 0)
        Recusa(QStringLiteral("--colunas espera TABELA=COL1,COL2,...; recebeu \"%1\"").arg(valor));
    // The dictionary holds unquoted names in upper case, and the statement's
    // table names are looked up in upper case.
    const QString tabela = valor.left(igual).trimmed().toUpper();
    const QString lista = valor.mid(igual + 1);
    opcoes.colunas[tabela] = lista.isEmpty() ? QStringList() : lista.split(u',');
}

} // namespace

const QStringList& DriversConhecidos()
{
    static const QStringList drivers = {QStringLiteral("FB"), QStringLiteral("Ora"),
                                        QStringLiteral("PG"), QStringLiteral("MSSQL"),
                                        QStringLiteral("SQLite")};
    return drivers;
}

OpcoesSqlTool LeOpcoes(const QStringList& argumentos)
{
    QCommandLineParser parser;
    const QCommandLineOption ajuda({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption colunas(QStringLiteral("colunas"), QString(), QStringLiteral("TABELA=COL1,..."));
    parser.addOption(ajuda);
    parser.addOption(colunas);
    if (!parser.parse(QStringList{QStringLiteral("quelix-sql")} + argumentos))
        Recusa(parser.errorText());

    OpcoesSqlTool opcoes;
    opcoes.ajuda = parser.isSet(ajuda);
    if (opcoes.ajuda)
        return opcoes;
    for (const QString& valor : parser.values(colunas))
        LeColunas(valor, opcoes);
    const QStringList drivers = parser.positionalArguments();
    if (drivers.size() > 1)
        Recusa(QStringLiteral("um só driver, recebidos %1").arg(drivers.join(QStringLiteral(" e "))));
    if (drivers.isEmpty())
        Recusa(QStringLiteral("falta o driver (%1)").arg(DriversConhecidos().join(u", ")));
    opcoes.driverId = drivers.front();
    if (!DriversConhecidos().contains(opcoes.driverId))
        Recusa(QStringLiteral("driver desconhecido: %1 (%2)")
                   .arg(opcoes.driverId, DriversConhecidos().join(u", ")));
    return opcoes;
}

// Laid out as quelix's help is, which its manual page is made from.
QString TextoAjuda()
{
    return QStringLiteral(
        "Uso: quelix-sql DRIVER [--colunas TABELA=COL1,COL2,...]...\n"
        "Traduz um comando SQL do dialeto de origem para o DRIVER (FB, Ora, PG, MSSQL, SQLite).\n"
        "Lê o comando da entrada padrão (cada linha uma linha do comando; um CR no fim da\n"
        "linha é descartado) e escreve na saída padrão o texto exatamente como a consulta o\n"
        "enviaria, com CR LF no fim de cada linha. Não usa banco de dados.\n"
        "\n"
        "Opções:\n"
        "  --colunas TABELA=COL1,...  colunas que o dicionário daria para TABELA ao expandir\n"
        "                             ALIAS.* no Oracle (repetível; tabela não informada = sem colunas)\n"
        "  -h, --help                 esta ajuda\n"
        "\n"
        "Saída: 0 traduzido; 1 erro de conversão (flag de HORA[ que não é booleano), na saída\n"
        "de erro; 2 linha de comando inválida.\n");
}
