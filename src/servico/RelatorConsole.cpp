#include "servico/RelatorConsole.h"

namespace {

// A terminal would go back to the start of the line at a CR and write over
// it: every line break, CR LF, CR or LF, becomes one LF.
QByteArray ComQuebrasDeLinha(QString texto)
{
    texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texto.replace(u'\r', u'\n');
    return texto.toUtf8();
}

void Escreve(std::FILE* arquivo, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), arquivo);
    std::fputc('\n', arquivo);
    std::fflush(arquivo);
}

} // namespace

void TRelatorConsole::AdicionaLinha(const QString& linha)
{
    if (!FbCalado)
        Escreve(FSaida, ComQuebrasDeLinha(linha));
}

void TRelatorConsole::MostraMensagem(const QString& texto)
{
    if (!FbCalado)
        EscreveErro(texto);
}

bool TRelatorConsole::Pergunta(const QString& texto, const QString& /*titulo*/)
{
    EscreveErro(texto);
    return false;
}

void TRelatorConsole::MostraErro(const QString& texto) { EscreveErro(texto); }

void TRelatorConsole::EscreveErro(const QString& texto)
{
    Escreve(FErros, ComQuebrasDeLinha(QStringLiteral("Quelix: ") + texto));
}
