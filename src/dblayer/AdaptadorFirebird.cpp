#include "dblayer/AdaptadorFirebird.h"

#include "base/Erros.h"
#include "dblayer/ErroSql.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <QSqlQuery>

namespace {

DriverFirebird& Driver(QSqlDatabase& conexao)
{
    auto* driver = dynamic_cast<DriverFirebird*>(conexao.driver());
    if (!driver)
        throw EDatabaseError(QStringLiteral("a conexão não usa o driver Firebird"));
    return *driver;
}

const QString kIniciar = QStringLiteral("Não foi possível iniciar a transação");
const QString kConfirmar = QStringLiteral("Não foi possível confirmar a transação");
const QString kDesfazer = QStringLiteral("Não foi possível desfazer a transação");

} // namespace

void TAdaptadorFirebird::IniciaTransacao(QSqlDatabase& conexao)
{
    DriverFirebird& driver = Driver(conexao);
    if (!driver.emTransacao())
        Exige(driver.beginTransaction(), conexao, kIniciar);
    FEmTransacao = true;
}

void TAdaptadorFirebird::CommitRetaining(QSqlDatabase& conexao)
{
    DriverFirebird& driver = Driver(conexao);
    if (!driver.emTransacao())
        return IniciaTransacao(conexao);
    Exige(driver.commitRetaining(), conexao, kConfirmar);
    FEmTransacao = true;
}

void TAdaptadorFirebird::RollbackRetaining(QSqlDatabase& conexao)
{
    DriverFirebird& driver = Driver(conexao);
    if (!driver.emTransacao())
        return IniciaTransacao(conexao);
    Exige(driver.rollbackRetaining(), conexao, kDesfazer);
    FEmTransacao = true;
}

void TAdaptadorFirebird::EncerraTransacao(QSqlDatabase& conexao, bool confirma)
{
    FEmTransacao = false;
    DriverFirebird& driver = Driver(conexao);
    if (!driver.emTransacao())
        return;
    if (!confirma)
        return Exige(driver.rollbackTransaction(), conexao, kDesfazer);
    if (driver.commitTransaction())
        return;
    const QSqlError erro = driver.lastError();
    RegistraFalha(conexao, erro);
    driver.rollbackTransaction();
    throw EDatabaseError(kConfirmar + QStringLiteral(": ") + TextoDoErroSql(erro));
}

bool TAdaptadorFirebird::Executa(QSqlDatabase& conexao, QSqlQuery& comando,
                                 const QString* textoDireto, int limiteMs, QString& erro)
{
    Driver(conexao).defineTempoLimite(limiteMs);
    if (Roda(comando, textoDireto))
        return true;
    erro = MensagemDaFalha(conexao, comando);
    return false;
}

QString TAdaptadorFirebird::MensagemDaFalha(QSqlDatabase& conexao, const QSqlQuery& comando)
{
    // The watchdog's cancel, on the execution or on a fetch (a lock a row
    // waits for is met while fetching it).
    const QString erro = TAdaptadorConexao::MensagemDaFalha(conexao, comando);
    return Driver(conexao).ultimoExcedeuTempo() ? QStringLiteral("TIMEOUT EXPIRED: ") + erro : erro;
}

void TAdaptadorFirebird::DefineLimite(QSqlDatabase& conexao, int limiteMs)
{
    Driver(conexao).defineTempoLimite(limiteMs);
}

void TAdaptadorFirebird::ConfereConexao(QSqlDatabase& conexao, const QString&, int limiteMs)
{
    Exige(Driver(conexao).confereConexao(limiteMs), conexao,
          QStringLiteral("A conexão com o servidor não responde"));
}
