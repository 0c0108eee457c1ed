#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

// One monitor per folder: two monitors on the same QX.ini would send the
// same lots twice and give two lots one machine position. The lock is a file
// beside QX.ini, held for the life of the process; one left behind by a
// process that died is taken over.
class TTravaPasta {
public:
    explicit TTravaPasta(const QString& pasta);

    // True when this process now holds the folder.
    bool Obtem();
    // Who holds it, for the message of the monitor that did not get it.
    QString Motivo() const { return FMotivo; }

private:
    QString FCaminho;
    std::unique_ptr<QLockFile> FTrava;
    QString FMotivo;
};
