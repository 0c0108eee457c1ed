#pragma once

#include "integracao/Relator.h"

class QObject;

// The reporting interface as the cycle's thread sees it. Lines and messages
// reach the real one (the window's log pane and message boxes, the console,
// a test recorder) on the thread it lives on: a line without waiting, in the
// order written; a message, question or error box waiting for the answer,
// so a modal message still holds the cycle until it is dismissed.
class TRelatorEntreThreads : public TRelator {
public:
    // `contexto` is an object of the thread `destino` lives on.
    TRelatorEntreThreads(TRelator& destino, QObject& contexto);

    void AdicionaLinha(const QString& linha) override;
    void MostraMensagem(const QString& texto) override;
    bool Pergunta(const QString& texto, const QString& titulo) override;
    void MostraErro(const QString& texto) override;
    void IndicaOcupado(bool ocupado) override;

private:
    bool NaThreadDoDestino() const;
    void EsperaNoDestino(const std::function<void()>& chamada);

    TRelator& FDestino;
    QObject& FContexto;
};
