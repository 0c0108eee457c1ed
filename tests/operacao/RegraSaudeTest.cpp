// The one health rule, as /saude, quelix --estado, the status bar and
// systemd ask it.
#include "operacao/RegraSaude.h"

#include <gtest/gtest.h>

namespace {

TEST(RegraSaude, Casos)
{
    const QDateTime agora = QDateTime::currentDateTime();
    const TParametrosSaude ligado{true, 59000, 1800000};
    // A cycle of `duracaoMs` that ended `haMs` ago.
    auto fim = [&](qint64 haMs, const QString& erro = {}, qint64 duracaoMs = 1000) {
        TFimCiclo ciclo;
        ciclo.Integracao = QStringLiteral("Bruma");
        ciclo.Inicio = agora.addMSecs(-haMs - duracaoMs);
        ciclo.Fim = agora.addMSecs(-haMs);
        ciclo.Erro = erro;
        return ciclo;
    };
    auto emCiclo = [&](qint64 haSegundos) { return TCicloEmAndamento{QStringLiteral("Bruma"), agora.addSecs(-haSegundos)}; };
    const QString espera = QStringLiteral("SELECT em KoDatabase2 há 40 s (limite de 30 s)");
    struct TCaso {
        const char* nome;
        TParametrosSaude parametros;
        QDateTime desde;
        std::optional<TFimCiclo> ultimo;
        std::optional<TCicloEmAndamento> atual;
        QStringList chamadas;
        TFalhaSaude falha;
        const char* motivo;
    };
    const TCaso casos[] = {
        {"just started", ligado, agora.addSecs(-10), {}, {}, {}, TFalhaSaude::Nenhuma, ""},
        {"no cycle in three intervals since start-up", ligado, agora.addSecs(-178), {}, {}, {}, TFalhaSaude::SemCiclo,
         "nenhum ciclo começou nos últimos 178 s (intervalo: 59 s)"},
        {"last cycle ended within three intervals", ligado, agora.addDays(-1), fim(170000), {}, {},
         TFalhaSaude::Nenhuma, ""},
        {"a 200 s cycle that ended 10 s ago", ligado, agora.addDays(-1), fim(10000, {}, 200000), {}, {},
         TFalhaSaude::Nenhuma, ""},
        {"last cycle ended longer ago", ligado, agora.addDays(-1), fim(200000), {}, {}, TFalhaSaude::SemCiclo,
         "nenhum ciclo começou nos últimos 200 s (intervalo: 59 s)"},
        {"a cycle running for 4 minutes", ligado, agora.addDays(-1), fim(300000), emCiclo(240), {},
         TFalhaSaude::Nenhuma, ""},
        {"a long cycle within the bound", ligado, agora.addDays(-1), fim(900000), emCiclo(600), {},
         TFalhaSaude::Nenhuma, ""},
        {"a cycle past the bound", ligado, agora.addDays(-1), fim(2000000), emCiclo(1801), {},
         TFalhaSaude::CicloAlemDoLimite, "o ciclo em andamento já dura 1801 s (limite: 1800 s)"},
        {"a call waiting past its limit in a young cycle", TParametrosSaude{true, 5000, 1800000}, agora.addDays(-1),
         fim(30000), emCiclo(26), {espera}, TFalhaSaude::ChamadaSemResposta,
         "sem resposta do servidor: SELECT em KoDatabase2 há 40 s (limite de 30 s)"},
        {"a call waiting past its limit between cycles", ligado, agora.addDays(-1), fim(1000), {}, {espera, espera},
         TFalhaSaude::ChamadaSemResposta,
         "sem resposta do servidor: SELECT em KoDatabase2 há 40 s (limite de 30 s); "
         "SELECT em KoDatabase2 há 40 s (limite de 30 s)"},
        {"an error escaped the last cycle", ligado, agora.addDays(-1), fim(1000, QStringLiteral("Erro X")), {}, {},
         TFalhaSaude::ErroNoCiclo, "o último ciclo terminou com erro: Erro X"},
        {"polling stopped", TParametrosSaude{false, 59000, 1800000}, agora, fim(1000), {}, {espera},
         TFalhaSaude::Parado, "o monitoramento está parado"},
    };
    for (const TCaso& caso : casos) {
        SCOPED_TRACE(caso.nome);
        const TSaude saude = AvaliaSaude({caso.parametros, caso.desde, caso.ultimo, caso.atual, caso.chamadas}, agora);
        EXPECT_EQ(saude.Saudavel, caso.falha == TFalhaSaude::Nenhuma);
        EXPECT_EQ(saude.Falha, caso.falha);
        EXPECT_EQ(saude.Motivo, QString::fromUtf8(caso.motivo));
    }
}

} // namespace
