#include "base/UsuarioSistema.h"

#include <pwd.h>
#include <unistd.h>

QString UsuarioDoSistema()
{
    const passwd* conta = getpwuid(geteuid());
    QString usuario = conta ? QString::fromLocal8Bit(conta->pw_name) : QString::number(geteuid());
    const QString sudo = qEnvironmentVariable("SUDO_USER");
    if (!sudo.isEmpty() && sudo != usuario)
        usuario += QStringLiteral(" (sudo de %1)").arg(sudo);
    return usuario;
}
