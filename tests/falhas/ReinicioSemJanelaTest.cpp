// One quelix --sem-janela left running while each server is restarted
// between two of its cycles, with a lot added meanwhile: the next cycle
// finds the connection lost, opens it again ("Conexão restabelecida") and
// delivers the lot, with no hand on the monitor.
#include "ApoioMonitor.h"
#include "CenarioBruma.h"
#include "InstanciasFalhas.h"
#include "MonitorEmExecucao.h"

#include <QThread>

#include <gtest/gtest.h>

using namespace ApoioMonitor;

namespace {

// Long enough for a server to be killed and started again between two
// cycles, even on a busy machine.
constexpr int IntervaloMs = 6000;

// A lot that every pass logs and leaves pending (its colour has no
// programme chain): one line per cycle. The ERP's Firebird server groups
// the pending lots by sorting them, so they come in the order of their
// numbers and this one, above every other, is the last of each pass: its
// line marks the end of a cycle.
const QString LoteMarcador = QStringLiteral("Z9999999");
const QString FimDeCiclo =
    QStringLiteral("Erro. Programa não cadastrado na máquina para Cor SEM_PROGRAMA na FAL ") + LoteMarcador;

// Each lot here is the first of its machine.
QString Enviado(int lote)
{
    return QStringLiteral("Concluído. FAL %1   enviada para máquina com sucesso para Posição 1.")
        .arg(TCenarioBruma::NumeroLote(lote));
}

TEST(ReinicioSemJanela, CadaServidorReiniciadoEntreDoisCiclosEOProximoCicloEntregaOLoteNovo)
{
    ASSERT_TRUE(InstanciasProntas());
    TCenarioBruma cenario;
    cenario.InsereLotes(1, 2);
    cenario.InsereLoteSemPrograma(LoteMarcador);
    TMonitorEmExecucao monitor(InstalaExecutavel(QStringLiteral(QUELIX_EXECUTAVEL), cenario.Ini()),
                               {QStringLiteral("--sem-janela")},
                               {{QStringLiteral("QUELIX_INTERVALO_MS"), QString::number(IntervaloMs)}});
    const auto saida = [&monitor] {
        return (monitor.Linhas().join(u'\n') + u'\n' + monitor.Erros()).toStdString();
    };
    ASSERT_TRUE(monitor.EsperaLinhas(FimDeCiclo, 1, 120000)) << saida();
    const QString intervalo =
        QStringLiteral("QUELIX_INTERVALO_MS=%1: o intervalo entre ciclos é de %1 ms, não de 59 s.").arg(IntervaloMs);
    EXPECT_EQ(monitor.Linhas(), QStringList({intervalo, Enviado(1), Enviado(2), FimDeCiclo})) << saida();

    struct TReinicio {
        QString servidor;
        QString conexao;  // the line of the connection that comes back
    };
    const QList<TReinicio> reinicios{
        {QStringLiteral("firebird"), QStringLiteral("Conexão restabelecida: KoDatabase1 (%1).").arg(cenario.Erp())},
        {QStringLiteral("postgres"), QStringLiteral("Conexão restabelecida: KoDatabase2 (Provider=MSDASQL.1;Persist Security Info=False;"
                                                      "Data Source=%1).").arg(cenario.Dsn())},
    };
    int lote = 2;
    for (const TReinicio& reinicio : reinicios) {
        SCOPED_TRACE(reinicio.servidor.toStdString());
        // The marker's line was the cycle's last: what is left of it is the
        // end of its transactions, a moment's work.
        QThread::msleep(500);
        const int ciclos = monitor.Conta(FimDeCiclo);
        const qsizetype antes = monitor.Linhas().size();
        InstanciasFalhas().Derruba(reinicio.servidor);
        ++lote;
        if (reinicio.servidor != QLatin1String("firebird"))
            cenario.InsereLotes(lote, lote);  // while the queue's server is down
        InstanciasFalhas().Inicia();
        if (reinicio.servidor == QLatin1String("firebird"))
            cenario.InsereLotes(lote, lote);  // once the ERP's server is back
        monitor.Espera([](const QStringList&) { return false; }, 0);
        ASSERT_EQ(monitor.Linhas().size(), antes)
            << "um ciclo começou com o servidor parado: o reinício levou mais que o intervalo\n" << saida();

        // Before the cycle's first statement the liveness check finds the
        // link lost and opens the connection again, so the very next cycle
        // delivers the lot.
        ASSERT_TRUE(monitor.EsperaLinhas(FimDeCiclo, ciclos + 1, 120000)) << saida();
        EXPECT_EQ(monitor.Linhas().mid(antes),
                  QStringList({reinicio.conexao, Enviado(lote), FimDeCiclo}))
            << saida();
    }
    EXPECT_EQ(monitor.Erros(), QString()) << saida();

    monitor.PedeTermino();
    EXPECT_EQ(monitor.Fim(60000), 0) << saida();
    QStringList lotes;
    for (int i = 1; i <= lote; ++i)
        lotes << TCenarioBruma::NumeroLote(i);
    const QStringList divergencias = cenario.Divergencias(lotes);
    EXPECT_TRUE(divergencias.isEmpty()) << divergencias.join(u'\n').toStdString();
}

} // namespace
