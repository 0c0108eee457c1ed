#pragma once

#include "integracao/Relator.h"

class QWidget;

// The window's modal messages as message boxes over `pai`: the OK box and the
// error box titled "Quelix", the Yes/No question titled as asked. The log
// pane is not here (the window has it).
class TCaixasMensagem : public TRelator {
public:
    explicit TCaixasMensagem(QWidget* pai) : FPai(pai) {}

    void AdicionaLinha(const QString&) override {}
    void MostraMensagem(const QString& texto) override;
    bool Pergunta(const QString& texto, const QString& titulo) override;
    void MostraErro(const QString& texto) override;

private:
    QWidget* FPai;
};
