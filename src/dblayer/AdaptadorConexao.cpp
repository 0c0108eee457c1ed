#include "dblayer/AdaptadorConexao.h"

#include "base/Erros.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

void Exige(bool ok, const QSqlDatabase& conexao, const char* acao)
{
    if (!ok)
        throw EDatabaseError(QStringLiteral("%1: %2").arg(QLatin1String(acao),
                                                           conexao.lastError().text()));
}

} // namespace

void TAdaptadorConexao::IniciaTransacao(QSqlDatabase& conexao)
{
    Exige(conexao.transaction(), conexao, "Não foi possível iniciar a transação");
    FEmTransacao = true;
}

void TAdaptadorConexao::CommitRetaining(QSqlDatabase& conexao)
{
    // Drivers without a native commit retaining: commit, then open the next
    // transaction at once, so that statements keep running inside one.
    if (FEmTransacao) {
        FEmTransacao = false;
        Exige(conexao.commit(), conexao, "Não foi possível confirmar a transação");
    }
    IniciaTransacao(conexao);
}

void TAdaptadorConexao::RollbackRetaining(QSqlDatabase& conexao)
{
    if (FEmTransacao) {
        FEmTransacao = false;
        Exige(conexao.rollback(), conexao, "Não foi possível desfazer a transação");
    }
    IniciaTransacao(conexao);
}

void TAdaptadorConexao::EncerraTransacao(QSqlDatabase& conexao, bool confirma)
{
    if (!FEmTransacao)
        return;
    FEmTransacao = false;
    if (confirma)
        Exige(conexao.commit(), conexao, "Não foi possível confirmar a transação");
    else
        Exige(conexao.rollback(), conexao, "Não foi possível desfazer a transação");
}

bool TAdaptadorConexao::Roda(QSqlQuery& comando, const QString* textoDireto)
{
    return textoDireto ? comando.exec(*textoDireto) : comando.exec();
}

bool TAdaptadorConexao::Executa(QSqlDatabase&, QSqlQuery& comando, const QString* textoDireto,
                                int /*limiteMs*/, QString& erro)
{
    if (Roda(comando, textoDireto))
        return true;
    erro = TextoDoErro(comando);
    return false;
}

QString TAdaptadorConexao::TextoDoErro(const QSqlQuery& comando)
{
    const QSqlError e = comando.lastError();
    QString texto = e.databaseText().trimmed();
    if (texto.isEmpty())
        texto = e.text().trimmed();
    if (texto.isEmpty())
        texto = QStringLiteral("erro desconhecido do servidor");
    // Servers give their messages in lines; written with CR LF, so that the
    // log writer keeps each failure on one line.
    texto.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    texto.replace(u'\n', QLatin1String("\r\n"));
    return texto;
}
