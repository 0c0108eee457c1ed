#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The console's page frame: the head, the navigation between its pages, who
// is logged in (with "Sair") and the page's body. Its style and script are
// built into the executable (a Qt resource): no page loads anything from
// elsewhere, since a site may have no internet.
struct TMolduraConsole {
    QString Titulo;        // "Estado", "Histórico"...
    QString Ativa;         // the path of the page in the navigation
    QString Usuario;       // empty when nobody is logged in
    QByteArray Csrf;       // of the session, for "Sair"
    bool PedeEntrada = false;  // show "Entrar" when nobody is logged in
    QString Corpo;         // HTML
};

QString PaginaConsole(const TMolduraConsole& moldura);

// Text as HTML (&, <, >, " and ').
QString Escapa(const QString& texto);

// A form's hidden field carrying the session's CSRF token; every form of
// the console posts it as "csrf".
QString CampoCsrf(const QByteArray& csrf);

// A built-in asset by its path under /estatico/ ("console.css"): its type
// and bytes; none for any other name.
struct TArquivoEstatico {
    QByteArray Tipo;
    QByteArray Conteudo;
};
std::optional<TArquivoEstatico> ArquivoEstatico(const QString& nome);
