#pragma once

#include <QString>

// What the monitor makes in its folder (Logs/, the daily logs, the journal)
// belongs to whoever the folder belongs to. A command run as root on the
// service's folder (/var/lib/quelix, the user quelix's) would otherwise
// leave there folders and files the service cannot write.

// Gives `caminho`, just made by this process, to the owner and group of the
// folder it is in. Only root can give a file away: run as anyone else,
// nothing changes (and then the file is that user's own, in a folder that
// user may write).
void DaAoDonoDaPasta(const QString& caminho);

// Empty when `caminho` belongs to the owner of the folder it is in, or this
// process is not root; otherwise why the folder's owner may not write it:
// "pertence a root:root, não a quelix:quelix, dono de /var/lib/quelix".
QString DonoDiferenteDaPasta(const QString& caminho);
