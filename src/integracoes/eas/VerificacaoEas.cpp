// What commissioning checks of the EAS model: its keys, and the host
// tables' statements qualified by this site's schema.
#include "integracoes/eas/Eas.h"

#include "integracao/Configuracao.h"
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
