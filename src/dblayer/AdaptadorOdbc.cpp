#include "dblayer/AdaptadorOdbc.h"

#include "dblayer/firebird/VigiaTempoLimite.h"

#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>

#include <sql.h>

TAdaptadorOdbc::TAdaptadorOdbc()
    : FVigia(std::make_unique<VigiaTempoLimite>([this] { CancelaComandoAtual(); }))
{
}

TAdaptadorOdbc::~TAdaptadorOdbc() = default;

void TAdaptadorOdbc::CancelaComandoAtual()
{
    if (FComandoAtual)
        SQLCancel(static_cast<SQLHANDLE>(FComandoAtual));
}

bool TAdaptadorOdbc::Executa(QSqlDatabase&, QSqlQuery& comando, int limiteMs, QString& erro)
{
    // QODBC hands out the statement handle of a prepared query.
    const QVariant alca = comando.result() ? comando.result()->handle() : QVariant();
    void* hstmt = alca.isValid() ? *static_cast<void* const*>(alca.constData()) : nullptr;
    const bool vigiado = limiteMs > 0 && hstmt;
    if (vigiado) {
        FComandoAtual = hstmt;  // read by the watchdog only while armed
        FVigia->arma(limiteMs);
    }
    const bool ok = comando.exec();
    const bool cortado = vigiado && FVigia->desarma();
    FComandoAtual = nullptr;
    if (ok && !cortado)
        return true;
    erro = TextoDoErro(comando);
    if (cortado)
        erro = QStringLiteral("TIMEOUT EXPIRED: ") + erro;
    return false;
}
