#include "OpcoesSqlTool.h"

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
    OpcoesSqlTool opcoes;
    for (qsizetype i = 0; i < argumentos.size(); ++i) {
        const QString& arg = argumentos[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            opcoes.ajuda = true;
        } else if (arg == QLatin1String("--colunas")) {
            if (++i >= argumentos.size())
                Recusa(QStringLiteral("--colunas espera TABELA=COL1,COL2,..."));
            LeColunas(argumentos[i], opcoes);
        } else if (arg.startsWith(QLatin1String("--colunas="))) {
            LeColunas(arg.mid(10), opcoes);
        } else if (arg.startsWith(u'-')) {
            Recusa(QStringLiteral("opção desconhecida: %1").arg(arg));
        } else if (opcoes.driverId.isEmpty()) {
            opcoes.driverId = arg;
        } else {
            Recusa(QStringLiteral("um só driver, recebidos %1 e %2").arg(opcoes.driverId, arg));
        }
    }
    if (opcoes.ajuda)
        return opcoes;
    if (opcoes.driverId.isEmpty())
        Recusa(QStringLiteral("falta o driver (%1)").arg(DriversConhecidos().join(u", ")));
    if (!DriversConhecidos().contains(opcoes.driverId))
        Recusa(QStringLiteral("driver desconhecido: %1 (%2)")
                   .arg(opcoes.driverId, DriversConhecidos().join(u", ")));
    return opcoes;
}

QString TextoAjuda()
{
    return QStringLiteral(
        "Uso: quelix-sql DRIVER [--colunas TABELA=COL1,COL2,...]...\n"
        "Traduz um comando SQL do dialeto de origem para o DRIVER (FB, Ora, PG, MSSQL, SQLite).\n"
        "Lê o comando da entrada padrão (cada linha uma linha do comando; um CR no fim da\n"
        "linha é descartado) e escreve na saída padrão o texto exatamente como a consulta o\n"
        "enviaria, com CR LF no fim de cada linha. Não usa banco de dados.\n"
        "  --colunas TABELA=COL1,...  colunas que o dicionário daria para TABELA ao expandir\n"
        "                             ALIAS.* no Oracle (repetível; tabela não informada = sem colunas)\n"
        "  --help                     esta ajuda\n"
        "Saída: 0 traduzido; 1 erro de conversão (flag de HORA[ que não é booleano), na saída\n"
        "de erro; 2 linha de comando inválida.\n");
}
