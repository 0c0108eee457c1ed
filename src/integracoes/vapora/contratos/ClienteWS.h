#pragma once

#include "integracoes/vapora/contratos/InterfaceVapora.h"

namespace Vapora {

// Customers, by their code or by their auxiliary code.
// rpc/encoded. "delete" is delete_ here, as delete is a C++ keyword.
class ClienteWS : public TInterfaceVapora {
public:
    ClienteWS(bool useDescription, const QString& location, TClienteVapora* client)
        : TInterfaceVapora(TServicoVapora::Cliente, useDescription, location, client) {}

    void delete_(qint32 codigo);
    void save(qint32 codigo, const QString& nome);
    void saveByAux(const QString& cdAuxiliar, const QString& razaoSocial,
                   const QString& nomeFantasia, const QString& cnpj, const QString& cpf,
                   const QString& ie, const QString& fone, const QString& endereco,
                   const QString& numero, const QString& bairro, const QString& cep,
                   qint32 codigoIBGEMunicipio, qint32 codigoBACENPais,
                   const QString& caixaPostal);
    void deleteByAux(const QString& cdAuxiliar);
};

std::unique_ptr<ClienteWS> ObtemClienteWS(bool useDescription, const QString& location,
                                          TClienteVapora* client = nullptr);

} // namespace Vapora
