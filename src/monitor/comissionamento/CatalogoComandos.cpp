#include "monitor/comissionamento/CatalogoComandos.h"

#include "base/Erros.h"

#include <QJsonDocument>
#include <QJsonObject>

QList<TComandoCatalogo> LeCatalogoComandos(const QByteArray& conteudo)
{
    QList<TComandoCatalogo> comandos;
    int numero = 0;
    for (const QByteArray& linha : conteudo.split('\n')) {
        ++numero;
        if (linha.trimmed().isEmpty())
            continue;
        const QJsonObject objeto = QJsonDocument::fromJson(linha).object();
        const TComandoCatalogo comando{objeto.value(QStringLiteral("modelo")).toString(),
                                       objeto.value(QStringLiteral("banco")).toString(),
                                       objeto.value(QStringLiteral("texto")).toString()};
        if (comando.Modelo.isEmpty() || comando.Banco.isEmpty() || comando.Texto.isEmpty())
            throw Exception(QStringLiteral("Catálogo de comandos: linha %1 ilegível.").arg(numero));
        comandos << comando;
    }
    return comandos;
}
