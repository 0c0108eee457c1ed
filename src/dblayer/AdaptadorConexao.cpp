#include "dblayer/AdaptadorConexao.h"

#include "base/Erros.h"
#include "dblayer/ErroSql.h"

#include <QSqlQuery>

void TAdaptadorConexao::RegistraFalha(QSqlDatabase& conexao, const QSqlError& erro,
                                      const QSqlQuery* comando)
{
    if (FalhaDeConexao(conexao, erro, comando))
        FPerdida = true;
}

QString TAdaptadorConexao::MensagemDaFalha(QSqlDatabase& conexao, const QSqlQuery& comando)
{
    RegistraFalha(conexao, comando.lastError(), &comando);
    return TextoDoErroSql(comando.lastError());
}

bool TAdaptadorConexao::EstadoDeConexaoPerdida(const QString& sqlstate)
{
    return sqlstate.startsWith(QLatin1String("08")) || sqlstate == QLatin1String("57P01")
        || sqlstate == QLatin1String("57P02") || sqlstate == QLatin1String("57P03");
}

bool TAdaptadorConexao::FalhaDeConexao(QSqlDatabase&, const QSqlError& erro, const QSqlQuery*) const
{
    return erro.type() == QSqlError::ConnectionError;
}

void TAdaptadorConexao::Exige(bool ok, QSqlDatabase& conexao, const QString& acao)
{
    if (ok)
        return;
    const QSqlError erro = conexao.lastError();
    RegistraFalha(conexao, erro);
    throw EDatabaseError(acao + QStringLiteral(": ") + TextoDoErroSql(erro));
}

void TAdaptadorConexao::IniciaTransacao(QSqlDatabase& conexao)
{
    Exige(conexao.transaction(), conexao, QStringLiteral("Não foi possível iniciar a transação"));
    FEmTransacao = true;
}

void TAdaptadorConexao::CommitRetaining(QSqlDatabase& conexao)
{
    // Drivers without a native commit retaining: commit, then open the next
    // transaction at once, so that statements keep running inside one.
    EncerraTransacao(conexao, true);
    IniciaTransacao(conexao);
}

void TAdaptadorConexao::RollbackRetaining(QSqlDatabase& conexao)
{
    EncerraTransacao(conexao, false);
    IniciaTransacao(conexao);
}

void TAdaptadorConexao::EncerraTransacao(QSqlDatabase& conexao, bool confirma)
{
    if (!FEmTransacao)
        return;
    FEmTransacao = false;
    if (!confirma) {
        Exige(conexao.rollback(), conexao, QStringLiteral("Não foi possível desfazer a transação"));
        return;
    }
    if (conexao.commit())
        return;
    const QSqlError erro = conexao.lastError();
    RegistraFalha(conexao, erro);
    conexao.rollback();
    throw EDatabaseError(QStringLiteral("Não foi possível confirmar a transação: ") + TextoDoErroSql(erro));
}

bool TAdaptadorConexao::Roda(QSqlQuery& comando, const QString* textoDireto)
{
    return textoDireto ? comando.exec(*textoDireto) : comando.exec();
}

bool TAdaptadorConexao::Executa(QSqlDatabase& conexao, QSqlQuery& comando, const QString* textoDireto,
                                int /*limiteMs*/, QString& erro)
{
    if (Roda(comando, textoDireto))
        return true;
    erro = MensagemDaFalha(conexao, comando);
    return false;
}

void TAdaptadorConexao::ConfereComConsulta(QSqlDatabase& conexao, const QString& sql, int limiteMs)
{
    QSqlQuery consulta(conexao);
    consulta.setForwardOnly(true);
    QString erro;
    if (!Executa(conexao, consulta, &sql, limiteMs, erro))
        throw EDatabaseError(erro);
    consulta.next();
    consulta.finish();
}

void TAdaptadorConexao::ConfereConexao(QSqlDatabase& conexao, const QString& driverId, int limiteMs)
{
    ConfereComConsulta(conexao,
                       driverId == QLatin1String("Ora") ? QStringLiteral("SELECT 1 FROM DUAL")
                                                        : QStringLiteral("SELECT 1"),
                       limiteMs);
}
