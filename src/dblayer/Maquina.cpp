#include "dblayer/Maquina.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>

QString NomeMaquina()
{
    // The short network name, as the old NetBIOS name: no domain, 15 characters.
    QString nome = QHostInfo::localHostName().section(u'.', 0, 0);
    return nome.left(15).toUpper();
}

QString IPLocal()
{
    QString loopback;
    for (const QHostAddress& endereco : QNetworkInterface::allAddresses()) {
        if (endereco.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        if (!endereco.isLoopback())
            return endereco.toString();
        if (loopback.isEmpty())
            loopback = endereco.toString();
    }
    return loopback;
}

QString CompletaZeros(qint64 valor, int largura)
{
    QString texto = QString::number(valor).trimmed();
    while (texto.size() < largura)
        texto.prepend(u'0');
    return texto;
}
