#include "integracoes/bruma/HoraParaDecimal.h"

#include <gtest/gtest.h>

namespace {

const QString Hora = QStringLiteral("Hora cadastrada de forma incorreta.");
const QString Minuto = QStringLiteral("Minuto cadastrado de forma incorreta.");
const QString Segundo = QStringLiteral("Segundo cadastrada de forma incorreta.");

struct CasoHora {
    const char* tempo;
    double horas;
    QStringList mensagens;
};

class HoraParaDecimalTeste : public ::testing::TestWithParam<CasoHora> {};

} // namespace

TEST_P(HoraParaDecimalTeste, ConverteEAvisaAsPartesInvalidas)
{
    const THoraDecimal hora = HoraParaDecimal(QString::fromUtf8(GetParam().tempo));
    EXPECT_DOUBLE_EQ(hora.Horas, GetParam().horas);
    EXPECT_EQ(hora.Avisos, GetParam().mensagens);
}

INSTANTIATE_TEST_SUITE_P(
    Bruma, HoraParaDecimalTeste,
    ::testing::Values(CasoHora{"01:30:00", 1.5, {}},
                      CasoHora{"00:00:59", 0.0164, {}},
                      CasoHora{"23:59:59", 23.9997, {}},
                      CasoHora{"", 0.0, {}},
                      CasoHora{"0", 0.0, {}},
                      CasoHora{"1", 1.0, {}},             // missing characters count as absent
                      CasoHora{"02:15", 2.25, {}},
                      CasoHora{"2:30:00", 0.0, {Hora, Minuto}},
                      CasoHora{"12:ab:30", 12.0083, {Minuto}},
                      CasoHora{"10:20:xx", 10.3333, {Segundo}},
                      CasoHora{"-1:00:00", 0.0, {Hora}},
                      CasoHora{" 1:00:00", 0.0, {Hora}},
                      CasoHora{"x1:00:00", 0.0, {Hora}},    // no hexadecimal reading
                      CasoHora{"ab:cd:ef", 0.0, {Hora, Minuto, Segundo}}));

struct CasoMinutos {
    const char* tempo;
    qint64 minutos;
};

class MinutosProgramadosTeste : public ::testing::TestWithParam<CasoMinutos> {};

// Whole minutes of the programmed time, also where the hours rounded to four
// places fall just below the exact value (2 min = 0.0333 h).
TEST_P(MinutosProgramadosTeste, ContaOsMinutosInteiros)
{
    EXPECT_EQ(MinutosProgramados(HoraParaDecimal(QString::fromUtf8(GetParam().tempo)).Horas),
              GetParam().minutos);
}

INSTANTIATE_TEST_SUITE_P(Bruma, MinutosProgramadosTeste,
                         ::testing::Values(CasoMinutos{"01:30:00", 90}, CasoMinutos{"00:00:59", 0},
                                           CasoMinutos{"00:02:00", 2}, CasoMinutos{"00:05:00", 5},
                                           CasoMinutos{"00:01:59", 1}, CasoMinutos{"23:59:59", 1439},
                                           CasoMinutos{"", 0}));

TEST(MinutosProgramados, TodosOsTemposDeUmDia)
{
    for (int segundos = 0; segundos < 24 * 3600; segundos += 7) {
        const QString tempo = QStringLiteral("%1:%2:%3")
                                  .arg(segundos / 3600, 2, 10, QLatin1Char('0'))
                                  .arg(segundos / 60 % 60, 2, 10, QLatin1Char('0'))
                                  .arg(segundos % 60, 2, 10, QLatin1Char('0'));
        ASSERT_EQ(MinutosProgramados(HoraParaDecimal(tempo).Horas), segundos / 60) << tempo.toStdString();
    }
}
