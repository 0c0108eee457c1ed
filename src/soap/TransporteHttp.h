#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// One HTTP exchange, synchronous for the caller: the network manager of the
// calling thread (made at its first exchange, kept while the thread lives,
// so one call after another reuses its connections) and a local event loop
// that waits for the whole answer within the transfer limit. Works on the
// main thread and on any thread that has an event dispatcher; needs a
// QCoreApplication. Invalid server certificates are accepted.

struct TRespostaHttp {
    int Status = 0;        // the HTTP status code
    QString Frase;         // its reason phrase
    QByteArray Corpo;
    QString ErroRede;      // Qt's text for an HTTP error status, if any
};

using TCabecalhosHttp = QList<QPair<QByteArray, QByteArray>>;

// GET, or POST when `corpo` is given. An answer with an HTTP status, error
// statuses included, is returned so the caller can read a fault in its body;
// no answer (connection refused, name not found, time limit, connection
// closed) raises ESoapTransporte with what happened.
// With `verificaCertificado` false an HTTPS server's certificate is accepted
// whatever it is; true refuses one that does not verify (a transport
// failure).
TRespostaHttp ExecutaHttp(const QString& url, const TCabecalhosHttp& cabecalhos,
                          const QByteArray* corpo, bool verificaCertificado = false);
