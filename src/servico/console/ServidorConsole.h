#pragma once

#include "servico/ServidorMetricas.h"

#include <QSslConfiguration>
#include <QString>
#include <QStringList>
#include <QUrlQuery>

#include <functional>
#include <memory>
#include <optional>

class TConfiguracao;
class TRelator;
class TVerificacao;

// What the console shows and does, given by whoever starts it: each page's
// body (an HTML fragment, its texts already escaped) and each action. One
// left empty shows that the page or action is not available.
struct TFontesConsole {
    std::function<QString(const QUrlQuery&)> Estado;
    std::function<QString(const QUrlQuery&)> Historico;
    // A download of the history: the bytes of --historico in `formato`
    // ("csv" or "json") for the same filters.
    std::function<QByteArray(const QUrlQuery&, const QString& formato)> HistoricoArquivo;
    // `csrf` is the session's token for the "Reenviar" forms (a field named
    // "csrf", posted with "ordem" to /acoes/reenviar); empty when nobody is
    // logged in, and then the page offers no action.
    // The queue is read on the monitor's thread: `fim` is called once, now
    // or later, with the body.
    using TFimPagina = std::function<void(const QString& corpo)>;
    std::function<void(const QByteArray& csrf, const TFimPagina& fim)> Fila;
    std::function<bool()> Monitorando;
    // Pause and resume polling as "Monitorando" does; false when an error
    // escaped.
    std::function<bool()> Pausa;
    std::function<bool()> Continua;
    // "Verificar configuração": the lines of --verifica.
    std::function<QStringList()> Verifica;
    // "Reenviar" a queue row; `fim` is called once, now or later, with the
    // outcome in a sentence.
    using TFimReenvio = std::function<void(bool ok, const QString& mensagem)>;
    std::function<void(qint64 ordem, const QString& usuario, const QString& endereco, const TFimReenvio& fim)> Reenvia;
};

// [Monitor] Console (the address; empty or absent: off), ConsoleCertificado
// and ConsoleChave (PEM files, relative to the folder of QX.ini: HTTPS), and
// ConsoleSemTls=S (plain HTTP on an address other than a loopback one).
struct TConfiguracaoConsole {
    TEnderecoMetricas Endereco;
    std::optional<QSslConfiguration> Tls;
    bool SemTls = false;
    QString ArquivoUsuarios;
};
// None when the console is off. Raises Exception saying why when the keys
// do not allow it: a wrong address, a certificate or key that cannot be
// read, one without the other, or an address other than a loopback one
// with neither (without ConsoleSemTls=S).
std::optional<TConfiguracaoConsole> LeConfiguracaoConsole(const TConfiguracao& ini);

// --verifica's lines for the console's keys and users file (none when the
// console is off).
void VerificaConsole(const TConfiguracao& ini, TVerificacao& verificacao);

// The web console: the pages Estado (/), Histórico (/historico), Fila
// (/fila) and Ações (/acoes), /login and /logout, and its built-in assets
// (/estatico/), on TServidorHttp with its bounds.
//
// Who may do what: the read-only pages are open without a login only while
// the console listens on a loopback address (and then only to a request
// naming this machine as its host); every action needs a logged-in user
// and the session's CSRF token. Passwords are checked off the main loop,
// at most MaximoConferencias at a time; failed logins are slowed per
// address (TFreioEntrada), the answer to one delayed by AtrasoFalhaMs with
// a timer. An error while answering is said in the log; the page shows no
// detail of it.
class TServidorConsole {
public:
    static constexpr int MaximoConferencias = 4;
    static constexpr int AtrasoFalhaMs = 1000;

    TServidorConsole(TConfiguracaoConsole configuracao, TFontesConsole fontes, TRelator& relator);
    ~TServidorConsole();
    TServidorConsole(const TServidorConsole&) = delete;
    TServidorConsole& operator=(const TServidorConsole&) = delete;

    // Raises Exception when the address cannot be listened on.
    void Escuta();

    // Reads the keys of `ini` and starts listening; null when the console
    // is off, or when it cannot start, which is said through `relator` with
    // why; the monitor goes on without it.
    static std::unique_ptr<TServidorConsole> Inicia(const TConfiguracao& ini, TFontesConsole fontes, TRelator& relator);

    quint16 Porta() const;
    // For the tests: the sizes of what the console keeps per client.
    int EnderecosFreados() const;
    int Sessoes() const;

    class TAtendimento;

private:
    std::unique_ptr<TAtendimento> FAtendimento;
};
