#include "integracao/AbreConexao.h"

#include "base/Erros.h"
#include "dblayer/KoDatabase.h"
#include "integracao/Configuracao.h"
#include "integracao/ProtocoloParaDriver.h"

void ConfiguraDaSecao(TKoDatabase& banco, const TConfiguracao& ini, const QString& secao,
                      const QString& databaseName)
{
    if (banco.Connected())
        banco.Close();
    banco.SetDriverName(ProtocoloParaDriver(ini.LerIni(secao, QStringLiteral("Protocolo"))));
    banco.SetDatabaseName(databaseName);
    banco.Password = ini.LerIni(secao, QStringLiteral("Senha"));
    banco.User = ini.LerIni(secao, QStringLiteral("Usuario"));
}

std::optional<QString> TentaAbrir(TKoDatabase& banco)
{
    try {
        banco.Open();
        return std::nullopt;
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}
