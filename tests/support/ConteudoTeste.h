#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// A block of a journal record's content as ConteudoDosValores writes it,
// read back: each column's value, a text unquoted, NULL as "<NULL>", the
// others (numbers, moments) as written. A line that is no "COLUNA=valor"
// is kept under "<ilegível>", for the test to fail on.
inline QMap<QString, QString> ValoresDoConteudo(const QString& bloco)
{
    QMap<QString, QString> valores;
    QString nome;
    QString valor;
    bool emTexto = false;
    // A text may hold a line break: its lines run until its closing quote.
    for (const QString& linha : bloco.split(u'\n')) {
        if (emTexto) {
            valor += u'\n' + linha;
        } else {
            const qsizetype igual = linha.indexOf(u'=');
            if (igual <= 0) {
                valores.insert(QStringLiteral("<ilegível>"), linha);
                continue;
            }
            nome = linha.left(igual);
            valor = linha.mid(igual + 1);
        }
        // Quotes inside a text are doubled: a whole text has an even number.
        emTexto = valor.startsWith(u'\'') && valor.count(u'\'') % 2 != 0;
        if (emTexto)
            continue;
        if (valor == QLatin1String("NULL"))
            valores.insert(nome, QStringLiteral("<NULL>"));
        else if (valor.startsWith(u'\''))
            valores.insert(nome, valor.mid(1, valor.size() - 2).replace(QStringLiteral("''"), QStringLiteral("'")));
        else
            valores.insert(nome, valor);
    }
    return valores;
}
