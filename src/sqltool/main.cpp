// quelix-sql: shows what a statement becomes for a driver, as a query would
// send it, without a database.

#include "OpcoesSqlTool.h"
#include "base/Erros.h"
#include "base/ListaLinhas.h"
#include "dblayer/traducao/ConverteSQL.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <stdexcept>

namespace {

// Each input line is one line of the query's line list; a CR before the LF
// (or at the very end) is dropped.
TListaLinhas LeEntrada()
{
    QFile entrada;
    if (!entrada.open(stdin, QIODevice::ReadOnly))
        throw std::runtime_error("não foi possível ler a entrada padrão");
    const QString texto = QString::fromUtf8(entrada.readAll());
    QStringList linhas = texto.split(u'\n');
    if (!linhas.isEmpty() && linhas.last().isEmpty())
        linhas.removeLast();
    TListaLinhas lista;
    for (QString& linha : linhas) {
        if (linha.endsWith(u'\r'))
            linha.chop(1);
        lista.Add(linha);
    }
    return lista;
}

void Escreve(FILE* destino, const QString& texto)
{
    const QByteArray bytes = texto.toUtf8();
    std::fwrite(bytes.constData(), 1, bytes.size(), destino);
    std::fflush(destino);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    OpcoesSqlTool opcoes;
    try {
        opcoes = LeOpcoes(app.arguments().mid(1));
    } catch (const std::invalid_argument& erro) {
        Escreve(stderr, QStringLiteral("quelix-sql: ") + QString::fromStdString(erro.what())
                            + QStringLiteral("\n") + TextoAjuda());
        return 2;
    }
    if (opcoes.ajuda) {
        Escreve(stdout, TextoAjuda());
        return 0;
    }

    const auto colunas = [&opcoes](const QString& tabela) {
        return opcoes.colunas.value(tabela.toUpper());
    };
    try {
        TCacheTraducao cache;
        Escreve(stdout, ConverteSQL(LeEntrada().Text(), opcoes.driverId, cache, colunas));
    } catch (const Exception& erro) {
        Escreve(stderr, QStringLiteral("quelix-sql: ") + erro.Message() + u'\n');
        return 1;
    } catch (const std::exception& erro) {
        Escreve(stderr, QStringLiteral("quelix-sql: ") + QString::fromUtf8(erro.what()) + u'\n');
        return 1;
    }
    return 0;
}
