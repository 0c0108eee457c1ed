#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// Every statement the system sends, line by line as the code builds it.
// Values that the code splices into the text appear with a representative
// sample; named parameters keep their :NAME markers and get a sample value
// in `parametros`. The tests prepare or run each one against the schema
// scripts (and, translated, on the other servers).
struct ComandoSistema {
    QString id;           // operation/step, e.g. "EnviaLotesBruma/insere-OB"
    QString banco;        // "ERP", "EAS" (host exchange tables) or "Bruma"
    QStringList linhas;
    QVariantMap parametros;
};

const QList<ComandoSistema>& ComandosSistema();
