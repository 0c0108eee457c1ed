#include "servico/TravaPasta.h"

#include <QDir>

TTravaPasta::TTravaPasta(const QString& pasta)
    : FCaminho(QDir(pasta).filePath(QStringLiteral("quelix.lock")))
    , FTrava(std::make_unique<QLockFile>(FCaminho))
{
    // Never stale by age: only a holder that no longer exists gives it up.
    FTrava->setStaleLockTime(0);
}

bool TTravaPasta::Obtem()
{
    if (FTrava->tryLock(0))
        return true;
    qint64 pid = 0;
    QString maquina;
    QString aplicacao;
    if (FTrava->error() == QLockFile::LockFailedError && FTrava->getLockInfo(&pid, &maquina, &aplicacao))
        FMotivo = QStringLiteral("outro monitor (processo %1 em %2) já usa esta pasta: %3")
                      .arg(pid)
                      .arg(maquina, FCaminho);
    else
        FMotivo = QStringLiteral("não foi possível criar a trava %1").arg(FCaminho);
    return false;
}
