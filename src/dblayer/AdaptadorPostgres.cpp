#include "dblayer/AdaptadorPostgres.h"

#include "base/Erros.h"
#include "dblayer/ErroSql.h"
#include "dblayer/LimitesExecucao.h"

#include <libpq-fe.h>
#include <sys/socket.h>

#include <QDateTime>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTimeZone>

#include <algorithm>
#include <cctype>

namespace {

const QString kSavepoint = QStringLiteral("qx_tentativa");

// The machine's time zone as PostgreSQL names it: its IANA name when it has
// one, otherwise its present offset from UTC.
QString ZonaDaMaquina(bool peloNome)
{
    const QByteArray nome = peloNome ? QTimeZone::systemTimeZoneId() : QByteArray();
    const bool nomeSeguro = !nome.isEmpty()
        && std::all_of(nome.cbegin(), nome.cend(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '/' || c == '_' || c == '-' || c == '+';
           });
    if (nomeSeguro)
        return u'\'' + QString::fromLatin1(nome) + u'\'';
    const int segundos = QDateTime::currentDateTime().offsetFromUtc();
    return QStringLiteral("INTERVAL '%1%2:%3' HOUR TO MINUTE")
        .arg(segundos < 0 ? u'-' : u'+')
        .arg(qAbs(segundos) / 3600, 2, 10, QLatin1Char('0'))
        .arg(qAbs(segundos) % 3600 / 60, 2, 10, QLatin1Char('0'));
}

int SocketDaConexao(const QSqlDatabase& conexao)
{
    const QVariant handle = conexao.driver() ? conexao.driver()->handle() : QVariant();
    // The driver names the handle by libpq's struct ("pg_conn*"); older
    // releases by its typedef.
    const char* tipo = handle.typeName();
    if (!handle.isValid() || (qstrcmp(tipo, "pg_conn*") != 0 && qstrcmp(tipo, "PGconn*") != 0))
        return -1;
    PGconn* pg = *static_cast<PGconn* const*>(handle.constData());
    return pg ? PQsocket(pg) : -1;
}

} // namespace

bool TAdaptadorPostgres::FalhaDeConexao(QSqlDatabase&, const QSqlError& erro, const QSqlQuery*) const
{
    const QString estado = erro.nativeErrorCode();
    if (estado.isEmpty())
        return erro.type() != QSqlError::NoError;
    return EstadoDeConexaoPerdida(estado);
}

void TAdaptadorPostgres::CortaConexao()
{
    // Called on the watchdog's thread while the call is still armed, so the
    // socket is still the connection's: libpq's wait on it ends at once.
    const int socket = FSocket.load();
    if (socket >= 0)
        ::shutdown(socket, SHUT_RDWR);
}

void TAdaptadorPostgres::SobVigia(QSqlDatabase& conexao, int limiteMs, const std::function<void()>& chamada)
{
    if (limiteMs <= 0) {
        chamada();
        return;
    }
    if (!FVigia)
        FVigia = std::make_unique<VigiaTempoLimite>([this] { CortaConexao(); });
    FSocket = SocketDaConexao(conexao);
    FVigia->executa(limiteMs + LimitesExecucao().FolgaSemRespostaMs, chamada);
}

void TAdaptadorPostgres::ExecutaInterno(QSqlDatabase& conexao, const QString& sql)
{
    QSqlQuery q(conexao);
    bool executou = false;
    SobVigia(conexao, LimiteDoDriver(QStringLiteral("PG")), [&] { executou = q.exec(sql); });
    if (executou)
        return;
    RegistraFalha(conexao, q.lastError(), &q);
    throw EDatabaseError(TextoDoErroSql(q.lastError()));
}

void TAdaptadorPostgres::AoAbrir(QSqlDatabase& conexao)
{
    TAdaptadorConexao::AoAbrir(conexao);
    try {
        ExecutaInterno(conexao, QStringLiteral("SET TIME ZONE ") + ZonaDaMaquina(true));
    } catch (const EDatabaseError&) {
        // A zone name the server does not know: its present offset.
        ExecutaInterno(conexao, QStringLiteral("SET TIME ZONE ") + ZonaDaMaquina(false));
    }
}

void TAdaptadorPostgres::IniciaTransacao(QSqlDatabase& conexao)
{
    SobVigia(conexao, LimiteDoDriver(QStringLiteral("PG")), [&] { TAdaptadorConexao::IniciaTransacao(conexao); });
    FbSavepointPendente = false;
    FbComandoNaTransacao = false;
    FbTentativaSemSavepoint = false;
}

void TAdaptadorPostgres::CommitRetaining(QSqlDatabase& conexao)
{
    FbSavepointPendente = false;
    TAdaptadorConexao::CommitRetaining(conexao);  // a commit and a begin, each watched
}

void TAdaptadorPostgres::RollbackRetaining(QSqlDatabase& conexao)
{
    FTimeoutAtual = -1;
    FbSavepointPendente = false;
    TAdaptadorConexao::RollbackRetaining(conexao);  // a rollback and a begin, each watched
}

void TAdaptadorPostgres::EncerraTransacao(QSqlDatabase& conexao, bool confirma)
{
    // A SET made in the transaction outlives its commit, not a rollback:
    // after a commit the limit need not be set again before the next
    // statement (one round trip less for each record a pass commits).
    if (!confirma)
        FTimeoutAtual = -1;
    FbSavepointPendente = false;
    try {
        SobVigia(conexao, LimiteDoDriver(QStringLiteral("PG")),
                 [&] { TAdaptadorConexao::EncerraTransacao(conexao, confirma); });
    } catch (...) {
        FTimeoutAtual = -1;  // the commit failed and was rolled back
        throw;
    }
}

void TAdaptadorPostgres::DefineLimite(QSqlDatabase& conexao, int limiteMs)
{
    if (limiteMs == FTimeoutAtual)
        return;
    ExecutaInterno(conexao, QStringLiteral("SET statement_timeout = %1").arg(limiteMs));
    FTimeoutAtual = limiteMs;
}

bool TAdaptadorPostgres::Executa(QSqlDatabase& conexao, QSqlQuery& comando,
                                 const QString* textoDireto, int limiteMs, QString& erro)
{
    try {
        DefineLimite(conexao, limiteMs);
    } catch (const EDatabaseError& e) {
        erro = e.Message();
        return false;
    }
    bool rodou = false;
    SobVigia(conexao, limiteMs, [&] { rodou = Roda(comando, textoDireto); });
    if (rodou) {
        FbComandoNaTransacao = EmTransacao();
        return true;
    }
    erro = MensagemDaFalha(conexao, comando);
    return false;
}

QString TAdaptadorPostgres::MensagemDaFalha(QSqlDatabase& conexao, const QSqlQuery& comando)
{
    // 57014: query_canceled; the layer sends no cancel, so statement_timeout.
    const QString erro = TAdaptadorConexao::MensagemDaFalha(conexao, comando);
    return comando.lastError().nativeErrorCode() == QLatin1String("57014") ? QStringLiteral("TIMEOUT EXPIRED: ") + erro
                                                                          : erro;
}

void TAdaptadorPostgres::ConfereConexao(QSqlDatabase& conexao, const QString&, int limiteMs)
{
    // One round trip, whatever statement_timeout holds: "SELECT 1" waits on
    // nothing, and a server that stopped answering is cut by the watchdog.
    QSqlQuery consulta(conexao);
    consulta.setForwardOnly(true);
    bool respondeu = false;
    SobVigia(conexao, limiteMs, [&] { respondeu = consulta.exec(QStringLiteral("SELECT 1")); });
    if (!respondeu) {
        RegistraFalha(conexao, consulta.lastError(), &consulta);
        throw EDatabaseError(TextoDoErroSql(consulta.lastError()));
    }
}

void TAdaptadorPostgres::MarcaTentativa(QSqlDatabase& conexao)
{
    if (!EmTransacao())
        return;
    FbTentativaSemSavepoint = !FbComandoNaTransacao;
    if (FbTentativaSemSavepoint)
        return;
    ExecutaInterno(conexao, (FbSavepointPendente ? QStringLiteral("RELEASE SAVEPOINT %1; SAVEPOINT %1")
                                                 : QStringLiteral("SAVEPOINT %1"))
                                .arg(kSavepoint));
    FbSavepointPendente = false;
}

void TAdaptadorPostgres::DesfazTentativa(QSqlDatabase& conexao)
{
    // Going back to the savepoint also undoes a SET made after it.
    FTimeoutAtual = -1;
    if (FbTentativaSemSavepoint) {
        FbTentativaSemSavepoint = false;
        RollbackRetaining(conexao);
        return;
    }
    FbSavepointPendente = true;
    if (EmTransacao())
        ExecutaInterno(conexao, QStringLiteral("ROLLBACK TO SAVEPOINT ") + kSavepoint);
}

void TAdaptadorPostgres::ConfirmaTentativa(QSqlDatabase&)
{
    if (EmTransacao() && !FbTentativaSemSavepoint)
        FbSavepointPendente = true;
    FbTentativaSemSavepoint = false;
}
