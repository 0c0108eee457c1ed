#pragma once

#include "integracao/Relator.h"

#include <QObject>
#include <QTimer>

#include <set>

// Looks, every second on the thread that owns it, at the database calls in
// progress, and says once of each that has run past its limit which call it
// is and on which connection: a server that stops answering without closing
// (frozen, or a network that drops packets) can hold a call longer than any
// limit the client library keeps. The cycle's thread is the one waiting, so
// this runs on the monitor's own.
class TVigiaChamadas : public QObject {
    Q_OBJECT
public:
    explicit TVigiaChamadas(TRelator& relator);

    // One look now (the timer calls it every second).
    void Verifica();

private:
    TRelator& FRelator;
    QTimer FTimer;
    std::set<quint64> FAvisadas;
};
