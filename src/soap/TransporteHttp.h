#pragma once

#include "soap/LimiteTransferencia.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QPair>
#include <QString>

// One HTTP exchange, synchronous for the caller: the network manager of the
// calling thread (made at its first exchange, kept while the thread lives,
// so one call after another reuses its connections) and a local event loop
// that waits for the whole answer within the transfer limit. Works on the
// main thread and on any thread that has an event dispatcher; needs a
// QCoreApplication. Invalid server certificates are accepted unless told
// otherwise.

struct TRespostaHttp {
    int Status = 0;        // the HTTP status code
    QString Frase;         // its reason phrase
    QByteArray Corpo;      // what came of the body
    QString ErroRede;      // Qt's text for an HTTP error status or a cut body, if any
    // The status line came, then the connection dropped or the limit was
    // reached before the body was whole: Corpo is only its start.
    bool Cortada = false;
};

using TCabecalhosHttp = QList<QPair<QByteArray, QByteArray>>;

// GET, or POST when `corpo` is given, ending by `prazo` at the latest. An
// answer with an HTTP status line, error statuses and cut bodies included,
// is returned so the caller can read a fault in its body and knows the
// service answered. Without a status line it raises:
//   ESoapIncerto when a POST's request went out (no answer by the deadline,
//     or the connection closed first): the service may have it;
//   ESoapInalcancavel otherwise (refused, name not found, no connection by
//     the deadline, certificate refused): nothing reached the service.
// With `verificaCertificado` false an HTTPS server's certificate is accepted
// whatever it is; true refuses one that does not verify.
TRespostaHttp ExecutaHttp(const QString& url, const TCabecalhosHttp& cabecalhos,
                          const QByteArray* corpo, bool verificaCertificado = false,
                          QDeadlineTimer prazo = PrazoChamadaSoap());
