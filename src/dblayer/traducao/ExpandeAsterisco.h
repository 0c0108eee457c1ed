#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// Columns of a table as the connection's data dictionary lists them, in
// column order (empty for an unknown table).
using ListaColunasFn = std::function<QStringList(const QString& tabela)>;

// The table an alias stands for.
struct TBaseAlias {
    QString NmBase;
};

// Aliases of a statement in the order they were read, in upper case; the same
// alias may appear twice, and lookup takes the first.
class TListaAliases {
public:
    void Adiciona(const QString& alias, const QString& tabela);
    // The entry for the alias (any case), or nullptr.
    const TBaseAlias* Procura(const QString& alias) const;
    qsizetype Count() const { return FAliases.size(); }

private:
    QList<std::pair<QString, TBaseAlias>> FAliases;
};

// The characters after the last blank or comma (the whole text without either).
QString UltimaPalavra(const QString& texto);

// Reads "FROM table alias" and "JOIN table alias", single blanks between.
TListaAliases MontaAliases(const QString& texto);

// The dictionary query of ListaCampos, as lines; the table name is spliced
// in as a string literal.
QStringList SQLListaCampos(const QString& tabela, bool semBlobs);

// The text that replaces ".*" after the qualifier 'alias': ".A, ALIAS.B, ALIAS.C "
// (the first column takes the qualifier already in the text); empty for a
// table with no columns.
QString ListaCampos(const QString& tabela, const QString& alias, const ListaColunasFn& colunas);

// Oracle refuses a qualified star in a DISTINCT or GROUP BY statement that
// mixes it with other columns, so alias.* is written out from the
// dictionary. A star whose qualifier is not an alias of the statement's
// FROM / JOIN clauses is left as it stands. Last, "@@@@@@@@" becomes DISTINCT.
QString ExpandeAsterisco(const QString& texto, const ListaColunasFn& colunas);
