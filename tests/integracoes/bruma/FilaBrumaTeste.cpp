#include "FilaBrumaTeste.h"

#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "OutraConexao.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <stdexcept>

namespace {

void GaranteAplicacao()
{
    static int argc = 1;
    static char nome[] = "teste_bruma";
    static char* argv[] = {nome, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}

} // namespace

void FilaBrumaTeste::SetUp()
{
    GaranteAplicacao();
    FBancoErp = BancoTeste::criaFirebirdLocal(QStringLiteral("bruma_erp"), {QStringLiteral("erp_firebird.sql")});
    FBancoFila = BancoTeste::criaPostgres(QStringLiteral("bruma_fila"), {QStringLiteral("bruma_postgres.sql")});
    FDsn = BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico(QStringLiteral("bruma_dsn")), FBancoFila);
    FFila = TFilaBruma::Postgres;
}

void FilaBrumaTeste::UsaSqlite()
{
    FFila = TFilaBruma::Sqlite;
    FDsn = AmbienteTeste::nomeUnico(QStringLiteral("bruma_sqlite"));
    FBancoFila = BancoTeste::criaSqliteOdbc(FDsn, {QStringLiteral("bruma_sqlite.sql")});
}

void FilaBrumaTeste::TearDown()
{
    if (FBruma)
        FBruma->Encerra();
    FBruma.reset();
    FErp.Close();
}

void FilaBrumaTeste::Prepara(const QString& sqlErp, const QString& sqlFila)
{
    if (!sqlErp.isEmpty())
        BancoTeste::executaSqlFirebird(FBancoErp, sqlErp);
    if (!sqlFila.isEmpty() && FFila == TFilaBruma::Postgres)
        BancoTeste::executaSqlPostgres(FBancoFila, sqlFila);
    if (!sqlFila.isEmpty() && FFila == TFilaBruma::Sqlite)
        for (const QString& comando : sqlFila.split(';'))
            if (!comando.trimmed().isEmpty())
                ConsultaFila(comando);

    FErp.setObjectName(QStringLiteral("KoDatabase1"));  // the monitor's ERP connection
    FErp.SetDriverName(QStringLiteral("FB"));
    FErp.SetDatabaseName(FBancoErp);
    FErp.Open();

    FBruma = std::make_unique<TBruma>(FContexto);
    TKoDatabase& fila = FBruma->Dados().KoDatabase2;
    fila.SetDriverName(QStringLiteral("FB"));
    fila.SetDatabaseName(QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=") + FDsn);
    fila.User = AmbienteTeste::pgUsuario();
    fila.Password = AmbienteTeste::pgSenha();
    fila.Open();
}

void FilaBrumaTeste::RodaCiclo()
{
    FBruma->ConsultaLotesBruma();
    FBruma->EnviaLotesBruma();
}

QList<QVariantMap> FilaBrumaTeste::ConsultaFila(const QString& sql)
{
    const QString nomeConexao = AmbienteTeste::nomeUnico(QStringLiteral("conferencia"));
    QList<QVariantMap> linhas;
    {
        const bool sqlite = FFila == TFilaBruma::Sqlite;
        QSqlDatabase banco = QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"),
                                                       nomeConexao);
        banco.setHostName(AmbienteTeste::pgHost());
        banco.setPort(AmbienteTeste::pgPorta());
        banco.setUserName(AmbienteTeste::pgUsuario());
        banco.setPassword(AmbienteTeste::pgSenha());
        banco.setDatabaseName(FBancoFila);
        if (!banco.open())
            throw std::runtime_error(banco.lastError().text().toStdString());
        QSqlQuery consulta(banco);
        if (!consulta.exec(sql))
            throw std::runtime_error(consulta.lastError().text().toStdString());
        while (consulta.next()) {
            QVariantMap linha;
            const QSqlRecord registro = consulta.record();
            for (int i = 0; i < registro.count(); ++i)
                linha.insert(registro.fieldName(i).toUpper(), registro.value(i));
            linhas << linha;
        }
    }
    QSqlDatabase::removeDatabase(nomeConexao);
    return linhas;
}

QList<QVariantMap> FilaBrumaTeste::LinhasOB(const QString& numeroOB)
{
    QString literal = numeroOB;
    literal.replace('\'', "''");
    return ConsultaFila("SELECT * FROM OB WHERE NUMEROOB = '" + literal + "'");
}

int FilaBrumaTeste::TotalLinhasOB()
{
    return ConsultaFila(QStringLiteral("SELECT COUNT(*) AS TOTAL FROM OB")).value(0).value("TOTAL").toInt();
}

QString FilaBrumaTeste::StatusQx(const QString& numero)
{
    // A second attachment sees only what the pass committed.
    const QList<TLinhaLida> linhas = TOutraConexao(TOutraConexao::TServidor::Firebird, FBancoErp)
                                         .Linhas(QStringLiteral("SELECT STATUS_QX FROM FAL_001 WHERE NUMERO = :NUMERO"),
                                                 {{QStringLiteral("NUMERO"), numero}});
    if (linhas.isEmpty())
        throw std::runtime_error("lote inexistente: " + numero.toStdString());
    const TKoField& campo = linhas.first().first();
    return campo.IsNull() ? QStringLiteral("<NULL>") : campo.AsString();
}
