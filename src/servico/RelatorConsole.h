#pragma once

#include "integracao/Relator.h"

#include <cstdio>

// The reporting of the modes without a window: log pane lines go to standard
// output, one per line, as the pane would show them; modal messages go to
// standard error prefixed with "Quelix: " and count as answered OK (a Yes/No
// question as No).
class TRelatorConsole : public TRelator {
public:
    explicit TRelatorConsole(std::FILE* saida = stdout, std::FILE* erros = stderr)
        : FSaida(saida), FErros(erros) {}

    // quelix --verifica: start-up's lines and modal messages (a connection
    // that does not open, a key missing) are not written, since each check
    // says its own failure as one line; nothing is said twice. Errors are.
    void DefineCalado(bool calado) { FbCalado = calado; }

    void AdicionaLinha(const QString& linha) override;
    void MostraMensagem(const QString& texto) override;
    bool Pergunta(const QString& texto, const QString& titulo) override;
    void MostraErro(const QString& texto) override;

private:
    void EscreveErro(const QString& texto);

    std::FILE* FSaida;
    std::FILE* FErros;
    bool FbCalado = false;
};
