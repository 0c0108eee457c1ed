#include "dblayer/AdaptadorOdbc.h"

#include "base/Erros.h"
#include "dblayer/ErroSql.h"
#include "dblayer/LimitesExecucao.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>

#include <sql.h>
#include <sqlext.h>

#include <netinet/in.h>
#include <sys/socket.h>

namespace {

SQLHANDLE Alca(const QVariant& valor)
{
    return valor.isValid() ? *static_cast<const SQLHANDLE*>(valor.constData()) : nullptr;
}

SQLHANDLE AlcaDaConexao(const QSqlDatabase& conexao)
{
    return conexao.driver() ? Alca(conexao.driver()->handle()) : nullptr;
}

SQLHANDLE AlcaDoComando(const QSqlQuery* comando)
{
    return comando && comando->result() ? Alca(comando->result()->handle()) : nullptr;
}

// ODBC counts the timeout in whole seconds; a limit is never rounded to none.
int Segundos(int milissegundos)
{
    return milissegundos <= 0 ? 0 : (milissegundos + 999) / 1000;
}

// The SQLSTATE and the native code of the first diagnostic record the
// handle holds; false when there is none.
bool Diagnostico(SQLSMALLINT tipo, SQLHANDLE alca, QString& estado, qint32& nativo)
{
    if (!alca)
        return false;
    SQLCHAR texto[6] = {};
    SQLINTEGER codigo = 0;
    SQLCHAR mensagem[8];
    SQLSMALLINT tamanho = 0;
    if (!SQL_SUCCEEDED(SQLGetDiagRec(tipo, alca, 1, texto, &codigo, mensagem, sizeof mensagem, &tamanho)))
        return false;
    estado = QString::fromLatin1(reinterpret_cast<const char*>(texto), 5);
    nativo = codigo;
    return true;
}

QString EstadoSql(SQLSMALLINT tipo, SQLHANDLE alca)
{
    QString estado;
    qint32 nativo = 0;
    return Diagnostico(tipo, alca, estado, nativo) ? estado : QString();
}

qint32 ErroNativo(SQLSMALLINT tipo, SQLHANDLE alca)
{
    QString estado;
    qint32 nativo = 0;
    return Diagnostico(tipo, alca, estado, nativo) ? nativo : 0;
}

// Whether the driver itself holds its connection for gone. psqlODBC reports
// the first statement that meets a dead server with a general SQLSTATE
// (HY000) and knows by then that the link is lost. Read from the driver's
// own state, without a round trip.
bool ConexaoMorta(SQLHANDLE hdbc)
{
    SQLUINTEGER morta = SQL_CD_FALSE;
    return hdbc && SQL_SUCCEEDED(SQLGetConnectAttr(hdbc, SQL_ATTR_CONNECTION_DEAD, &morta, 0, nullptr))
        && morta == SQL_CD_TRUE;
}

bool EhSqlite(const QString& sistema)
{
    return sistema.contains(QLatin1String("SQLite"), Qt::CaseInsensitive);
}

// The TCP port of a socket address; 0 for any other kind of socket.
int PortaTcp(const sockaddr_storage& endereco)
{
    if (endereco.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(endereco).sin_port);
    if (endereco.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(endereco).sin6_port);
    return 0;
}

// Whether `socket` is a TCP socket between these two ports, as this side
// sees them.
bool SocketEntre(int socket, int portaLocal, int portaServidor)
{
    sockaddr_storage local{};
    sockaddr_storage remoto{};
    socklen_t tamanhoLocal = sizeof local;
    socklen_t tamanhoRemoto = sizeof remoto;
    return ::getsockname(socket, reinterpret_cast<sockaddr*>(&local), &tamanhoLocal) == 0
        && ::getpeername(socket, reinterpret_cast<sockaddr*>(&remoto), &tamanhoRemoto) == 0
        && PortaTcp(local) == portaLocal && PortaTcp(remoto) == portaServidor;
}

// The open descriptor of this process that is the TCP socket between the
// two ports; -1 when there is none.
int SocketDoProcesso(int portaLocal, int portaServidor)
{
    if (portaLocal <= 0 || portaServidor <= 0)
        return -1;
    for (const char* pasta : {"/proc/self/fd", "/dev/fd"}) {
        const QStringList descritores = QDir(QString::fromLatin1(pasta)).entryList(QDir::AllEntries | QDir::System);
        for (const QString& nome : descritores) {
            bool numero = false;
            const int descritor = nome.toInt(&numero);
            if (numero && SocketEntre(descritor, portaLocal, portaServidor))
                return descritor;
        }
        if (!descritores.isEmpty())
            break;
    }
    return -1;
}

} // namespace

TAdaptadorOdbc::TAdaptadorOdbc(std::atomic<bool>& perdida, const QString& driverId)
    : TAdaptadorConexao(perdida), FDriverId(driverId)
{
}

TAdaptadorOdbc::~TAdaptadorOdbc() = default;

void TAdaptadorOdbc::AoAbrir(QSqlDatabase& conexao)
{
    SQLCHAR nome[128] = {};
    SQLSMALLINT tamanho = 0;
    if (SQLHANDLE hdbc = AlcaDaConexao(conexao)) {
        const SQLRETURN r = SQLGetInfo(hdbc, SQL_DBMS_NAME, nome, sizeof nome, &tamanho);
        if (r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO)
            FSistema = QString::fromUtf8(reinterpret_cast<const char*>(nome)).trimmed();
    }
    if (FSistema.contains(QLatin1String("PostgreSQL"), Qt::CaseInsensitive))
        AchaSocketDoPostgres(conexao);
}

// The server names the client's port as it sees it; on a direct TCP link
// that is this side's port of the connection's socket.
void TAdaptadorOdbc::AchaSocketDoPostgres(QSqlDatabase& conexao)
{
    QSqlQuery portas(conexao);
    portas.setForwardOnly(true);
    if (!portas.exec(QStringLiteral("SELECT inet_client_port(), inet_server_port()")) || !portas.next())
        return;
    FPortaLocal = portas.value(0).toInt();
    FPortaServidor = portas.value(1).toInt();
    portas.finish();
    FSocket = SocketDoProcesso(FPortaLocal, FPortaServidor);
}

void TAdaptadorOdbc::CortaConexao()
{
    // On the watchdog's thread while the call is still armed. The socket is
    // forgotten: after the cut the driver closes it, and its number can
    // come back as another connection's.
    const int socket = FSocket.exchange(-1);
    if (socket >= 0 && SocketEntre(socket, FPortaLocal, FPortaServidor))
        ::shutdown(socket, SHUT_RDWR);
}

void TAdaptadorOdbc::SobVigia(int limiteMs, const std::function<void()>& chamada)
{
    if (limiteMs <= 0 || FSocket.load() < 0) {
        chamada();
        return;
    }
    if (!FVigia)
        FVigia = std::make_unique<VigiaTempoLimite>([this] { CortaConexao(); });
    FVigia->executa(limiteMs + LimitesExecucao().FolgaSemRespostaMs, chamada);
}

void TAdaptadorOdbc::IniciaTransacao(QSqlDatabase& conexao)
{
    SobVigia(LimiteDoDriver(FDriverId), [&] { TAdaptadorConexao::IniciaTransacao(conexao); });
}

void TAdaptadorOdbc::EncerraTransacao(QSqlDatabase& conexao, bool confirma)
{
    SobVigia(LimiteDoDriver(FDriverId), [&] { TAdaptadorConexao::EncerraTransacao(conexao, confirma); });
}

bool TAdaptadorOdbc::FalhaDeConexao(QSqlDatabase& conexao, const QSqlError& erro,
                                    const QSqlQuery* comando) const
{
    QString estado = EstadoSql(SQL_HANDLE_STMT, AlcaDoComando(comando));
    if (estado.isEmpty())
        estado = EstadoSql(SQL_HANDLE_DBC, AlcaDaConexao(conexao));
    if (estado.isEmpty())
        return TAdaptadorConexao::FalhaDeConexao(conexao, erro, comando);
    return EstadoDeConexaoPerdida(estado) || ConexaoMorta(AlcaDaConexao(conexao));
}

void TAdaptadorOdbc::DefineTimeoutDaConexao(QSqlDatabase& conexao, int segundos)
{
    if (segundos == FSegundosDaConexao)
        return;
    if (SQLHANDLE hdbc = AlcaDaConexao(conexao)) {
        SQLSetConnectAttr(hdbc, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(segundos)), 0);
        FSegundosDaConexao = segundos;
    }
}

void TAdaptadorOdbc::DefineLimite(QSqlDatabase& conexao, int limiteMs)
{
    DefineTimeoutDaConexao(conexao, Segundos(limiteMs));
}

bool TAdaptadorOdbc::EsperaDeTravaEsgotada(const QSqlQuery& comando) const
{
    // SQLITE_BUSY and SQLITE_LOCKED, as the SQLite driver's native codes.
    const qint32 nativo = ErroNativo(SQL_HANDLE_STMT, AlcaDoComando(&comando));
    return EhSqlite(FSistema) && (nativo == 5 || nativo == 6);
}

bool TAdaptadorOdbc::Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto,
                             int limiteMs, QString& erro)
{
    const int segundos = Segundos(limiteMs);
    DefineLimite(conexao, limiteMs);
    if (!textoDireto)
        if (SQLHANDLE hstmt = AlcaDoComando(&comando))
            SQLSetStmtAttr(hstmt, SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(SQLULEN(segundos)), 0);
    QElapsedTimer relogio;
    relogio.start();
    bool rodou = false;
    SobVigia(limiteMs, [&] { rodou = Roda(comando, textoDireto); });
    if (rodou)
        return true;
    erro = TAdaptadorConexao::MensagemDaFalha(conexao, comando);
    // The drivers word a timeout each their own way; a failure that took the
    // whole limit is the limit's.
    if ((segundos > 0 && relogio.elapsed() >= qint64(limiteMs) - 50) || EsperaDeTravaEsgotada(comando))
        erro = QStringLiteral("TIMEOUT EXPIRED: ") + erro;
    return false;
}

void TAdaptadorOdbc::ConfereConexao(QSqlDatabase& conexao, const QString&, int limiteMs)
{
    // The driver id says which dialect the statements are written in, not
    // which server is behind the data source; the driver says that.
    QString sql = QStringLiteral("SELECT 1");
    if (FSistema.contains(QLatin1String("Firebird"), Qt::CaseInsensitive)
        || FSistema.contains(QLatin1String("InterBase"), Qt::CaseInsensitive))
        sql = QStringLiteral("SELECT 1 FROM RDB$DATABASE");
    else if (FSistema.contains(QLatin1String("Oracle"), Qt::CaseInsensitive))
        sql = QStringLiteral("SELECT 1 FROM DUAL");
    ConfereComConsulta(conexao, sql, limiteMs);
}
