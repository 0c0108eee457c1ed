// A Bruma pass of some hundreds of lots cut in the middle, several times
// over: the ERP's Firebird server killed, the queue's PostgreSQL stopped at
// once, the monitor itself killed (SIGKILL), or a server frozen (SIGSTOP)
// under a running service that is then told to stop (SIGTERM). After each, the server comes
// back, the monitor runs again until nothing is pending, and every lot must
// be in the machine queue exactly once and marked "E" in the ERP.
#include "ApoioMonitor.h"
#include "CenarioBruma.h"
#include "InstanciasFalhas.h"
#include "MonitorEmExecucao.h"

#include <gtest/gtest.h>

using namespace ApoioMonitor;

namespace {

constexpr int TotalLotes = 400;
const QString LoteEnviado = QStringLiteral("Concluído. FAL ");

enum class TFalha { Firebird, Postgres, Monitor, FirebirdCongelado, PostgresCongelado };

std::string NomeDaFalha(const ::testing::TestParamInfo<TFalha>& info)
{
    switch (info.param) {
    case TFalha::Firebird: return "ServidorFirebirdMorto";
    case TFalha::Postgres: return "PostgresParadoDeUmaVez";
    case TFalha::Monitor: return "MonitorMorto";
    case TFalha::FirebirdCongelado: return "ServidorFirebirdCongelado";
    case TFalha::PostgresCongelado: return "PostgresCongelado";
    }
    return {};
}

class PassagemInterrompida : public ::testing::TestWithParam<TFalha> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InstanciasProntas());
        cenario = std::make_unique<TCenarioBruma>();
        cenario->InsereLotes(1, TotalLotes);
        for (int i = 1; i <= TotalLotes; ++i)
            lotes << TCenarioBruma::NumeroLote(i);
        programa = InstalaExecutavel(QStringLiteral(QUELIX_EXECUTAVEL), cenario->Ini());
    }

    // A running service whose server freezes after `enviados` lots: the
    // pass hangs on the server that answers nothing; SIGTERM still ends the
    // process within its grace, saying so; then the server goes on.
    void CongelaNaPassagem(int enviados, const QString& servidor)
    {
        TMonitorEmExecucao monitor(programa, {QStringLiteral("--sem-janela")},
                                   {{QStringLiteral("QUELIX_INTERVALO_MS"), QStringLiteral("200")}});
        ASSERT_TRUE(monitor.EsperaLinhas(LoteEnviado, enviados, 120000))
            << monitor.Linhas().join(u'\n').toStdString() << monitor.Erros().toStdString();
        InstanciasFalhas().Congela(servidor);
        monitor.Espera([](const QStringList&) { return false; }, 3000);
        EXPECT_TRUE(monitor.Rodando()) << "the pass did not wait on the frozen server";
        monitor.PedeTermino();
        const int status = monitor.Fim(20000);
        InstanciasFalhas().Descongela(servidor);
        EXPECT_EQ(status, 128 + 15) << monitor.Erros().toStdString();
        EXPECT_TRUE(monitor.Erros().contains(QString::fromUtf8("o encerramento esperou 8 s por uma chamada que não responde")))
            << monitor.Erros().toStdString();
    }

    // One pass cut after `enviados` lots went through.
    void InterrompePassagem(int enviados)
    {
        if (GetParam() == TFalha::FirebirdCongelado || GetParam() == TFalha::PostgresCongelado) {
            CongelaNaPassagem(enviados, GetParam() == TFalha::FirebirdCongelado ? QStringLiteral("firebird")
                                                                                : QStringLiteral("postgres"));
            return;
        }
        TMonitorEmExecucao monitor(programa, {QStringLiteral("--ciclo")});
        ASSERT_TRUE(monitor.EsperaLinhas(LoteEnviado, enviados, 120000))
            << "a passagem não chegou a " << enviados << " lotes:\n"
            << monitor.Linhas().join(u'\n').toStdString() << monitor.Erros().toStdString();
        switch (GetParam()) {
        case TFalha::Firebird: InstanciasFalhas().Derruba(QStringLiteral("firebird")); break;
        case TFalha::Postgres: InstanciasFalhas().Derruba(QStringLiteral("postgres")); break;
        case TFalha::Monitor: monitor.Mata(); break;
        case TFalha::FirebirdCongelado:
        case TFalha::PostgresCongelado: break;  // CongelaNaPassagem
        }
        const int status = monitor.Fim(120000);
        const std::string saida = monitor.Linhas().join(u'\n').toStdString() + "\n" + monitor.Erros().toStdString();
        if (GetParam() == TFalha::Monitor) {
            EXPECT_EQ(status, -1);
            return;
        }
        // The lot that met the dead link failed alone, the pass stopped
        // there, and the monitor ended on its own with "some records failed".
        EXPECT_EQ(status, 3) << saida;
        EXPECT_EQ(monitor.Conta(QStringLiteral("Erro. Execução de envio mal sucedida na FAL ")), 1) << saida;
        EXPECT_EQ(monitor.Conta(QStringLiteral("Conexão perdida: os lotes restantes ficam para o próximo ciclo.")), 1)
            << saida;
        InstanciasFalhas().Inicia();
    }

    // The monitor runs again, a bounded number of times, until nothing is
    // pending; a run that finds its servers back sends everything left.
    void RodaAteNadaPendente()
    {
        for (int vez = 1; vez <= 3; ++vez) {
            TMonitorEmExecucao monitor(programa, {QStringLiteral("--ciclo")});
            const int status = monitor.Fim(300000);
            EXPECT_EQ(status, 0) << monitor.Linhas().join(u'\n').toStdString() << monitor.Erros().toStdString();
            if (cenario->Pendentes() == 0)
                return;
        }
        ADD_FAILURE() << cenario->Pendentes() << " lotes ainda pendentes depois de três ciclos";
    }

    std::unique_ptr<TCenarioBruma> cenario;
    QStringList lotes;
    QString programa;
};

TEST_P(PassagemInterrompida, CadaLoteFicaUmaVezNaFilaEMarcadoNoErp)
{
    // At a different point of the pass each time.
    for (const int enviados : {TotalLotes / 10, TotalLotes / 3, TotalLotes / 2}) {
        SCOPED_TRACE(::testing::Message() << "falha depois de " << enviados << " lotes");
        cenario->TornaPendentes();
        InterrompePassagem(enviados);
        if (HasFatalFailure())
            return;
        const int pendentes = cenario->Pendentes();
        EXPECT_GT(pendentes, 0) << "a falha chegou depois do fim da passagem";
        EXPECT_LE(pendentes, TotalLotes - enviados);

        RodaAteNadaPendente();
        const QStringList divergencias = cenario->Divergencias(lotes);
        EXPECT_TRUE(divergencias.isEmpty()) << divergencias.join(u'\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Falhas, PassagemInterrompida,
                         ::testing::Values(TFalha::Firebird, TFalha::Postgres, TFalha::Monitor,
                                           TFalha::FirebirdCongelado, TFalha::PostgresCongelado),
                         NomeDaFalha);

} // namespace
