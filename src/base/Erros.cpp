#include "base/Erros.h"

Exception::Exception(const QString& mensagem)
    : FMensagem(mensagem), FUtf8(mensagem.toUtf8())
{
}

QString MensagemDoErro(const std::exception& erro)
{
    if (const auto* excecao = dynamic_cast<const Exception*>(&erro))
        return excecao->Message();
    return QString::fromUtf8(erro.what());
}

QString MensagemDoErro(std::exception_ptr erro)
{
    try {
        std::rethrow_exception(erro);
    } catch (const std::exception& e) {
        return MensagemDoErro(e);
    } catch (...) {
        return QStringLiteral("Erro inesperado.");
    }
}
