#include "base/Erros.h"

Exception::Exception(const QString& mensagem)
    : FMensagem(mensagem), FUtf8(mensagem.toUtf8())
{
}
