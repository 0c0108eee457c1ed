#include "integracoes/vapora/contratos/ProgramacaoWS.h"

namespace Vapora {

void ProgramacaoWS::programar(const programacao& prog)
{
    Chama(QStringLiteral("programar"), {ElementoSoap("programacao", prog)});
}

void ProgramacaoWS::excluirProgramacao(const QString& opInterna)
{
    Chama(QStringLiteral("excluirProgramacao"), {ElementoSoap("opInterna", opInterna)});
}

void ProgramacaoWS::atualizarPodeIniciar(const opPodeIniciar& permissao)
{
    Chama(QStringLiteral("atualizarPodeIniciar"), {ElementoSoap("opPodeIniciar", permissao)});
}

std::unique_ptr<ProgramacaoWS> ObtemProgramacaoWS(bool useDescription, const QString& location,
                                                  TClienteVapora* client)
{
    return std::make_unique<ProgramacaoWS>(useDescription, location, client);
}

} // namespace Vapora
