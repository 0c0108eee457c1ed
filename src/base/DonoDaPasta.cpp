#include "base/DonoDaPasta.h"

#include <QFile>
#include <QFileInfo>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct TDono {
    uid_t Usuario = 0;
    gid_t Grupo = 0;
};

bool LeDono(const QString& caminho, TDono& dono)
{
    struct stat estado {};
    if (::lstat(QFile::encodeName(caminho).constData(), &estado) != 0)
        return false;
    dono = {estado.st_uid, estado.st_gid};
    return true;
}

QString PastaDe(const QString& caminho) { return QFileInfo(caminho).absolutePath(); }

QString Nome(const TDono& dono)
{
    const passwd* usuario = ::getpwuid(dono.Usuario);
    const group* grupo = ::getgrgid(dono.Grupo);
    return (usuario ? QString::fromLocal8Bit(usuario->pw_name) : QString::number(dono.Usuario)) + u':'
        + (grupo ? QString::fromLocal8Bit(grupo->gr_name) : QString::number(dono.Grupo));
}

} // namespace

void DaAoDonoDaPasta(const QString& caminho)
{
    TDono pasta;
    TDono proprio;
    if (::geteuid() != 0 || !LeDono(PastaDe(caminho), pasta) || !LeDono(caminho, proprio))
        return;
    if (proprio.Usuario != pasta.Usuario || proprio.Grupo != pasta.Grupo) {
        // Root may fail only where it is not root (a share that maps it to
        // nobody); the file then stays as it was made.
        [[maybe_unused]] const int r = ::lchown(QFile::encodeName(caminho).constData(), pasta.Usuario, pasta.Grupo);
    }
}

QString DonoDiferenteDaPasta(const QString& caminho)
{
    TDono pasta;
    TDono proprio;
    if (::geteuid() != 0 || !LeDono(PastaDe(caminho), pasta) || !LeDono(caminho, proprio)
        || proprio.Usuario == pasta.Usuario)
        return {};
    return QStringLiteral("pertence a %1, não a %2, dono de %3").arg(Nome(proprio), Nome(pasta), PastaDe(caminho));
}
