#pragma once

#include "dblayer/KoDatabase.h"

#include <QObject>

// The transaction component of a connection. It only carries options:
// transactions are started by the query component and committed or rolled
// back through the connection.
class TKoCustomTransaction : public QObject {
    Q_OBJECT
public:
    explicit TKoCustomTransaction(QObject* owner = nullptr) : QObject(owner)
    {
        Options.AutoCommit = false;
        Options.AutoStop = false;
        Options.AutoStart = true;
        Options.DisconnectAction = TKoDisconnectAction::xdRollback;
    }

    TKoCustomDatabase* Connection = nullptr;
    TKoTxOptions Options;
};

class TKoTransaction : public TKoCustomTransaction {
    Q_OBJECT
public:
    using TKoCustomTransaction::TKoCustomTransaction;
};
