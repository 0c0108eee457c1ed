#include "janela/PainelLog.h"

#include <QPlainTextEdit>

QPlainTextEdit* CriaPainelLog(QWidget* pai)
{
    auto* painel = new QPlainTextEdit(pai);
    painel->setObjectName(QStringLiteral("Memo1"));
    painel->setReadOnly(true);
    // The oldest lines go first; each line keeps its text as written.
    painel->setMaximumBlockCount(LinhasNoPainel);
    painel->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    painel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return painel;
}
