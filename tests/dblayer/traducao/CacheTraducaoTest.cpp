// The translation cache of a query.

#include <gtest/gtest.h>

#include "base/Erros.h"
#include "dblayer/traducao/ConverteSQL.h"

namespace {

// Counts the translations through the dictionary lookups they make: every
// translation of these statements on Oracle expands one star.
struct Dicionario {
    int consultas = 0;
    ListaColunasFn Fn()
    {
        return [this](const QString&) {
            ++consultas;
            return QStringList{QStringLiteral("A"), QStringLiteral("B")};
        };
    }
};

const QString kOra = QStringLiteral("Ora");
const QString kComEstrela = QStringLiteral("SELECT DISTINCT T.* FROM TAB T WHERE N = 'abc'\r\n");

TEST(CacheTraducao, MesmoTextoDuasVezesTraduzUmaVez)
{
    Dicionario dicionario;
    TCacheTraducao cache;
    const QString primeira = ConverteSQL(kComEstrela, kOra, cache, dicionario.Fn());
    const QString segunda = ConverteSQL(kComEstrela, kOra, cache, dicionario.Fn());
    EXPECT_EQ(primeira, QStringLiteral("SELECT DISTINCT T.A, T.B  FROM TAB T WHERE N = 'abc'\r\n"));
    EXPECT_EQ(segunda, primeira);
    EXPECT_EQ(dicionario.consultas, 1);
    EXPECT_EQ(cache.FSQLOriginal, kComEstrela);
    EXPECT_EQ(cache.FSQLAnterior, primeira);
}

TEST(CacheTraducao, OutraCaixaNumLiteralEOutroComando)
{
    Dicionario dicionario;
    TCacheTraducao cache;
    ConverteSQL(kComEstrela, kOra, cache, dicionario.Fn());
    QString outro = kComEstrela;
    outro.replace(QStringLiteral("'abc'"), QStringLiteral("'ABC'"));
    EXPECT_EQ(ConverteSQL(outro, kOra, cache, dicionario.Fn()),
              QStringLiteral("SELECT DISTINCT T.A, T.B  FROM TAB T WHERE N = 'ABC'\r\n"));
    EXPECT_EQ(dicionario.consultas, 2);
}

TEST(CacheTraducao, TextoJaTraduzidoNaoETraduzidoDeNovo)
{
    // Translated twice, the Oracle date 05/01/2024 would read as May 1st
    // and be swapped back.
    TCacheTraducao cache;
    const QString fonte = QStringLiteral("SELECT A FROM T WHERE D = '01/05/2024'\r\n");
    const QString traduzido = ConverteSQL(fonte, kOra, cache, {});
    ASSERT_EQ(traduzido, QStringLiteral("SELECT A FROM T WHERE D = '05/01/2024'\r\n"));
    EXPECT_EQ(ConverteSQL(traduzido, kOra, cache, {}), traduzido);
    EXPECT_EQ(ConverteSQL(fonte, kOra, cache, {}), traduzido);
}

TEST(CacheTraducao, FalhaNaoEnvenenaOCache)
{
    Dicionario dicionario;
    TCacheTraducao cache;
    const QString bom = ConverteSQL(kComEstrela, kOra, cache, dicionario.Fn());
    const QString ruim = QStringLiteral("SELECT HORA[A, talvez] FROM T\r\n");
    EXPECT_THROW(ConverteSQL(ruim, kOra, cache, dicionario.Fn()), EConvertError);
    EXPECT_THROW(ConverteSQL(ruim, kOra, cache, dicionario.Fn()), EConvertError);
    EXPECT_EQ(ConverteSQL(kComEstrela, kOra, cache, dicionario.Fn()), bom);
    EXPECT_EQ(dicionario.consultas, 1);
}

TEST(CacheTraducao, ErroDoDicionarioPropagaENaoEnvenena)
{
    TCacheTraducao cache;
    const ListaColunasFn falha = [](const QString&) -> QStringList {
        throw EDatabaseError(QStringLiteral("Erro KoQuery.Open: sem conexão"));
    };
    EXPECT_THROW(ConverteSQL(kComEstrela, kOra, cache, falha), EDatabaseError);
    Dicionario dicionario;
    ConverteSQL(kComEstrela, kOra, cache, dicionario.Fn());
    EXPECT_EQ(dicionario.consultas, 1);
}

TEST(CacheTraducao, OutroDriverTraduzDeNovo)
{
    TCacheTraducao cache;
    const QString fonte = QStringLiteral("SELECT A FROM T WHERE D = '12/31/2024'\r\n");
    EXPECT_EQ(ConverteSQL(fonte, kOra, cache, {}), QStringLiteral("SELECT A FROM T WHERE D = '31/12/2024'\r\n"));
    EXPECT_EQ(ConverteSQL(fonte, QStringLiteral("PG"), cache, {}),
              QStringLiteral("SELECT A FROM T WHERE D = '2024-12-31'\r\n"));
}

} // namespace
