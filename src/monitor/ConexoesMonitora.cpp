// Start-up configuration of the monitor's connections and web-service
// locations from QX.ini.
#include "monitor/Monitora.h"

#include "base/Erros.h"
#include "monitor/ProtocoloParaDriver.h"

#include <optional>
#include <utility>

namespace {

const QString PrefixoOdbc =
    QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=");

// Opens the connection; a failure becomes the error's message (start-up
// reports it and goes on).
std::optional<QString> TentaAbrir(TKoDatabase& banco)
{
    try {
        banco.Open();
        return std::nullopt;
    } catch (const Exception& e) {
        return e.Message();
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
}

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

void TMonitora::ConfiguraBanco1()
{
    TKoDatabase& banco = FDados.KoDatabase1;
    const QString secao = QStringLiteral("Banco1");
    if (banco.Connected())
        banco.Close();
    banco.SetDriverName(ProtocoloParaDriver(LerIni(secao, QStringLiteral("Protocolo"))));
    const QString base = LerIni(secao, QStringLiteral("Base"));
    banco.SetDatabaseName(base);
    banco.Password = LerIni(secao, QStringLiteral("Senha"));
    banco.User = LerIni(secao, QStringLiteral("Usuario"));
    if (banco.DriverName() == QLatin1String("PG")) {
        const auto [host, porta] = HostEPorta(LerIni(secao, QStringLiteral("servidor")));
        // The whole Base is the database name, even when it holds a ":".
        banco.SetDatabaseName(base);
        banco.Database = base;
        banco.HostName = host;
        banco.Port = porta;
    }
    if (const auto erro = TentaAbrir(banco))
        FRelator.MostraMensagem(QStringLiteral("Erro na Conexão do Banco1!.\r") + *erro);
}

void TMonitora::ConectaBanco2()
{
    TKoDatabase& banco = FDados.KoDatabase2;
    const QString secao = QStringLiteral("Banco2");
    if (banco.Connected())
        banco.Close();
    banco.SetDriverName(ProtocoloParaDriver(LerIni(secao, QStringLiteral("Protocolo"))));
    banco.SetDatabaseName(PrefixoOdbc + LerIni(secao, QStringLiteral("Base")));
    banco.Password = LerIni(secao, QStringLiteral("Senha"));
    banco.User = LerIni(secao, QStringLiteral("Usuario"));
    if (const auto erro = TentaAbrir(banco))
        FRelator.MostraMensagem(*erro);
}

void TMonitora::ConectaBanco3()
{
    TKoDatabase& banco = FDados.KoDatabase2;
    const QString secao = QStringLiteral("Banco3");
    if (banco.Connected())
        banco.Close();
    banco.SetDriverName(ProtocoloParaDriver(LerIni(secao, QStringLiteral("Protocolo"))));
    banco.SetDatabaseName(LerIni(secao, QStringLiteral("Base")));
    banco.Password = LerIni(secao, QStringLiteral("Senha"));
    banco.User = LerIni(secao, QStringLiteral("Usuario"));
    sSchema = LerIni(secao, QStringLiteral("Schema"));
    bGravaEstoque = LerIni(secao, QStringLiteral("Estoque")) == QLatin1String("S");
    if (const auto erro = TentaAbrir(banco))
        FRelator.MostraMensagem(*erro);
}

void TMonitora::ConfiguraVapora()
{
    const QString secao = QStringLiteral("Vapora");
    auto local = [&](const char* chave) { return LerIni(secao, QString::fromLatin1(chave)); };
    LocaisVapora.HTTPArtigo = local("Artigo");
    LocaisVapora.HTTPCliente = local("Cliente");
    LocaisVapora.HTTPCor = local("Cor");
    LocaisVapora.HTTPClasseProduto = local("ClasseProduto");
    LocaisVapora.HTTPSubClasseProduto = local("SubClasseProduto");
    LocaisVapora.HTTPProduto = local("Produto");
    LocaisVapora.HTTPGerarOP = local("GerarOP");
    LocaisVapora.HTTPProgramacao = local("Programacao");
    LocaisVapora.HTTPTipoFio = local("TipoFio");
    AbreFilaFiltrada();
}
