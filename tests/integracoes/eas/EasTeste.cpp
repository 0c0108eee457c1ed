#include "EasTeste.h"

#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "OutraConexao.h"
#include "integracoes/eas/TabelasHost.h"

#include <QCoreApplication>

#include <stdexcept>

namespace {

void GaranteAplicacao()
{
    static int argc = 1;
    static char nome[] = "teste_eas";
    static char* argv[] = {nome, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

// Rows as texts, NULL as "<NULL>".
QList<QStringList> Textos(const QList<TLinhaLida>& lidas)
{
    QList<QStringList> linhas;
    for (const TLinhaLida& lida : lidas) {
        QStringList linha;
        for (const TKoField& campo : lida)
            linha << (campo.IsNull() ? QStringLiteral("<NULL>") : campo.AsString());
        linhas << linha;
    }
    return linhas;
}

} // namespace

std::string NomeHost(THostTeste host)
{
    switch (host) {
    case THostTeste::FirebirdLocal:
        return "FirebirdLocal";
    case THostTeste::FirebirdServidor:
        return "FirebirdServidor";
    case THostTeste::Postgres:
        return "Postgres";
    }
    return "?";
}

void EasTeste::SetUp()
{
    GaranteAplicacao();
    FEsperaCurta = std::make_unique<TEsperaConsumoCurta>(0);
}

void EasTeste::TearDown()
{
    if (FEas)
        FEas->Encerra();
    FEas.reset();
    FErp.Close();
    FEsperaCurta.reset();
}

void EasTeste::Prepara(const QString& sqlErp, THostTeste host)
{
    FHost = host;
    FBancoErp = BancoTeste::criaFirebirdLocal(QStringLiteral("eas_erp"), {QStringLiteral("erp_firebird.sql")});
    if (!sqlErp.isEmpty())
        BancoTeste::executaSqlFirebird(FBancoErp, sqlErp);
    switch (host) {
    case THostTeste::FirebirdLocal:
        FBancoHost = BancoTeste::criaFirebirdLocal(QStringLiteral("eas_host"), {QStringLiteral("eas_host_firebird.sql")});
        break;
    case THostTeste::FirebirdServidor:
        FBancoHost = BancoTeste::criaFirebirdServidor(QStringLiteral("eas_host"), {QStringLiteral("eas_host_firebird.sql")});
        break;
    case THostTeste::Postgres:
        FBancoHost = BancoTeste::criaPostgresNoEsquema(QStringLiteral("eas_host"), QStringLiteral("eas"),
                                                       {QStringLiteral("eas_host_postgres.sql")});
        break;
    }

    ConfiguraErp(FErp, FBancoErp);
    FErp.setObjectName(QStringLiteral("KoDatabase1"));  // the monitor's ERP connection
    FErp.Open();
    FEas = std::make_unique<TEas>(FContexto);
    ConfiguraHost(FEas->Dados().KoDatabase2);
    FEas->Dados().sSchema = host == THostTeste::Postgres ? QStringLiteral("eas") : QString();
    FEas->Dados().bGravaEstoque = true;
    FEas->Dados().KoDatabase2.Open();
}

void EasTeste::RodaCiclo()
{
    FEas->RecebeDoEas();
    FEas->EnviaParaEas();
}

void EasTeste::ConfiguraErp(TKoDatabase& banco, const QString& caminho)
{
    banco.SetDriverName(QStringLiteral("FB"));
    banco.SetDatabaseName(caminho);
    banco.User = QStringLiteral("SYSDBA");
}

void EasTeste::ConfiguraHost(TKoDatabase& banco) const
{
    switch (FHost) {
    case THostTeste::FirebirdLocal:
        ConfiguraErp(banco, FBancoHost);
        break;
    case THostTeste::FirebirdServidor:
        banco.SetDriverName(QStringLiteral("FB"));
        banco.SetDatabaseName(FBancoHost);
        banco.User = AmbienteTeste::fbUsuario();
        banco.Password = AmbienteTeste::fbSenha();
        break;
    case THostTeste::Postgres:
        banco.SetDriverName(QStringLiteral("PG"));
        banco.SetDatabaseName(AmbienteTeste::pgHost() + u':' + FBancoHost);
        banco.Port = AmbienteTeste::pgPorta();
        banco.User = AmbienteTeste::pgUsuario();
        banco.Password = AmbienteTeste::pgSenha();
        break;
    }
}

QString EasTeste::Tabela(const QString& tabela) const
{
    return NomeTabelaHost(FHost == THostTeste::Postgres ? QStringLiteral("eas") : QString(), tabela);
}

TOutraConexao::TServidor EasTeste::ServidorHost() const
{
    return FHost == THostTeste::Postgres ? TOutraConexao::TServidor::Postgres : TOutraConexao::TServidor::Firebird;
}

void EasTeste::ExecutaNoErp(const QString& sql, const QVariantMap& parametros)
{
    TOutraConexao(TOutraConexao::TServidor::Firebird, FBancoErp).Executa(sql, parametros);
}

void EasTeste::ExecutaNoHost(const QString& sql, const QVariantMap& parametros)
{
    TOutraConexao(ServidorHost(), FBancoHost).Executa(sql, parametros);
}

QString EasTeste::PostaEvento(const QString& tipo, const QString& datos)
{
    TOutraConexao host(ServidorHost(), FBancoHost);
    host.Executa(QStringLiteral("INSERT INTO %1 (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES (:IDTIPO, 'X', :DATOS, 'F')")
                     .arg(Tabela(QStringLiteral("FTOHOST"))),
                 {{QStringLiteral("IDTIPO"), tipo}, {QStringLiteral("DATOS"), datos}});
    return Textos(host.Linhas(QStringLiteral("SELECT MAX(NRECNO) FROM %1").arg(Tabela(QStringLiteral("FTOHOST")))))
        .value(0)
        .value(0);
}

QList<QStringList> EasTeste::LinhasErp(const QString& sql)
{
    return Textos(TOutraConexao(TOutraConexao::TServidor::Firebird, FBancoErp).Linhas(sql));
}

QList<QStringList> EasTeste::LinhasHost(const QString& sql)
{
    return Textos(TOutraConexao(ServidorHost(), FBancoHost).Linhas(sql));
}

QString EasTeste::ValorErp(const QString& sql)
{
    const QList<QStringList> linhas = LinhasErp(sql);
    if (linhas.isEmpty())
        throw std::runtime_error("nenhuma linha: " + sql.toStdString());
    return linhas.first().value(0);
}

QStringList EasTeste::Registros(const QString& tipo)
{
    QStringList registros;
    const QList<QStringList> linhas = LinhasHost(
        QStringLiteral("SELECT DATOS FROM %1 WHERE IDTIPO = '%2' ORDER BY NRECNO").arg(Tabela(QStringLiteral("FFROMHOST")), tipo));
    for (const QStringList& linha : linhas)
        registros << linha.value(0);
    return registros;
}

QString EasTeste::Leido(const QString& nrecno)
{
    return LinhasHost(QStringLiteral("SELECT LEIDO FROM %1 WHERE NRECNO = %2").arg(Tabela(QStringLiteral("FTOHOST")), nrecno))
        .value(0)
        .value(0);
}

QList<QDateTime> EasTeste::Momentos()
{
    // A timestamp column reads as its time alone: date and time apart.
    QList<QDateTime> momentos;
    for (const TLinhaLida& linha :
         TOutraConexao(ServidorHost(), FBancoHost)
             .Linhas(QStringLiteral("SELECT CAST(FECHA AS DATE) AS DIA, CAST(FECHA AS TIME) AS HORA FROM ")
                     + Tabela(QStringLiteral("FFROMHOST"))))
        momentos << QDateTime(linha[0].AsDate(), linha[1].AsDateTime().time());
    return momentos;
}
