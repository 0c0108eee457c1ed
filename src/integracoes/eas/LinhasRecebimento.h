#pragma once

#include <QString>

// Log-pane lines the inbound passes share.

inline QString LinhaLendo(const QString& tipo, const QString& fal, const QString& datos)
{
    return QStringLiteral("Lendo Movimento do FTOHOST (") + tipo + QStringLiteral(") - FAL: ") + fal
         + QStringLiteral(" DADOS ") + datos;
}

inline QString LinhaIgnorado(const QString& tipo, const QString& datos)
{
    return QStringLiteral("Registro Ignorado na Gravação Movimentos do FTOHOST (") + tipo + QStringLiteral("): ")
         + datos;
}
