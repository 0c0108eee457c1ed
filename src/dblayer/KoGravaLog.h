#pragma once

#include <QString>

// The machine name and address written into the statement log lines of a
// connection; exists while the connection's logging has been switched on.
struct TKoGravaLog {
    QString NmMaquina;
    QString NrIP;
};
