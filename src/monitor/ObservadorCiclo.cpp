#include "monitor/ObservadorCiclo.h"

#include "base/Erros.h"

QString MensagemDoErro(std::exception_ptr erro)
{
    try {
        std::rethrow_exception(erro);
    } catch (const Exception& e) {
        return e.Message().isEmpty() ? QStringLiteral("Ciclo interrompido.") : e.Message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Erro inesperado.");
    }
}
