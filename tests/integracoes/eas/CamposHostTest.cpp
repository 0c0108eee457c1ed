// The pure field readers of the kitchen records, case by case.
#include "base/Erros.h"
#include "integracoes/eas/campos/CamposEntrada.h"
#include "integracoes/eas/campos/CamposHost.h"

#include <gtest/gtest.h>

namespace {

struct CasoCampo {
    const char* registro;
    int n;
    const char* esperado;
};

class CampoHostCasos : public ::testing::TestWithParam<CasoCampo> {};

TEST_P(CampoHostCasos, DaOCampoPelaPosicao)
{
    const CasoCampo& caso = GetParam();
    EXPECT_EQ(CampoHost(QString::fromUtf8(caso.registro), caso.n), QString::fromUtf8(caso.esperado))
        << caso.registro << " campo " << caso.n;
}

INSTANTIATE_TEST_SUITE_P(Casos, CampoHostCasos, ::testing::Values(
    CasoCampo{"A|B|C|", 2, "B"},
    CasoCampo{"A|B|C|", 1, "A"},
    CasoCampo{"A|B|C|", 3, "C"},
    CasoCampo{"  A|B|", 1, "A"},                  // the record is trimmed first
    CasoCampo{"A| B |", 2, " B "},                // fields are not
    CasoCampo{"  sem separador  ", 1, "sem separador"},
    CasoCampo{"  sem separador  ", 7, "sem separador"},
    CasoCampo{"A||C|", 2, ""},
    CasoCampo{"A|B|C|", 4, ""},                   // beyond the last separator
    CasoCampo{"A|B|resto", 3, ""},
    CasoCampo{"A|B|", 255, ""},
    CasoCampo{"A|B|", 0, ""},
    CasoCampo{"A|B|", -1, ""},
    CasoCampo{"", 1, ""},
    CasoCampo{"|", 1, ""},
    CasoCampo{"Água|東京|✓|", 2, "東京"}));

TEST(CampoHost, CampoAlemDoFimNaoTrazValorDeOutroRegistro)
{
    EXPECT_EQ(CampoHost(QStringLiteral("0004711|X|A|M1|20240315|0730|"), 4), "M1");
    EXPECT_EQ(CampoHost(QStringLiteral("0004712|"), 4), "");
}

TEST(DataHost, DatasEHorasEmDigitos)
{
    EXPECT_EQ(DataHost(QStringLiteral("20240315")), QDate(2024, 3, 15));
    EXPECT_EQ(DataHost(QStringLiteral("20240229")), QDate(2024, 2, 29));
    EXPECT_EQ(DataHost(QStringLiteral("2024031")), QDate(2024, 3, 1));  // the day as far as it goes
    EXPECT_EQ(HoraHost(QStringLiteral("0730")), QTime(7, 30, 0));
    EXPECT_EQ(HoraHost(QStringLiteral("2359")), QTime(23, 59, 0));
    EXPECT_EQ(HoraHost(QStringLiteral("0000")), QTime(0, 0, 0));
}

TEST(DataHost, TextoQueNaoEDataOuHoraEErroDeConversao)
{
    for (const char* data : {"20241345", "20230229", "2024AB15", "", "2024", "00000101", " 2024031", "2024-3-1"})
        EXPECT_THROW(DataHost(QString::fromLatin1(data)), EConvertError) << data;
    for (const char* hora : {"2400", "0760", "7:30", "", "07", "ab30"})
        EXPECT_THROW(HoraHost(QString::fromLatin1(hora)), EConvertError) << hora;
}

TEST(AjustaObs, CortaParaORegistroCaberEm254)
{
    EXPECT_EQ(AjustaObs(QStringLiteral("0123456789"), 250), "0123");
    EXPECT_EQ(AjustaObs(QStringLiteral("0123456789"), 244), "0123456789");
    EXPECT_EQ(AjustaObs(QStringLiteral("0123456789"), 254), "");
    EXPECT_EQ(AjustaObs(QStringLiteral("0123456789"), 300), "");
    EXPECT_EQ(AjustaObs(QString(), 0), "");
    // A character that takes two places is not cut in half.
    EXPECT_EQ(AjustaObs(QStringLiteral("ab") + QString::fromUtf8("😀"), 251), "ab");
}

struct CasoTempo {
    const char* campo;
    const char* tempo;
};

class TempoHostCasos : public ::testing::TestWithParam<CasoTempo> {};

TEST_P(TempoHostCasos, MinutosEmHorasMinutosSegundos)
{
    EXPECT_EQ(TempoHost(QString::fromLatin1(GetParam().campo)), QLatin1String(GetParam().tempo)) << GetParam().campo;
}

INSTANTIATE_TEST_SUITE_P(Casos, TempoHostCasos, ::testing::Values(
    CasoTempo{"135", "02:15:00"},
    CasoTempo{"45", "00:45:00"},
    CasoTempo{"59", "00:59:00"},
    CasoTempo{"60", "01:00:00"},
    CasoTempo{"6000", "100:00:00"},
    CasoTempo{"", "00:00:00"},
    CasoTempo{"   ", "00:00:00"},
    CasoTempo{" 90 ", "01:30:00"},
    CasoTempo{"abc", "00:00:00"},
    CasoTempo{"12.5", "00:00:00"}));

TEST(CamposEntrada, LoteDocumentoMaquinaEFuncionario)
{
    EXPECT_EQ(NumeroFalHost(QStringLiteral("AB0001234")), 1234);
    EXPECT_EQ(NumeroFalHost(QStringLiteral("0001234")), 1234);
    EXPECT_EQ(NumeroFalHost(QStringLiteral("815")), 815);  // shorter: the whole field
    EXPECT_EQ(NumeroFalHost(QStringLiteral("00012X4")), 0);
    EXPECT_EQ(NumeroFalHost(QStringLiteral("0000000")), 0);
    EXPECT_EQ(NumeroFalHost(QString()), 0);

    EXPECT_EQ(DocumentoHost(QStringLiteral("ABC0004711XYZ")), "0004711");
    EXPECT_EQ(DocumentoHost(QStringLiteral("AB")), "");

    EXPECT_EQ(MaquinaHost(QStringLiteral("AX012")), "012");
    EXPECT_EQ(MaquinaHost(QStringLiteral("M07B")), "M07");
    EXPECT_EQ(MaquinaHost(QStringLiteral("X1")), "1");
    EXPECT_EQ(MaquinaHost(QStringLiteral("ax012")), "ax0");  // a capital X only

    EXPECT_EQ(FuncionarioHost(QStringLiteral("OPER0042")), "0042");
    EXPECT_EQ(FuncionarioHost(QStringLiteral("42")), "42");
}

TEST(CamposEntrada, QuantidadeComOitoDecimaisImplicitos)
{
    EXPECT_DOUBLE_EQ(QuantidadeHost(QStringLiteral("150000000"), u'.'), 1.5);
    EXPECT_DOUBLE_EQ(QuantidadeHost(QStringLiteral("250000000"), u','), 2.5);
    EXPECT_DOUBLE_EQ(QuantidadeHost(QStringLiteral(" 0 "), u'.'), 0.0);
    EXPECT_DOUBLE_EQ(QuantidadeHost(QStringLiteral("1,5E8"), u','), 1.5);
    EXPECT_DOUBLE_EQ(QuantidadeHost(QStringLiteral("-100000000"), u'.'), -1.0);
    for (const char* ruim : {"", "abc", "1.5", "1,5,0", "1e", "inf", "nan", "1e999", "--1"})
        EXPECT_THROW(QuantidadeHost(QString::fromLatin1(ruim), u','), EConvertError) << ruim;
}

TEST(CamposEntrada, ClasseDoConsumo)
{
    for (const char* classe : {"1", "3", "5", "6", "7", " 3", "03"})
        EXPECT_TRUE(EhClasse82(QString::fromLatin1(classe))) << classe;
    for (const char* classe : {"0", "2", "4", "8", "9", "", "x", "13"})
        EXPECT_FALSE(EhClasse82(QString::fromLatin1(classe))) << classe;
}

} // namespace
