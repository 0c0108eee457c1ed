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

    void AdicionaLinha(const QString& linha) override;
    void MostraMensagem(const QString& texto) override;
    bool Pergunta(const QString& texto, const QString& titulo) override;
    void MostraErro(const QString& texto) override;

private:
    void EscreveErro(const QString& texto);

    std::FILE* FSaida;
    std::FILE* FErros;
};
