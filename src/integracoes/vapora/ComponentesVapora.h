#pragma once

#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "integracoes/vapora/contratos/ServicosVapora.h"

// The data components of the Vapora pass: the queries on the ERP connection
// (the monitor's) and the client component of each of the nine services,
// which keeps its configured location and the description it read there.
struct TComponentesVapora {
    explicit TComponentesVapora(TKoDatabase& erp);

    TKoDatabase& KoDatabase1;

    TKoQuery KoQuery1;  // the pending queue rows
    TKoQuery QryExec1;  // status updates and the clearing of the queue
    TKoQuery QryAux1;   // the lot of a production order or programme
    TKoQuery QryLote1;  // whether the ERP has the lot a row names

    Vapora::TClienteVapora HTTPArtigo;
    Vapora::TClienteVapora HTTPCliente;
    Vapora::TClienteVapora HTTPCor;
    Vapora::TClienteVapora HTTPClasseProduto;
    Vapora::TClienteVapora HTTPSubClasseProduto;
    Vapora::TClienteVapora HTTPProduto;
    Vapora::TClienteVapora HTTPGerarOP;
    Vapora::TClienteVapora HTTPProgramacao;
    Vapora::TClienteVapora HTTPTipoFio;

    Vapora::TClienteVapora& Cliente(Vapora::TServicoVapora servico);

    // What was wrong with the answers the clients' last calls had although
    // a 2xx status confirmed them; forgotten before each row.
    QStringList RespostasIncompletas();
    void EsqueceRespostasIncompletas();

    // The calls the clients made since they were last forgotten, as the
    // journal keeps them: each envelope as posted, its answer's status and
    // its fault string. Forgotten before each row.
    QString ConteudoDasTrocas();
    void EsqueceTrocas();
};
