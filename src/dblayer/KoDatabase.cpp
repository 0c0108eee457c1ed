#include "dblayer/KoDatabase.h"

#include "dblayer/AdaptadorConexao.h"
#include "dblayer/AdaptadorFirebird.h"
#include "dblayer/AdaptadorOdbc.h"
#include "dblayer/AdaptadorPostgres.h"
#include "dblayer/ConexaoQt.h"
#include "base/Apara.h"
#include "base/Erros.h"
#include "dblayer/Maquina.h"

#include <QAtomicInteger>
#include <QSqlError>

namespace {

QString NovoNomeConexao()
{
    static QAtomicInteger<quint64> contador = 0;
    return QStringLiteral("KoDatabase_%1").arg(++contador);
}

std::unique_ptr<TAdaptadorConexao> AdaptadorPara(const QString& driverQt)
{
    if (driverQt == QLatin1String("FB"))
        return std::make_unique<TAdaptadorFirebird>();
    if (driverQt == QLatin1String("QPSQL"))
        return std::make_unique<TAdaptadorPostgres>();
    if (driverQt == QLatin1String("QODBC"))
        return std::make_unique<TAdaptadorOdbc>();
    return std::make_unique<TAdaptadorConexao>();
}

} // namespace

TKoCustomDatabase::TKoCustomDatabase(QObject* owner)
    : QObject(owner), FNomeConexao(NovoNomeConexao()), FAdaptador(std::make_unique<TAdaptadorConexao>())
{
    TxOptions.DisconnectAction = TKoDisconnectAction::xdRollback;
    TxOptions.AutoStart = true;
    TxOptions.AutoStop = false;
    TxOptions.AutoCommit = false;
}

TKoCustomDatabase::~TKoCustomDatabase()
{
    try {
        FechaConexaoQt();
    } catch (...) {
        // Closing on destruction: nothing is left to report to.
    }
}

void TKoCustomDatabase::SetDatabaseName(const QString& valor)
{
    FDatabaseName = valor;
    if (Apara(valor).isEmpty())
        return;
    const qsizetype doisPontos = valor.indexOf(u':');
    if (doisPontos >= 0 && FDriverName != QLatin1String("SQLite")) {
        HostName = valor.left(doisPontos);
        Database = Apara(valor.mid(doisPontos + 1));
        return;
    }
    Database = valor;
    HostName.clear();
}

void TKoCustomDatabase::SetGravaLog(bool valor)
{
    FGravaLog = valor;
    if (valor && !FDadosGravaLog) {
        FDadosGravaLog = std::make_unique<TKoGravaLog>();
        FDadosGravaLog->NmMaquina = NomeMaquina();
        FDadosGravaLog->NrIP = IPLocal();
    } else if (valor) {
        if (!Apara(FDadosGravaLog->NmMaquina).isEmpty()) {
            FDadosGravaLog->NmMaquina = NomeMaquina();
            FDadosGravaLog->NrIP = IPLocal();
        }
    } else {
        FDadosGravaLog.reset();
    }
}

bool TKoCustomDatabase::Connected() const
{
    return FConectada;
}

void TKoCustomDatabase::SetConnected(bool valor)
{
    if (!valor) {
        FGravaLog = false;
        FechaConexaoQt();
        return;
    }
    if (Connected())
        return;
    FMapRules.clear();
    FOwnMapRules = false;
    MontaParams();
    InstalaMapRules();
    AbreConexaoQt();
}

void TKoCustomDatabase::MontaParams()
{
    FParams.clear();
    if (!Apara(HostName).isEmpty())
        FParams << QStringLiteral("Server=") + Apara(HostName);
    FParams << QStringLiteral("Database=") + Apara(Database);
    if (!Apara(User).isEmpty())
        FParams << QStringLiteral("User_name=") + Apara(User);
    if (!Apara(Password).isEmpty())
        FParams << QStringLiteral("Password=") + Apara(Password);
    if (Port != 0)
        FParams << QStringLiteral("Port=") + QString::number(Port);
    if (FDriverName == QLatin1String("Ora")) {
        FParams << QStringLiteral("AuthMode=NORMAL");
    } else if (FDriverName == QLatin1String("FB")) {
        if (!Apara(HostName).isEmpty())
            FParams << QStringLiteral("Protocol=TCPIP");
        FParams << QStringLiteral("PageSize=4096");
    }
}

void TKoCustomDatabase::InstalaMapRules()
{
    const QList<TKoMapRule> regras = MapRulesDoDriver(FDriverName);
    if (regras.isEmpty())
        return;
    FMapRules = regras;
    FOwnMapRules = true;
}

void TKoCustomDatabase::AbreConexaoQt()
{
    FechaConexaoQt();
    ++FGeracao;
    QSqlDatabase conexao = ConexaoQt::Cria(FNomeConexao, FDriverName, FParams);
    FAdaptador = AdaptadorPara(ConexaoQt::DriverQt(FDriverName, Apara(Database)));
    if (!conexao.open()) {
        const QString erro = conexao.lastError().text().trimmed();
        conexao = QSqlDatabase();
        QSqlDatabase::removeDatabase(FNomeConexao);
        throw EDatabaseError(erro.isEmpty() ? QStringLiteral("Não foi possível abrir a conexão") : erro);
    }
    // Statements always run inside a transaction of the connection; commits
    // retain it, closing rolls it back.
    FAdaptador->IniciaTransacao(conexao);
    FConectada = true;
}

void TKoCustomDatabase::FechaConexaoQt()
{
    FConectada = false;
    if (!QSqlDatabase::contains(FNomeConexao))
        return;
    emit AntesDeFechar();
    {
        QSqlDatabase conexao = QSqlDatabase::database(FNomeConexao, false);
        if (conexao.isOpen()) {
            try {
                FAdaptador->EncerraTransacao(
                    conexao, TxOptions.DisconnectAction == TKoDisconnectAction::xdCommit);
            } catch (const EDatabaseError&) {
                // The connection is closing anyway; the server drops the transaction.
            }
            conexao.close();
        }
    }
    QSqlDatabase::removeDatabase(FNomeConexao);
    FAdaptador = std::make_unique<TAdaptadorConexao>();
}

QSqlDatabase TKoCustomDatabase::Conexao() const
{
    if (!QSqlDatabase::contains(FNomeConexao))
        throw EDatabaseError(QStringLiteral("Conexão fechada"));
    return QSqlDatabase::database(FNomeConexao, false);
}

TAdaptadorConexao& TKoCustomDatabase::Adaptador() const { return *FAdaptador; }

void TKoCustomDatabase::StartTransaction()
{
    QSqlDatabase conexao = Conexao();
    FAdaptador->IniciaTransacao(conexao);
}

void TKoCustomDatabase::Commit()
{
    QSqlDatabase conexao = Conexao();
    FAdaptador->EncerraTransacao(conexao, true);
}

void TKoCustomDatabase::Rollback()
{
    QSqlDatabase conexao = Conexao();
    FAdaptador->EncerraTransacao(conexao, false);
}

void TKoCustomDatabase::CommitRetaining()
{
    QSqlDatabase conexao = Conexao();
    FAdaptador->CommitRetaining(conexao);
}

void TKoCustomDatabase::RollbackRetaining()
{
    QSqlDatabase conexao = Conexao();
    FAdaptador->RollbackRetaining(conexao);
}

bool TKoCustomDatabase::InTransaction() const
{
    return Connected() && FAdaptador->EmTransacao();
}

void TKoCustomDatabase::GetDatabase(TKoCustomDatabase* pai)
{
    if (!pai)
        throw EDatabaseError(QStringLiteral("Conexão pai não existe."));
    if (Connected())
        Close();
    FDriverName = pai->FDriverName;
    SetDatabaseName(pai->DatabaseName());
    Database = pai->Database;
    HostName = pai->HostName;
    Port = pai->Port;
    User = pai->User;
    Password = pai->Password;
    try {
        Open();
    } catch (const Exception& e) {
        throw EDatabaseError(QStringLiteral("Erro ao abrir a base \r") + e.Message());
    }
}
