#include "integracao/ArquivoIni.h"

#include "AmbienteTeste.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

QString EscrevePasta(const QByteArray& conteudo)
{
    const QString pasta = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("ini"));
    QDir().mkpath(pasta);
    QFile arquivo(QDir(pasta).filePath("QX.ini"));
    arquivo.open(QIODevice::WriteOnly);
    arquivo.write(conteudo);
    return pasta;
}

struct CasoIni {
    const char* descricao;
    QByteArray conteudo;
    const char* secao;
    const char* chave;
    QString esperado;
    bool existe;
};

class LeituraIni : public ::testing::TestWithParam<CasoIni> {};

TEST_P(LeituraIni, LeValorEPresencaDaChave)
{
    const CasoIni& caso = GetParam();
    const QString pasta = EscrevePasta(caso.conteudo);
    EXPECT_EQ(LerValorIni(pasta, caso.secao, caso.chave, "QX.ini"), caso.esperado) << caso.descricao;
    EXPECT_EQ(ExisteChaveNoIni(pasta, caso.secao, caso.chave, "QX.ini"), caso.existe) << caso.descricao;
}

const QByteArray Longo(3000, 'x');

INSTANTIATE_TEST_SUITE_P(Casos, LeituraIni, ::testing::Values(
    CasoIni{"valor simples", "[Banco1]\r\nBase=srv:/d/erp.fdb\r\n", "Banco1", "Base", "srv:/d/erp.fdb", true},
    CasoIni{"seção e chave sem caixa", "[BANCO1]\nbase=x\n", "banco1", "BASE", "x", true},
    CasoIni{"depois do primeiro igual", "[S]\nK = a=b \n", "S", "K", "a=b", true},
    CasoIni{"brancos e tabulações aparados", "[S]\n\t K \t=\t  v w \t\n", "S", "K", "v w", true},
    CasoIni{"aspas duplas removidas uma vez", "[S]\nK=\"\"v\"\"\n", "S", "K", "\"v\"", true},
    CasoIni{"aspas simples removidas", "[S]\nK=  'v x'  \n", "S", "K", "v x", true},
    CasoIni{"aspas desemparelhadas ficam", "[S]\nK=\"v\n", "S", "K", "\"v", true},
    CasoIni{"valor vazio existe", "[S]\nK=\n", "S", "K", "", true},
    CasoIni{"chave ausente", "[S]\nOutra=1\n", "S", "K", "", false},
    CasoIni{"seção ausente", "[T]\nK=1\n", "S", "K", "", false},
    CasoIni{"chave de outra seção", "[T]\nK=1\n[S]\nJ=2\n", "S", "K", "", false},
    CasoIni{"primeira ocorrência vale", "[S]\nK=1\nK=2\n", "S", "K", "1", true},
    CasoIni{"linha sem igual ignorada", "[S]\nK\nK=3\n", "S", "K", "3", true},
    CasoIni{"seção com brancos", "[ S ]\nK=4\n", "S", "K", "4", true},
    CasoIni{"arquivo em Latin-1", "[S]\nK=Conex\xe3o\n", "S", "K", QStringLiteral("Conexão"), true},
    CasoIni{"senha com euro em Windows-1252", "[Banco1]\nSenha=\x80uro\x93x\x94\n", "Banco1", "Senha",
            QString::fromUtf8("€uro“x”"), true},
    CasoIni{"arquivo em UTF-8 com BOM", "\xef\xbb\xbf[S]\nK=Conex\xc3\xa3o\n", "S", "K", QStringLiteral("Conexão"), true},
    CasoIni{"no máximo 2047 caracteres", "[S]\nK=" + Longo + "\n", "S", "K", QString(2047, 'x'), true}));

TEST(LeituraIni, ArquivoAusenteLeVazio)
{
    const QString pasta = EscrevePasta("[S]\nK=1\n");
    EXPECT_EQ(LerValorIni(pasta, "S", "K", "Outro.ini"), "");
    EXPECT_FALSE(ExisteChaveNoIni(pasta, "S", "K", "Outro.ini"));
}

TEST(LeituraIni, AparaCaracteresDeControle)
{
    EXPECT_EQ(Apara(QString("\x01\t a b \r\n\x1f")), "a b");
    EXPECT_EQ(Apara(QStringLiteral("   ")), "");
}

} // namespace

namespace {

// Keys read for every record come from lines kept between readings; an edit
// of the file counts from the next reading all the same.
TEST(LeituraIniAlterada, EdicaoValeNaLeituraSeguinte)
{
    const QString pasta = EscrevePasta("[Vapora]\nCor=http://a/CorWS?wsdl\n");
    EXPECT_EQ(LerValorIni(pasta, "Vapora", "Cor", "QX.ini"), "http://a/CorWS?wsdl");
    const QString caminho = QDir(pasta).filePath("QX.ini");
    for (const QByteArray& conteudo : {QByteArray("[Vapora]\nCor=http://b/CorWS?wsdl\n"),  // same size
                                      QByteArray("[Vapora]\nCor=http://outro/CorWS?wsdl\n")}) {
        QFile arquivo(caminho);
        ASSERT_TRUE(arquivo.open(QIODevice::WriteOnly | QIODevice::Truncate));
        arquivo.write(conteudo);
        // A later modification time, as an edit made a moment later has.
        arquivo.flush();
        ASSERT_TRUE(arquivo.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
        arquivo.close();
        EXPECT_EQ(LerValorIni(pasta, "Vapora", "Cor", "QX.ini"), conteudo.mid(13).trimmed());
    }
    QFile::remove(caminho);
    EXPECT_EQ(LerValorIni(pasta, "Vapora", "Cor", "QX.ini"), "");
}

} // namespace
