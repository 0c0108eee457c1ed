#include "integracoes/vapora/contratos/ClienteWS.h"

namespace Vapora {

void ClienteWS::delete_(qint32 codigo)
{
    Chama(QStringLiteral("delete"), {ElementoSoap("codigo", codigo)});
}

void ClienteWS::save(qint32 codigo, const QString& nome)
{
    Chama(QStringLiteral("save"), {ElementoSoap("codigo", codigo), ElementoSoap("nome", nome)});
}

void ClienteWS::saveByAux(const QString& cdAuxiliar, const QString& razaoSocial,
                          const QString& nomeFantasia, const QString& cnpj, const QString& cpf,
                          const QString& ie, const QString& fone, const QString& endereco,
                          const QString& numero, const QString& bairro, const QString& cep,
                          qint32 codigoIBGEMunicipio, qint32 codigoBACENPais,
                          const QString& caixaPostal)
{
    Chama(QStringLiteral("saveByAux"), {ElementoSoap("cdAuxiliar", cdAuxiliar),
                                   ElementoSoap("razaoSocial", razaoSocial),
                                   ElementoSoap("nomeFantasia", nomeFantasia),
                                   ElementoSoap("cnpj", cnpj),
                                   ElementoSoap("cpf", cpf),
                                   ElementoSoap("ie", ie),
                                   ElementoSoap("fone", fone),
                                   ElementoSoap("endereco", endereco),
                                   ElementoSoap("numero", numero),
                                   ElementoSoap("bairro", bairro),
                                   ElementoSoap("cep", cep),
                                   ElementoSoap("codigoIBGEMunicipio", codigoIBGEMunicipio),
                                   ElementoSoap("codigoBACENPais", codigoBACENPais),
                                   ElementoSoap("caixaPostal", caixaPostal)});
}

void ClienteWS::deleteByAux(const QString& cdAuxiliar)
{
    Chama(QStringLiteral("deleteByAux"), {ElementoSoap("cdAuxiliar", cdAuxiliar)});
}

std::unique_ptr<ClienteWS> ObtemClienteWS(bool useDescription, const QString& location,
                                          TClienteVapora* client)
{
    return std::make_unique<ClienteWS>(useDescription, location, client);
}

} // namespace Vapora
