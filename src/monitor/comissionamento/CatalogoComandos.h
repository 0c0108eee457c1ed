#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One statement the system sends, as the integration tests recorded it (the
// catalogue committed beside the code and built into the executable): the
// model whose passes send it (an integration's caption), the database it
// goes to ("ERP", or the model's own database), and its text as the code
// writes it.
struct TComandoCatalogo {
    QString Modelo;
    QString Banco;
    QString Texto;
};

// Reads the catalogue, one JSON object a line; raises Exception naming a
// line that cannot be read.
QList<TComandoCatalogo> LeCatalogoComandos(const QByteArray& conteudo);
