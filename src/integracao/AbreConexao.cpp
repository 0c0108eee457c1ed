#include "integracao/AbreConexao.h"

#include "base/Erros.h"
#include "dblayer/ConexaoQt.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/LimitesExecucao.h"
#include "integracao/Configuracao.h"
#include "integracao/ProtocoloParaDriver.h"

#include <QElapsedTimer>

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

// An opening that gave up at the connection's time limit is said as a time
// limit: the client library's own words for it ("connection rejected by
// remote interface", "timeout expired") name some other cause or none.
std::optional<QString> TentaAbrir(TKoDatabase& banco)
{
    QElapsedTimer relogio;
    relogio.start();
    try {
        banco.Open();
        return std::nullopt;
    } catch (const std::exception& e) {
        const int limiteMs = LimitesExecucao().OutrosMs;
        if (relogio.elapsed() + 500 < limiteMs)
            return MensagemDoErro(e);
        return QStringLiteral("o servidor não respondeu em %1 s (limite da abertura da conexão): %2")
            .arg((limiteMs + 999) / 1000)
            .arg(MensagemDoErro(e).simplified());
    }
}

QString LinhaConexaoNaoAberta(const TKoDatabase& banco, const TConfiguracao& ini, const QString& secao,
                              const QString& erro)
{
    const QString base = ini.LerIni(secao, QStringLiteral("Base"));
    return QStringLiteral("Conexão %1 não aberta: [%2] Base = %3 (driver %4): %5")
        .arg(banco.objectName(), secao, base.isEmpty() ? QStringLiteral("(vazia)") : base, banco.DriverName(),
             erro.simplified());
}
