#include "dblayer/KoDatabase.h"

#include "dblayer/AdaptadorConexao.h"
#include "dblayer/AdaptadorFirebird.h"
#include "dblayer/AdaptadorOdbc.h"
#include "dblayer/AdaptadorPostgres.h"
#include "dblayer/ChamadasEmCurso.h"
#include "dblayer/ConexaoQt.h"
#include "base/Apara.h"
#include "base/Erros.h"
#include "dblayer/ErroSql.h"
#include "dblayer/LimitesExecucao.h"
#include "dblayer/Maquina.h"

#include <QAtomicInteger>
#include <QSqlError>

namespace {

QString NovoNomeConexao()
{
    static QAtomicInteger<quint64> contador = 0;
    return QStringLiteral("KoDatabase_%1").arg(++contador);
}

std::unique_ptr<TAdaptadorConexao> AdaptadorPara(const QString& driverQt, const QString& driverId,
                                                 std::atomic<bool>& perdida)
{
    if (driverQt == QLatin1String("FB"))
        return std::make_unique<TAdaptadorFirebird>(perdida);
    if (driverQt == QLatin1String("QPSQL"))
        return std::make_unique<TAdaptadorPostgres>(perdida);
    if (driverQt == QLatin1String("QODBC"))
        return std::make_unique<TAdaptadorOdbc>(perdida, driverId);
    return std::make_unique<TAdaptadorConexao>(perdida);
}

} // namespace

TKoCustomDatabase::TKoCustomDatabase(QObject* owner)
    : QObject(owner), FNomeConexao(NovoNomeConexao()), FAdaptador(std::make_unique<TAdaptadorConexao>(FPerdida))
{
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

void TKoCustomDatabase::SetConnected(bool valor)
{
    if (!valor) {
        FGravaLog = false;
        FechaConexaoQt();
        return;
    }
    if (Connected() && !Perdida())
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
    FEscritaPendente = false;
    RecusaUsuarioLongoNoFirebird();
    QSqlDatabase conexao = ConexaoQt::Cria(FNomeConexao, FDriverName, FParams, DriverOdbc);
    FAdaptador = AdaptadorPara(ConexaoQt::DriverQt(FDriverName, Apara(Database)), FDriverName, FPerdida);
    if (!conexao.open()) {
        const QString erro = TextoDoErroSql(conexao.lastError(), QStringLiteral("Não foi possível abrir a conexão"));
        conexao = QSqlDatabase();
        QSqlDatabase::removeDatabase(FNomeConexao);
        FAdaptador = std::make_unique<TAdaptadorConexao>(FPerdida);
        throw EDatabaseError(erro);
    }
    FAdaptador->AoAbrir(conexao);
    FPerdida = false;
    FConectada = true;
}

// The Firebird 3 server of this platform dies on a network login whose user
// name has 32 characters or more, taking every other connection with it:
// such a name is refused here, before anything reaches the server.
void TKoCustomDatabase::RecusaUsuarioLongoNoFirebird() const
{
    constexpr qsizetype MaximoCaracteres = 31;
    const bool redeFirebird = FDriverName == QLatin1String("FB") && !Apara(HostName).isEmpty()
                           && ConexaoQt::FonteOdbc(FDatabaseName).isEmpty();
    const qsizetype caracteres = User.toUcs4().size();
    if (redeFirebird && caracteres > MaximoCaracteres)
        throw EDatabaseError(QStringLiteral("Usuário com %1 caracteres: o servidor Firebird aceita no máximo %2. "
                                            "A conexão não foi tentada.")
                                 .arg(caracteres)
                                 .arg(MaximoCaracteres));
}

void TKoCustomDatabase::FechaConexaoQt()
{
    FConectada = false;
    FEscritaPendente = false;
    if (!QSqlDatabase::contains(FNomeConexao))
        return;
    emit AntesDeFechar();
    {
        QSqlDatabase conexao = QSqlDatabase::database(FNomeConexao, false);
        // A lost connection is only dropped: the server has already undone
        // its transaction, and asking it anything could only fail or wait.
        if (conexao.isOpen() && !FPerdida) {
            try {
                FAdaptador->EncerraTransacao(conexao, false);
            } catch (const EDatabaseError&) {
                // The connection is closing anyway; the server drops the transaction.
            }
        }
        if (conexao.isOpen())
            conexao.close();
    }
    QSqlDatabase::removeDatabase(FNomeConexao);
    FAdaptador = std::make_unique<TAdaptadorConexao>(FPerdida);
}

QSqlDatabase TKoCustomDatabase::Conexao() const
{
    if (!Connected() || !QSqlDatabase::contains(FNomeConexao))
        throw EDatabaseError(QStringLiteral("Conexão fechada"));
    return QSqlDatabase::database(FNomeConexao, false);
}

TAdaptadorConexao& TKoCustomDatabase::Adaptador() const { return *FAdaptador; }

void TKoCustomDatabase::GaranteTransacao()
{
    const TChamadaAoServidor chamada(objectName(), QStringLiteral("início de transação"), LimiteDoDriver(FDriverName));
    QSqlDatabase conexao = Conexao();
    if (!FAdaptador->EmTransacao())
        FAdaptador->IniciaTransacao(conexao);
}

void TKoCustomDatabase::CommitRetaining()
{
    const TChamadaAoServidor chamada(objectName(), QStringLiteral("commit"), LimiteDoDriver(FDriverName));
    QSqlDatabase conexao = Conexao();
    if (!FAdaptador->EmTransacao() || FSimulacao)
        return;
    FAdaptador->CommitRetaining(conexao);
    FEscritaPendente = false;
}

void TKoCustomDatabase::DesfazSimulacao()
{
    FSimulacao = false;
    // Ended as a transaction left with a write: rolled back, never committed.
    FEscritaPendente = true;
    FinalizaTransacao();
}

void TKoCustomDatabase::RollbackRetaining()
{
    const TChamadaAoServidor chamada(objectName(), QStringLiteral("rollback"), LimiteDoDriver(FDriverName));
    QSqlDatabase conexao = Conexao();
    if (!FAdaptador->EmTransacao())
        return;
    // Whatever happens to the rollback, nothing written before it is to be
    // committed later.
    FEscritaPendente = false;
    FAdaptador->RollbackRetaining(conexao);
}

bool TKoCustomDatabase::InTransaction() const
{
    return Connected() && FAdaptador->EmTransacao();
}

void TKoCustomDatabase::FinalizaTransacao()
{
    const TChamadaAoServidor chamada(objectName(), QStringLiteral("fim de transação"), LimiteDoDriver(FDriverName));
    if (FSimulacao)
        return;
    const bool confirma = !FEscritaPendente;
    FEscritaPendente = false;
    if (!InTransaction())
        return;
    QSqlDatabase conexao = Conexao();
    FAdaptador->EncerraTransacao(conexao, confirma);
}

void TKoCustomDatabase::ConfereConexao()
{
    const TChamadaAoServidor chamada(objectName(), QStringLiteral("verificação da conexão"), LimitesExecucao().ConfereConexaoMs);
    if (!Connected() || Perdida())
        return;
    try {
        QSqlDatabase conexao = Conexao();
        FAdaptador->ConfereConexao(conexao, FDriverName, LimitesExecucao().ConfereConexaoMs);
    } catch (const Exception&) {
        FPerdida = true;
    }
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
