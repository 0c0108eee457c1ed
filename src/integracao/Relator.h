#pragma once

#include <QString>

// How the monitor core and the integrations speak to the person watching:
// the log pane and the modal messages. The window implements it with its
// log pane and message boxes, the headless modes with standard output and
// standard error, the tests with a recorder.
class TRelator {
public:
    virtual ~TRelator() = default;

    // Adds the text, unchanged, as the new last line of the log pane.
    virtual void AdicionaLinha(const QString& linha) = 0;
    // An OK box titled "Quelix"; returns when it is dismissed.
    virtual void MostraMensagem(const QString& texto) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool Pergunta(const QString& texto, const QString& titulo) = 0;
    // The standard error box: the message, a stop icon, OK, titled "Quelix".
    virtual void MostraErro(const QString& texto) = 0;
    // A handler's work starts (true) or ends (false): the window shows the
    // busy cursor in between. Calls nest.
    virtual void IndicaOcupado(bool /*ocupado*/) {}
};
