#include "janela/CaixasMensagem.h"

#include <QApplication>
#include <QMessageBox>

namespace {

const QString TituloAplicacao = QStringLiteral("Quelix");

// While a box is open the user answers it: the ordinary pointer, not the
// busy one of the handler that raised it.
class TCursorNormal {
public:
    TCursorNormal() { QApplication::setOverrideCursor(Qt::ArrowCursor); }
    ~TCursorNormal() { QApplication::restoreOverrideCursor(); }
};

// Messages break lines with a CR alone ("...Banco1!." CR error); a label
// breaks lines only at LF.
QString ComQuebrasDeLinha(QString texto)
{
    texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texto.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return texto;
}

QMessageBox::StandardButton Caixa(QWidget* pai, QMessageBox::Icon icone, const QString& titulo,
                                  const QString& texto, QMessageBox::StandardButtons botoes)
{
    TCursorNormal cursor;
    QMessageBox caixa(icone, titulo, ComQuebrasDeLinha(texto), botoes, pai);
    caixa.setTextFormat(Qt::PlainText);
    return QMessageBox::StandardButton(caixa.exec());
}

} // namespace

void TCaixasMensagem::MostraMensagem(const QString& texto)
{
    Caixa(FPai, QMessageBox::NoIcon, TituloAplicacao, texto, QMessageBox::Ok);
}

bool TCaixasMensagem::Pergunta(const QString& texto, const QString& titulo)
{
    return Caixa(FPai, QMessageBox::Question, titulo, texto, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes;
}

void TCaixasMensagem::MostraErro(const QString& texto)
{
    Caixa(FPai, QMessageBox::Critical, TituloAplicacao, texto, QMessageBox::Ok);
}
