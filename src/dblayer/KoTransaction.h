#pragma once

#include "dblayer/KoDatabase.h"

#include <QObject>

// The transaction component of a connection. It carries nothing of its own:
// transactions are started by the query component and committed, rolled
// back and ended through the connection.
class TKoCustomTransaction : public QObject {
    Q_OBJECT
public:
    explicit TKoCustomTransaction(QObject* owner = nullptr) : QObject(owner) {}

    TKoCustomDatabase* Connection = nullptr;
};

class TKoTransaction : public TKoCustomTransaction {
    Q_OBJECT
public:
    using TKoCustomTransaction::TKoCustomTransaction;
};
