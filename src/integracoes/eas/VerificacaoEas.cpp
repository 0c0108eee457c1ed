// What commissioning checks of the EAS model: its keys, the host tables'
// statements qualified by this site's schema, the ERP indexes the kitchen's
// events need and the ERP table of the monitor's own.
#include "integracoes/eas/Eas.h"

#include "integracao/Configuracao.h"
#include "integracoes/eas/AplicadosErp.h"
#include "integracoes/eas/TabelasHost.h"

#include <QRegularExpression>

void TEas::VerificaChaves(TVerificacao& verificacao) const
{
    verificacao.ChavePreenchida(FContexto.Configuracao, QStringLiteral("Banco3"), QStringLiteral("Base"));
    verificacao.ChaveSimNao(FContexto.Configuracao, QStringLiteral("Banco3"), QStringLiteral("Estoque"));
}

QString TEas::ComandoDoSite(const QString& texto) const
{
    static const QRegularExpression tabelaHost(QStringLiteral("\\b(FFROMHOST|FTOHOST)\\b"));
    QString resultado;
    qsizetype inicio = 0;
    for (const QRegularExpressionMatch& achado : tabelaHost.globalMatch(texto)) {
        resultado += texto.mid(inicio, achado.capturedStart() - inicio)
                   + NomeTabelaHost(FDados.sSchema, achado.captured(1));
        inicio = achado.capturedEnd();
    }
    return resultado + texto.mid(inicio);
}

// The lot start and end events update the process rows by lot, the machine
// change and queue events the machine programme: without these each event
// reads the whole table, and a backlog of events grows quadratic.
QList<TIndiceNecessario> TEas::IndicesNecessarios()
{
    TKoDatabase* erp = &FDados.KoDatabase1;
    return {{erp, QStringLiteral("PROCESSO_TIN_001"), {QStringLiteral("FAL")},
             QStringLiteral("os eventos 80 e 81 do EAS atualizam o processo de cada lote")},
            {erp, QStringLiteral("TNG_PROG_001"), {QStringLiteral("FAL")},
             QStringLiteral("os eventos 92 e 95 do EAS atualizam o programa de cada lote")}};
}

QList<TTabelaPropria> TEas::TabelasProprias()
{
    return {{&FDados.KoDatabase1, TabelaAplicados(),
             QStringLiteral("sem ela um evento do EAS aplicado ao ERP cuja marcação de lido falhe é aplicado de novo")}};
}
