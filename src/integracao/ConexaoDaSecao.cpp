#include "integracao/ConexaoDaSecao.h"

#include "integracao/AbreConexao.h"

std::optional<QString> TConexaoDaSecao::Conecta(const TConfiguracao& ini, const QString& secao,
                                                const QString& databaseName, TServidorPostgres servidor)
{
    ConfiguraDaSecao(FBanco, ini, secao, databaseName, servidor);
    FbConfigurado = true;
    return TentaAbrir(FBanco);
}

QList<TKoDatabase*> TConexaoDaSecao::Conexoes() const
{
    if (!FbConfigurado)
        return {};
    return {&FBanco};
}

void TConexaoDaSecao::Encerra()
{
    if (FBanco.Connected())
        FBanco.Close();
}

void DesfazPendentes(std::initializer_list<TKoDatabase*> bancos)
{
    for (TKoDatabase* banco : bancos) {
        try {
            if (banco->InTransaction())
                banco->RollbackRetaining();
        } catch (...) {
        }
    }
}
