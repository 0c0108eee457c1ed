// The text helpers every layer shares.
#include "base/Apara.h"
#include "base/Caracteres.h"
#include "base/TextoAscii.h"

#include <gtest/gtest.h>

TEST(TextoAscii, LiteralSqlDobraAsAspas)
{
    const std::pair<QString, QString> casos[] = {
        {"", "''"}, {"AZUL", "'AZUL'"}, {"O'Brien", "'O''Brien'"}, {"''", "''''''"},
        {"x'); DROP TABLE OB; --", "'x''); DROP TABLE OB; --'"},
    };
    for (const auto& [texto, literal] : casos)
        EXPECT_EQ(LiteralSql(texto), literal) << texto.toStdString();
}

TEST(TextoAscii, MaiusculasSoDasLetrasAscii)
{
    EXPECT_EQ(MaiusculasAscii(u"ação select Ñ"), QString::fromUtf8("AçãO SELECT Ñ"));
}

TEST(Apara, SoCaracteresDeControleEBrancos)
{
    EXPECT_EQ(Apara(QStringLiteral(" \t\r\n\x01M01 \x1f")), "M01");
    EXPECT_EQ(Apara(QStringLiteral("   ")), "");
    EXPECT_EQ(Apara(QString(QChar(0xA0)) + "M"), QString(QChar(0xA0)) + "M");
}

TEST(Caracteres, CortaEntreCaracteresNuncaNoMeioDeUm)
{
    const QString emoji = QString::fromUtf8("\xF0\x9F\xA7\xB5");  // two UTF-16 units
    const struct {
        QString texto;
        qsizetype quantos;
        QString esperado;
    } casos[] = {
        {"Malharia", 4, "Malh"},
        {"Malharia", 50, "Malharia"},
        {"ab" + emoji + "cd", 3, "ab" + emoji},
        {"ab" + emoji + "cd", 2, "ab"},
        {QString(49, u'x') + emoji, 50, QString(49, u'x') + emoji},
        {"", 3, ""},
    };
    for (const auto& caso : casos) {
        const QString cortado = PrimeirosCaracteres(caso.texto, caso.quantos);
        EXPECT_EQ(cortado, caso.esperado) << caso.texto.toStdString();
        EXPECT_FALSE(!cortado.isEmpty() && cortado.back().isHighSurrogate());
    }
}
