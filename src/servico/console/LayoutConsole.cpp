#include "servico/console/LayoutConsole.h"

#include <QFile>

QString Escapa(const QString& texto)
{
    QString escapado = texto.toHtmlEscaped();
    escapado.replace(u'\'', QStringLiteral("&#39;"));
    return escapado;
}

QString CampoCsrf(const QByteArray& csrf)
{
    return QStringLiteral("<input type=\"hidden\" name=\"csrf\" value=\"%1\">").arg(Escapa(QString::fromLatin1(csrf)));
}

QString PaginaConsole(const TMolduraConsole& moldura)
{
    static const std::pair<const char*, const char*> paginas[] = {
        {"/", "Estado"}, {"/historico", "Histórico"}, {"/fila", "Fila"}, {"/acoes", "Ações"}};
    QString navegacao;
    for (const auto& [caminho, nome] : paginas)
        navegacao += QStringLiteral("<a href=\"%1\"%2>%3</a>")
                         .arg(QLatin1String(caminho),
                              moldura.Ativa == QLatin1String(caminho) ? QStringLiteral(" class=\"ativa\"") : QString(),
                              QString::fromUtf8(nome));
    QString quem;
    if (!moldura.Usuario.isEmpty())
        quem = QStringLiteral("<form method=\"post\" action=\"/logout\" class=\"sair\"><span>%1</span>%2"
                              "<button type=\"submit\">Sair</button></form>")
                   .arg(Escapa(moldura.Usuario), CampoCsrf(moldura.Csrf));
    else if (moldura.PedeEntrada)
        quem = QStringLiteral("<a href=\"/login\" class=\"entrar\">Entrar</a>");
    return QStringLiteral("<!DOCTYPE html>\n<html lang=\"pt-BR\"><head><meta charset=\"utf-8\">"
                          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                          "<title>Quelix — %1</title><link rel=\"stylesheet\" href=\"/estatico/console.css\">"
                          "<script src=\"/estatico/console.js\" defer></script></head>"
                          "<body><header><span class=\"marca\">Quelix</span><nav>%2</nav>%3</header>"
                          "<main><h1>%1</h1>\n%4\n</main></body></html>\n")
        .arg(Escapa(moldura.Titulo), navegacao, quem, moldura.Corpo);
}

std::optional<TArquivoEstatico> ArquivoEstatico(const QString& nome)
{
    static const std::pair<const char*, const char*> arquivos[] = {
        {"console.css", "text/css; charset=utf-8"}, {"console.js", "text/javascript; charset=utf-8"}};
    for (const auto& [arquivo, tipo] : arquivos) {
        if (nome != QLatin1String(arquivo))
            continue;
        QFile recurso(QStringLiteral(":/console/") + nome);
        if (!recurso.open(QIODevice::ReadOnly))
            return std::nullopt;
        return TArquivoEstatico{tipo, recurso.readAll()};
    }
    return std::nullopt;
}
