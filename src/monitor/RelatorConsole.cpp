#include "monitor/RelatorConsole.h"

void TRelatorConsole::AdicionaLinha(const QString& linha)
{
    const QByteArray bytes = linha.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), FSaida);
    std::fputc('\n', FSaida);
    std::fflush(FSaida);
}

void TRelatorConsole::MostraMensagem(const QString& texto) { EscreveErro(texto); }

bool TRelatorConsole::Pergunta(const QString& texto, const QString& /*titulo*/)
{
    EscreveErro(texto);
    return false;
}

void TRelatorConsole::MostraErro(const QString& texto) { EscreveErro(texto); }

void TRelatorConsole::EscreveErro(const QString& texto)
{
    const QByteArray bytes = (QStringLiteral("Quelix: ") + texto).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), FErros);
    std::fputc('\n', FErros);
    std::fflush(FErros);
}
