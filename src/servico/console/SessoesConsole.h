#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QString>

// A random token of 32 bytes from the system's generator, in base64url.
QByteArray TokenAleatorio();

// The console's logged-in sessions, each known by a random token kept in a
// cookie, with a token of its own for the forms it is shown (CSRF). A
// session ends when left unused for OciosaMs, OciosaMs or not AbsolutaMs
// after the login; at most MaximoSessoes are kept, a new one taking the
// place of the one unused the longest.
class TSessoesConsole {
public:
    static constexpr int MaximoSessoes = 256;
    static constexpr qint64 OciosaMs = 30LL * 60 * 1000;
    static constexpr qint64 AbsolutaMs = 12LL * 60 * 60 * 1000;

    struct TSessao {
        QString Usuario;
        QByteArray Csrf;
        qint64 Criada = 0;
        qint64 Usada = 0;
    };

    TSessoesConsole();

    // A new session for `usuario`; its token.
    QByteArray Cria(const QString& usuario);
    // The live session of `token`, its use noted; null when none.
    const TSessao* Busca(const QByteArray& token);
    void Remove(const QByteArray& token);
    int Quantas() const { return int(FSessoes.size()); }

    // For the tests: the clock moves on by `ms`.
    void Adianta(qint64 ms) { FAdiantado += ms; }

private:
    qint64 Agora() const { return FRelogio.elapsed() + FAdiantado; }
    bool Vencida(const TSessao& sessao, qint64 agora) const;

    QElapsedTimer FRelogio;
    qint64 FAdiantado = 0;
    QHash<QByteArray, TSessao> FSessoes;
};

// Failed logins slowed per address: after a failure, that address's next
// password is not even checked before a wait that doubles with each failure
// (1 s, 2 s, ... up to MaximaEsperaMs); a failure forgotten after
// EsquecimentoMs. At most MaximoEnderecos addresses are remembered: a new
// one takes the place of the one whose last failure is the oldest, so many
// addresses cost bounded memory.
class TFreioEntrada {
public:
    static constexpr int MaximoEnderecos = 1024;
    static constexpr qint64 MaximaEsperaMs = 60000;
    static constexpr qint64 EsquecimentoMs = 15LL * 60 * 1000;

    TFreioEntrada();

    // How long `endereco` must still wait before a password is checked; 0:
    // it may be.
    qint64 Espera(const QHostAddress& endereco) const;
    void Falhou(const QHostAddress& endereco);
    void Passou(const QHostAddress& endereco);
    int Enderecos() const { return int(FEnderecos.size()); }

private:
    struct TFalhas {
        int Quantas = 0;
        qint64 Ultima = 0;
        qint64 Liberado = 0;
    };

    QElapsedTimer FRelogio;
    QHash<QString, TFalhas> FEnderecos;
};
