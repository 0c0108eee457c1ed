#include "EasTeste.h"

#include "ComandosDoTeste.h"
#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "dblayer/KoQuery.h"
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

void DefineParametro(TKoQuery& comando, const QString& nome, const QVariant& valor)
{
    TKoParam& parametro = comando.ParamByName(nome);
    switch (valor.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
        parametro.SetAsInteger(valor.toLongLong());
        break;
    case QMetaType::Double:
        parametro.SetAsFloat(valor.toDouble());
        break;
    case QMetaType::QDate:
        parametro.SetAsDate(valor.toDate());
        break;
    case QMetaType::QTime:
        parametro.SetAsTime(valor.toTime());
        break;
    case QMetaType::QDateTime:
        parametro.SetAsDateTime(valor.toDateTime());
        break;
    default:
        parametro.SetAsString(valor.toString());
    }
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

void EasTeste::Executa(TKoDatabase& banco, const QString& sql, const QVariantMap& parametros)
{
    const TComandosDoTeste doTeste;
    TKoQuery comando;
    comando.SetDatabase(&banco);
    comando.SQL.SetText(sql);
    for (auto it = parametros.cbegin(); it != parametros.cend(); ++it)
        DefineParametro(comando, it.key(), it.value());
    comando.ExecSQL();
    banco.CommitRetaining();
}

QList<QStringList> EasTeste::Linhas(TKoDatabase& banco, const QString& sql)
{
    const TComandosDoTeste doTeste;
    TKoQuery consulta;
    consulta.SetDatabase(&banco);
    consulta.SQL.SetText(sql);
    consulta.Open();
    QList<QStringList> linhas;
    for (consulta.First(); !consulta.Eof(); consulta.Next()) {
        QStringList linha;
        for (int i = 0; i < consulta.FieldCount(); ++i) {
            const TKoField& campo = consulta.Fields(i);
            linha << (campo.IsNull() ? QStringLiteral("<NULL>") : campo.AsString());
        }
        linhas << linha;
    }
    return linhas;
}

void EasTeste::ExecutaNoErp(const QString& sql, const QVariantMap& parametros)
{
    TKoDatabase erp;
    ConfiguraErp(erp, FBancoErp);
    erp.Open();
    Executa(erp, sql, parametros);
}

void EasTeste::ExecutaNoHost(const QString& sql, const QVariantMap& parametros)
{
    TKoDatabase host;
    ConfiguraHost(host);
    host.Open();
    Executa(host, sql, parametros);
}

QString EasTeste::PostaEvento(const QString& tipo, const QString& datos)
{
    TKoDatabase host;
    ConfiguraHost(host);
    host.Open();
    Executa(host,
            QStringLiteral("INSERT INTO %1 (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES (:IDTIPO, 'X', :DATOS, 'F')")
                .arg(Tabela(QStringLiteral("FTOHOST"))),
            {{QStringLiteral("IDTIPO"), tipo}, {QStringLiteral("DATOS"), datos}});
    return Linhas(host, QStringLiteral("SELECT MAX(NRECNO) FROM %1").arg(Tabela(QStringLiteral("FTOHOST"))))
        .value(0)
        .value(0);
}

QList<QStringList> EasTeste::LinhasErp(const QString& sql)
{
    TKoDatabase erp;
    ConfiguraErp(erp, FBancoErp);
    erp.Open();
    return Linhas(erp, sql);
}

QList<QStringList> EasTeste::LinhasHost(const QString& sql)
{
    TKoDatabase host;
    ConfiguraHost(host);
    host.Open();
    return Linhas(host, sql);
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
    TKoDatabase host;
    ConfiguraHost(host);
    host.Open();
    TKoQuery consulta;
    consulta.SetDatabase(&host);
    // A timestamp column reads as its time alone: date and time apart.
    consulta.SQL.Add(QStringLiteral("SELECT CAST(FECHA AS DATE) AS DIA, CAST(FECHA AS TIME) AS HORA FROM ")
                     + Tabela(QStringLiteral("FFROMHOST")));
    consulta.Open();
    QList<QDateTime> momentos;
    for (consulta.First(); !consulta.Eof(); consulta.Next())
        momentos << QDateTime(consulta.FieldByName(QStringLiteral("DIA")).AsDate(),
                              consulta.FieldByName(QStringLiteral("HORA")).AsDateTime().time());
    return momentos;
}
