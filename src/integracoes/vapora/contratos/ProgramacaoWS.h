#pragma once

#include "integracoes/vapora/contratos/InterfaceVapora.h"
#include "integracoes/vapora/contratos/TiposVapora.h"

namespace Vapora {

// Machine programmes of lots and their start permission. document/literal.
class ProgramacaoWS : public TInterfaceVapora {
public:
    ProgramacaoWS(bool useDescription, const QString& location, TClienteVapora* client)
        : TInterfaceVapora(TServicoVapora::Programacao, useDescription, location, client) {}

    void programar(const programacao& prog);
    void excluirProgramacao(const QString& opInterna);
    void atualizarPodeIniciar(const opPodeIniciar& permissao);
};

std::unique_ptr<ProgramacaoWS> ObtemProgramacaoWS(bool useDescription, const QString& location,
                                                  TClienteVapora* client = nullptr);

} // namespace Vapora
