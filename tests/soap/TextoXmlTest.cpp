#include "ArvoreXml.h"

#include "soap/EnvelopeSoap.h"
#include "soap/TextoXml.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

// The text a parser reads back from a request carrying `texto`.
QString IdaEVolta(const QString& texto, TEstiloSoap estilo)
{
    TChamadaSoap chamada;
    chamada.Operacao = QStringLiteral("save");
    chamada.Estilo = estilo;
    chamada.Parametros = {ElementoSoap("nome", texto)};
    const QByteArray xml = MontaEnvelopeSoap(chamada, QStringLiteral("urn:teste"));
    return OperacaoDoEnvelope(QString::fromUtf8(xml)).Filho(QStringLiteral("nome")).Texto;
}

struct CasoTexto {
    const char* nome;
    QString texto;
};

class TextoHostil : public ::testing::TestWithParam<CasoTexto> {};

TEST_P(TextoHostil, ChegaIntactoNosDoisEstilos)
{
    for (TEstiloSoap estilo : {TEstiloSoap::RpcCodificado, TEstiloSoap::DocumentoLiteral})
        EXPECT_EQ(IdaEVolta(GetParam().texto, estilo), GetParam().texto) << GetParam().nome;
}

INSTANTIATE_TEST_SUITE_P(Casos, TextoHostil, ::testing::Values(
    CasoTexto{"metacaracteres", QStringLiteral("a<b>&c;\"d\"'e'")},
    CasoTexto{"entidade pronta", QStringLiteral("&amp; &#65; &lt;")},
    CasoTexto{"fim de CDATA", QStringLiteral("x]]>y <![CDATA[z]]>")},
    CasoTexto{"fim de linha", QStringLiteral("linha 1\r\nlinha 2\rlinha 3\n\ttab")},
    CasoTexto{"latin-1", QStringLiteral("Ação Têxtil ÇÃO ñ ü")},
    CasoTexto{"fora do latin-1", QString::fromUtf8("日本語 Ελληνικά кириллица")},
    CasoTexto{"emoji", QString::fromUtf8("fio 🧵 cor 🎨")},
    CasoTexto{"espacos nas pontas", QStringLiteral("  meio  ")},
    CasoTexto{"vazio", QString()}),
    [](const auto& caso) {
        std::string nome = caso.param.nome;
        for (char& c : nome)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return nome;
    });

// Characters XML 1.0 cannot carry become U+FFFD; the message stays well-formed.
TEST(TextoXml, CaracteresProibidosViramSubstituto)
{
    QString texto = QStringLiteral("a");
    texto += QChar(0x01);
    texto += QChar(0x1A);
    texto += QChar(0xD800); // lone surrogate
    texto += QStringLiteral("b");
    texto += QChar(0xFFFF);
    texto += QChar(0x00);
    const QString fffd(QChar(0xFFFD));
    EXPECT_EQ(IdaEVolta(texto, TEstiloSoap::DocumentoLiteral), QStringLiteral("a") + fffd + fffd + fffd
                                                                   + QStringLiteral("b") + fffd + fffd);
}

struct CasoReal {
    double valor;
    const char* texto;
};

class RealEmXsd : public ::testing::TestWithParam<CasoReal> {};

TEST_P(RealEmXsd, TemPontoDecimalEVoltaIgual)
{
    const double valor = GetParam().valor;
    const QString texto = RealXsd(valor);
    if (GetParam().texto) {
        EXPECT_EQ(texto, QLatin1String(GetParam().texto));
    }
    if (!std::isfinite(valor))
        return;
    EXPECT_TRUE(texto.contains(QLatin1Char('.'))) << texto.toStdString();
    EXPECT_FALSE(texto.contains(QLatin1Char(','))) << texto.toStdString();
    const double lido = std::strtod(texto.toLatin1().constData(), nullptr);
    EXPECT_EQ(std::memcmp(&lido, &valor, sizeof valor), 0) << texto.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Casos, RealEmXsd, ::testing::Values(
    CasoReal{5, "5.0"},
    CasoReal{0.1, "0.1"},
    CasoReal{-12.75, "-12.75"},
    CasoReal{1e20, "1.0E20"},
    CasoReal{-2.5e-7, "-2.5E-7"},
    CasoReal{-0.0, "-0.0"},
    CasoReal{1.0 / 3.0, nullptr},
    CasoReal{123456789.123, nullptr},
    CasoReal{0.1 + 0.2, nullptr},
    CasoReal{DBL_MAX, nullptr},
    CasoReal{DBL_TRUE_MIN, nullptr},
    CasoReal{std::numeric_limits<double>::quiet_NaN(), "NaN"},
    CasoReal{std::numeric_limits<double>::infinity(), "INF"},
    CasoReal{-std::numeric_limits<double>::infinity(), "-INF"}));

} // namespace
