#pragma once

#include <QString>

// The service description locations of the nine web-service clients, set at
// start-up from the [Vapora] keys of QX.ini. An empty text means the key was
// empty or missing; the clients then fall back to their own default.
struct TLocaisVapora {
    QString HTTPArtigo;
    QString HTTPCliente;
    QString HTTPCor;
    QString HTTPClasseProduto;
    QString HTTPSubClasseProduto;
    QString HTTPProduto;
    QString HTTPGerarOP;
    QString HTTPProgramacao;
    QString HTTPTipoFio;
};
