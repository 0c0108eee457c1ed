#pragma once

#include "soap/ChamadaSoap.h"
#include "soap/ClienteSoap.h"

#include <QString>
#include <QStringList>

#include <array>

namespace Vapora {

// The namespace of every Vapora interface and type. Bound by description,
// the client takes the one the description declares.
inline constexpr char EspacoVapora[] = "http://integracao.vapora/";

// The nine services, in the order of the queue's task codes.
enum class TServicoVapora {
    Artigo, Cliente, Cor, ClasseProduto, SubClasseProduto, Produto,
    GerarOP, Programacao, TipoFio
};

// What the system knows of one service before reading its description.
struct TContratoVapora {
    TServicoVapora Servico;
    QString Interface;      // "ArtigoWS"
    QString NomeServico;    // "ArtigoWSService"
    QString NomePorta;      // "ArtigoWSPort"
    QString ChaveIni;       // key of [Vapora] in QX.ini: "Artigo"
    QString LocalPadrao;    // default location of the description
    QString EnderecoPadrao; // the same, as a direct endpoint address
    TEstiloSoap Estilo;
    QStringList Operacoes;  // the operations the queue's dispatch calls
    // Operations of the interface the dispatch never calls (the customer's
    // saveByAux and deleteByAux): a description may lack them.
    QStringList OperacoesNaoChamadas = {};
};

const TContratoVapora& ContratoVapora(TServicoVapora servico);
const std::array<TServicoVapora, 9>& ServicosVapora();

// The client component of one service (the window's HTTPArtigo ...
// HTTPTipoFio): the configured location and the description it has read.
using TClienteVapora = TClienteSoap;

} // namespace Vapora
