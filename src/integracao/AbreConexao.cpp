#include "integracao/AbreConexao.h"

#include "base/Erros.h"
#include "dblayer/ConexaoQt.h"
#include "dblayer/KoDatabase.h"
#include "integracao/Configuracao.h"
#include "integracao/ProtocoloParaDriver.h"

namespace {

// "host" or "host:port" of the PostgreSQL server; the port is 5432 when it is
// missing or not a decimal integer.
std::pair<QString, int> HostEPorta(const QString& servidor)
{
    const qsizetype doisPontos = servidor.indexOf(QLatin1Char(':'));
    if (doisPontos < 0)
        return {servidor, 5432};
    bool ok = false;
    const int porta = servidor.mid(doisPontos + 1).toInt(&ok, 10);
    return {servidor.left(doisPontos), ok ? porta : 5432};
}

} // namespace

void ConfiguraDaSecao(TKoDatabase& banco, const TConfiguracao& ini, const QString& secao,
                      const QString& databaseName, TServidorPostgres servidor)
{
    if (banco.Connected())
        banco.Close();
    banco.SetDriverName(ProtocoloParaDriver(ini.LerIni(secao, QStringLiteral("Protocolo"))));
    banco.SetDatabaseName(databaseName);
    banco.Password = ini.LerIni(secao, QStringLiteral("Senha"));
    banco.User = ini.LerIni(secao, QStringLiteral("Usuario"));
    if (banco.DriverName() != QLatin1String("PG") || !ConexaoQt::FonteOdbc(databaseName).isEmpty())
        return;
    if (servidor == TServidorPostgres::SempreLido || ini.ExisteChaveIni(secao, QStringLiteral("servidor")))
        ConfiguraServidorPostgres(banco, ini.LerIni(secao, QStringLiteral("servidor")), databaseName);
    else
        banco.Port = 0;  // the host and database split from Base above; the driver's port
}

void ConfiguraServidorPostgres(TKoDatabase& banco, const QString& servidor, const QString& base)
{
    const auto [host, porta] = HostEPorta(servidor);
    // The whole Base is the database name, even when it holds a ":".
    banco.SetDatabaseName(base);
    banco.Database = base;
    banco.HostName = host;
    banco.Port = porta;
}

std::optional<QString> TentaAbrir(TKoDatabase& banco)
{
    try {
        banco.Open();
        return std::nullopt;
    } catch (const std::exception& e) {
        return MensagemDoErro(e);
    }
}
