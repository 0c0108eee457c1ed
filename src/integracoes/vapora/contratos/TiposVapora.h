#pragma once

#include "soap/ValorSoap.h"

#include <QList>
#include <QString>

#include <optional>

// The structured types of the Vapora services. An optional element is sent
// only when its property has been set (assigning it marks it present; an
// empty text is present); a required one is always sent; a list sends one
// element per entry and nothing when empty. Fields are in the order they are
// sent. A container owns its entries.

namespace Vapora {

// One item of a production order.
struct itemOP {
    std::optional<QString> cdAuxArtigo;
    std::optional<QString> cdAuxTipoFio;
    std::optional<double> peso;
    std::optional<qint32> quantidade;
};

// A production order.
struct op {
    std::optional<QString> cdAuxCor;
    std::optional<qint32> cdCliente;
    std::optional<qint32> cdGrupoMaquina;
    QList<itemOP> itens;
    std::optional<QString> opInterna;
    std::optional<QString> referenciaSubprocesso;
    std::optional<bool> reprocesso;
};

// One dye or chemical of a machine programme.
struct produto {
    bool automatico = false;
    std::optional<QString> cdAuxProduto;
    std::optional<double> intensidade;
    std::optional<double> peso;
    qint32 seqPreparacao = 0;
    std::optional<double> volume;
};

// The machine programme of one or more lots.
struct programacao {
    std::optional<qint32> cdMaquina;
    std::optional<qint32> cdAuxMaquina;
    QList<QString> opInternas;
    QList<produto> produtos;
    std::optional<qint32> seqProgramacao;
    std::optional<bool> podeIniciar;
};

// The start permission of lots.
struct opPodeIniciar {
    QList<QString> opInternas;
    std::optional<bool> podeIniciar;
};

TValorSoap ValorSoap(const itemOP& item);
TValorSoap ValorSoap(const op& ordem);
TValorSoap ValorSoap(const produto& prod);
TValorSoap ValorSoap(const programacao& prog);
TValorSoap ValorSoap(const opPodeIniciar& permissao);

} // namespace Vapora
