#include "dblayer/AdaptadorFirebird.h"

#include "base/Erros.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

DriverFirebird& Driver(QSqlDatabase& conexao)
{
    auto* driver = dynamic_cast<DriverFirebird*>(conexao.driver());
    if (!driver)
        throw EDatabaseError(QStringLiteral("a conexão não usa o driver Firebird"));
    return *driver;
}

void Exige(bool ok, DriverFirebird& driver, const char* acao)
{
    if (!ok)
        throw EDatabaseError(QStringLiteral("%1: %2").arg(QLatin1String(acao),
                                                           driver.lastError().text()));
}

} // namespace

void TAdaptadorFirebird::IniciaTransacao(QSqlDatabase& conexao)
{
    DriverFirebird& driver = Driver(conexao);
    if (!driver.emTransacao())
        Exige(driver.beginTransaction(), driver, "Não foi possível iniciar a transação");
    FEmTransacao = true;
}

void TAdaptadorFirebird::CommitRetaining(QSqlDatabase& conexao)
{
    DriverFirebird& driver = Driver(conexao);
    if (!driver.emTransacao())
        return IniciaTransacao(conexao);
    Exige(driver.commitRetaining(), driver, "Não foi possível confirmar a transação");
    FEmTransacao = true;
}

void TAdaptadorFirebird::RollbackRetaining(QSqlDatabase& conexao)
{
    DriverFirebird& driver = Driver(conexao);
    if (!driver.emTransacao())
        return IniciaTransacao(conexao);
    Exige(driver.rollbackRetaining(), driver, "Não foi possível desfazer a transação");
    FEmTransacao = true;
}

bool TAdaptadorFirebird::Executa(QSqlDatabase& conexao, QSqlQuery& comando,
                                 const QString* textoDireto, int limiteMs, QString& erro)
{
    DriverFirebird& driver = Driver(conexao);
    driver.defineTempoLimite(limiteMs);
    const bool ok = Roda(comando, textoDireto);
    if (ok)
        return true;
    erro = TextoDoErro(comando);
    if (driver.ultimoExcedeuTempo())
        erro = QStringLiteral("TIMEOUT EXPIRED: ") + erro;
    return false;
}
