#include "ConteudoTeste.h"
#include "FilaBrumaTeste.h"

#include "base/TextoAscii.h"
#include "integracoes/bruma/NumeroOB.h"
#include "base/Erros.h"

#include <QDate>
#include <QRegularExpression>

namespace {

// Lot 4711: two items (10 and 12 pieces), blue, recipe with a 01:30:00 graph.
const QString ErpLote4711 = QStringLiteral(R"(
INSERT INTO ENTIDADE_001 (CODCLI, NOME) VALUES ('C1', 'Malharia Sol Nascente');
INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('AZUL', '16711680');
INSERT INTO GRAFICO_001 (CODIGO, TEMPO) VALUES ('G1', '01:30:00');
INSERT INTO RECEITA_001 (COR, VARIANTE, GRAFICO) VALUES ('AZUL', 'V1', 'G1');
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('4711', 'AZUL', 'M01', 'C1', 'V1');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4711', 1, 100.5, 10);
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4711', 2, 120.25, 12);
)");

const QString FilaAzul = QStringLiteral(
    "INSERT INTO ENCADEAMENTO (NOME, RECEITA1, RECEITA2, RECEITA3, RECEITA4, RECEITA5) "
    "VALUES ('AZUL', 'PRE-ALVEJ', 'TINGE-AZ', '', '', '');\n");

const QString Concluido4711 = QStringLiteral("Concluído. FAL 4711     enviada para máquina com sucesso para Posição 4.");


QString Texto(const QVariantMap& linha, const char* coluna)
{
    return linha.value(QLatin1String(coluna)).toString();
}

// The moments reach the queue as date-time values; a text column keeps the
// driver's ISO rendering of them, whatever the regional settings.
void EsperaDataHora(const QString& valor)
{
    const QDateTime momento = QDateTime::fromString(valor.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    ASSERT_TRUE(momento.isValid()) << valor.toStdString();
    EXPECT_LE(qAbs(momento.secsTo(QDateTime::currentDateTime())), 120) << valor.toStdString();
}

} // namespace

TEST_F(FilaBrumaTeste, EnviaLoteComLinhaEPosicaoCertas)
{
    // 4712: no colour row, no recipe, on another machine; 4713 has no machine;
    // 4714 was sent before.
    Prepara(ErpLote4711 + R"(
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE) VALUES ('4712', 'CINZA', 'M02', 'C9');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4712', 1, 5, 1);
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, STATUS_QX) VALUES ('4713', 'AZUL', '  ', '');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4713', 1, 5, 1);
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, STATUS_QX) VALUES ('4714', 'AZUL', 'M01', 'E');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4714', 1, 5, 1);
)",
            FilaAzul + "INSERT INTO ENCADEAMENTO (NOME, RECEITA1) VALUES ('CINZA', 'LAVA');\n"
                       "INSERT INTO OB (NUMEROOB, MAQUINA, STATUSTERMINO) VALUES "
                       "('9001    ', 'M01', '0'), ('9002    ', 'M01', '1'), ('9003    ', 'M01', '0');");

    RodaCiclo();

    const QList<QVariantMap> linhas = LinhasOB(QStringLiteral("4711    "));
    ASSERT_EQ(linhas.size(), 1);
    const QVariantMap& ob = linhas.first();
    EXPECT_EQ(Texto(ob, "NUMEROOB"), "4711    ");
    EXPECT_EQ(Texto(ob, "PECAS"), "22");
    EXPECT_EQ(Texto(ob, "MAQUINA"), "M01");
    EXPECT_EQ(Texto(ob, "CLIENTE"), "Malharia Sol Nascente");
    EXPECT_EQ(Texto(ob, "PESO"), "220.75");  // a number, not regional text
    EXPECT_EQ(Texto(ob, "ENCADEAMENTO"), "AZUL");
    EXPECT_EQ(Texto(ob, "COR"), "AZUL");
    EXPECT_EQ(ob.value("RGB").toLongLong(), 16711680);
    EXPECT_EQ(Texto(ob, "STATUSTERMINO"), "0");
    EXPECT_EQ(ob.value("POSICAO").toInt(), 4);
    EsperaDataHora(Texto(ob, "DATAPROG"));
    EsperaDataHora(Texto(ob, "DATAINICIO"));
    EsperaDataHora(Texto(ob, "DATAFIM"));
    EXPECT_EQ(ob.value("TOTALRECEITAS").toInt(), 2);
    EXPECT_EQ(Texto(ob, "RECEITA01"), "PRE-ALVEJ");
    EXPECT_EQ(Texto(ob, "RECEITA02"), "TINGE-AZ");
    for (const char* vazia : {"RECEITA03", "RECEITA04", "RECEITA05"}) {
        EXPECT_FALSE(ob.value(vazia).isNull()) << vazia;
        EXPECT_EQ(Texto(ob, vazia), "") << vazia;
    }
    EXPECT_EQ(ob.value("TEMPOTOTAL").toInt(), 0);
    EXPECT_EQ(ob.value("TEMPOPROG").toInt(), 90);
    EXPECT_EQ(StatusQx("4711"), "E");

    // Without a colour row or a graph: RGB 0, TEMPOPROG 0, no message.
    const QList<QVariantMap> semReceita = LinhasOB(QStringLiteral("4712    "));
    ASSERT_EQ(semReceita.size(), 1);
    EXPECT_EQ(semReceita.first().value("RGB").toInt(), 0);
    EXPECT_EQ(semReceita.first().value("TEMPOPROG").toInt(), 0);
    EXPECT_EQ(Texto(semReceita.first(), "CLIENTE"), "");
    EXPECT_EQ(semReceita.first().value("POSICAO").toInt(), 1);
    EXPECT_EQ(StatusQx("4712"), "E");

    // No machine: skipped silently, still pending.
    EXPECT_TRUE(LinhasOB(QStringLiteral("4713    ")).isEmpty());
    EXPECT_EQ(StatusQx("4713"), "");
    EXPECT_TRUE(LinhasOB(QStringLiteral("4714    ")).isEmpty());

    EXPECT_EQ(TotalLinhasOB(), 5);
    EXPECT_TRUE(FRelator.Linhas.contains(Concluido4711));
    EXPECT_TRUE(FRelator.Linhas.contains(
        QStringLiteral("Concluído. FAL 4712     enviada para máquina com sucesso para Posição 1.")));
    EXPECT_EQ(FRelator.Linhas.size(), 2);
    EXPECT_TRUE(FRelator.Mensagens.isEmpty());
}

TEST_F(FilaBrumaTeste, ReenviaLoteQueAindaEspera)
{
    // The lot's own waiting row is one of the 3 rows of its machine.
    Prepara(ErpLote4711, FilaAzul + "INSERT INTO OB (NUMEROOB, MAQUINA, STATUSTERMINO, PECAS, POSICAO) VALUES "
                                    "('4711    ', 'M01', '0', '7', 1), ('9002    ', 'M01', '1', '1', 2), "
                                    "('9003    ', 'M01', '0', '1', 3);");

    RodaCiclo();

    const QList<QVariantMap> linhas = LinhasOB(QStringLiteral("4711    "));
    ASSERT_EQ(linhas.size(), 1);
    EXPECT_EQ(Texto(linhas.first(), "PECAS"), "22");
    EXPECT_EQ(linhas.first().value("POSICAO").toInt(), 4);
    EXPECT_EQ(TotalLinhasOB(), 3);
    EXPECT_EQ(StatusQx("4711"), "E");
    EXPECT_EQ(FRelator.Linhas, QStringList{Concluido4711});
}

TEST_F(FilaBrumaTeste, PulaLoteQueAMaquinaJaAssumiu)
{
    Prepara(ErpLote4711, FilaAzul + "INSERT INTO OB (NUMEROOB, MAQUINA, STATUSTERMINO, PECAS) "
                                    "VALUES ('4711    ', 'M01', '2', '7');");

    RodaCiclo();

    const QList<QVariantMap> linhas = LinhasOB(QStringLiteral("4711    "));
    ASSERT_EQ(linhas.size(), 1);
    EXPECT_EQ(Texto(linhas.first(), "PECAS"), "7");
    EXPECT_EQ(StatusQx("4711"), "<NULL>");
    EXPECT_EQ(FRelator.Linhas, QStringList{"FAL 4711     já assumida pela máquina; não foi reenviada."});
}

TEST_F(FilaBrumaTeste, CorSemEncadeamentoRegistraLinhaEContinua)
{
    Prepara(ErpLote4711 + R"(
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA) VALUES ('815', 'VERDE', 'M02');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('815', 1, 5, 1);
)",
            FilaAzul);

    RodaCiclo();

    EXPECT_TRUE(FRelator.Linhas.contains(
        QStringLiteral("Erro. Programa não cadastrado na máquina para Cor VERDE na FAL 815     ")));
    EXPECT_TRUE(LinhasOB(QStringLiteral("815     ")).isEmpty());
    EXPECT_EQ(StatusQx("815"), "<NULL>");
    // The pass went on with the other lot.
    EXPECT_EQ(StatusQx("4711"), "E");
    EXPECT_TRUE(FRelator.Linhas.contains(
        QStringLiteral("Concluído. FAL 4711     enviada para máquina com sucesso para Posição 1.")));
}

TEST_F(FilaBrumaTeste, TextosComAspasChegamIntactos)
{
    const QString cor = QStringLiteral("X';DELETE FROM OB--");
    const QString nome = QStringLiteral("O'Brien ''Tecidos'' d'Água; DROP TABLE OB; -- ') OR ('1'='1 fim");
    ASSERT_GT(nome.size(), 50);
    const QString receita = QStringLiteral("R'1');DROP TABLE OB;--");
    auto literal = [](const QString& texto) { return LiteralSql(texto); };
    Prepara(QStringLiteral("INSERT INTO ENTIDADE_001 (CODCLI, NOME) VALUES ('C1', %1);\n"
                           "INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE) VALUES ('O''1', %2, 'M''1', 'C1');\n"
                           "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('O''1', 1, 5, 1);\n")
                .arg(literal(nome), literal(cor)),
            QStringLiteral("INSERT INTO OB (NUMEROOB, MAQUINA, STATUSTERMINO) VALUES ('9001    ', 'M01', '0');\n"
                           "INSERT INTO ENCADEAMENTO (NOME, RECEITA1) VALUES (%1, %2);")
                .arg(literal(cor), literal(receita)));

    RodaCiclo();

    const QList<QVariantMap> linhas = LinhasOB(QStringLiteral("O'1     "));
    ASSERT_EQ(linhas.size(), 1);
    EXPECT_EQ(Texto(linhas.first(), "CLIENTE"), nome.left(50));
    EXPECT_EQ(Texto(linhas.first(), "COR"), cor);
    EXPECT_EQ(Texto(linhas.first(), "ENCADEAMENTO"), cor);
    EXPECT_EQ(Texto(linhas.first(), "MAQUINA"), "M'1");
    EXPECT_EQ(Texto(linhas.first(), "RECEITA01"), receita);
    EXPECT_EQ(linhas.first().value("POSICAO").toInt(), 1);
    EXPECT_EQ(TotalLinhasOB(), 2);
    EXPECT_EQ(StatusQx("O'1"), "E");
    EXPECT_EQ(FRelator.Linhas,
              QStringList{"Concluído. FAL O'1      enviada para máquina com sucesso para Posição 1."});
}

// The cycle first proves the queue table answers, without reading its rows:
// a queue whose table OB is missing ends the cycle before any lot is
// touched, on both kinds of queue.
class FilaSemTabelaTeste : public FilaBrumaTeste, public ::testing::WithParamInterface<TFilaBruma> {};

TEST_P(FilaSemTabelaTeste, CicloTerminaAntesDoPrimeiroLote)
{
    if (GetParam() == TFilaBruma::Sqlite)
        UsaSqlite();
    Prepara(ErpLote4711, FilaAzul + "ALTER TABLE OB RENAME TO OB_ANTIGA;");

    try {
        RodaCiclo();
        FAIL() << "the cycle went on without the queue table";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Erro KoQuery.Open: "))) << e.Message().toStdString();
    }
    EXPECT_TRUE(FRelator.Linhas.isEmpty()) << FRelator.Linhas.join('\n').toStdString();
    EXPECT_EQ(StatusQx("4711"), "<NULL>");
}

INSTANTIATE_TEST_SUITE_P(Bruma, FilaSemTabelaTeste, ::testing::Values(TFilaBruma::Postgres, TFilaBruma::Sqlite),
                         [](const auto& caso) { return std::string(caso.param == TFilaBruma::Sqlite ? "Sqlite" : "Postgres"); });

// A lot whose sending fails part-way: both sides are rolled back, the lot
// stays pending with its old waiting row, its failure and the cause are
// logged, and the pass goes on with the next lot.
struct FalhaDeEnvio {
    const char* nome;
    QString sqlErp;
    QString sqlFila;
    int falhas;          // lots failed in the pass
    const char* status4800;  // the lot after the failing one
};

class FalhaDeEnvioTeste : public FilaBrumaTeste, public ::testing::WithParamInterface<FalhaDeEnvio> {};

TEST_P(FalhaDeEnvioTeste, DesfazOsDoisLadosESegueComOProximoLote)
{
    // Lot 4700 comes after 4711 in the pass and has a colour of its own.
    Prepara(ErpLote4711 + GetParam().sqlErp + R"(
INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('VERDE', '65280');
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA) VALUES ('4800', 'VERDE', 'M02');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4800', 1, 5, 1);
)",
            FilaAzul + "INSERT INTO OB (NUMEROOB, MAQUINA, STATUSTERMINO, PECAS) VALUES ('4711    ', 'M01', '0', '7');\n"
                       "INSERT INTO ENCADEAMENTO (NOME, RECEITA1) VALUES ('VERDE', 'LAVA');\n"
                + GetParam().sqlFila);

    EXPECT_NO_THROW(RodaCiclo());

    ASSERT_GE(FRelator.Linhas.size(), 2);
    const qsizetype falha = FRelator.Linhas.indexOf("Erro. Execução de envio mal sucedida na FAL 4711    ");
    ASSERT_GE(falha, 0) << FRelator.Linhas.join('\n').toStdString();
    EXPECT_TRUE(FRelator.Linhas.value(falha + 1).startsWith("Erro: ")) << FRelator.Linhas.join('\n').toStdString();
    EXPECT_EQ(FContexto.FalhasNoCiclo, GetParam().falhas);
    const QList<QVariantMap> linhas = LinhasOB(QStringLiteral("4711    "));
    ASSERT_EQ(linhas.size(), 1);
    EXPECT_EQ(Texto(linhas.first(), "PECAS"), "7");
    EXPECT_EQ(StatusQx("4711"), "<NULL>");
    EXPECT_EQ(StatusQx("4800"), GetParam().status4800);
}

INSTANTIATE_TEST_SUITE_P(
    Bruma, FalhaDeEnvioTeste,
    ::testing::Values(
        FalhaDeEnvio{"InsercaoComValorLongoDemais", {}, "ALTER TABLE OB ALTER COLUMN PESO TYPE VARCHAR(3);", 1, "E"},
        FalhaDeEnvio{"ColunaRemovida", {}, "ALTER TABLE OB DROP COLUMN TEMPOPROG;", 2, "<NULL>"},
        FalhaDeEnvio{"CorSisNaoNumerico", "UPDATE CADCORTIN_001 SET COR_SIS = '1; DROP TABLE OB';", {}, 1, "E"},
        FalhaDeEnvio{"MarcacaoRecusadaNoErp",
                     "ALTER TABLE FAL_001 ADD CONSTRAINT SEM_ENVIO CHECK (STATUS_QX IS NULL OR STATUS_QX <> 'E');",
                     {}, 2, "<NULL>"}),
    [](const auto& caso) { return std::string(caso.param.nome); });

// Values reach the queue as they are in the ERP, whatever the dialect
// translation does to statement text (it rewrites DESCENDING even inside
// quotes), whatever the regional settings, and a cut name never splits a
// character. On both kinds of queue.
class DadosIntactosTeste : public FilaBrumaTeste, public ::testing::WithParamInterface<TFilaBruma> {};

TEST_P(DadosIntactosTeste, ValoresChegamComoEstaoNoErp)
{
    if (GetParam() == TFilaBruma::Sqlite)
        UsaSqlite();
    const QString emoji = QString::fromUtf8("\xF0\x9F\xA7\xB5");
    const QString longo = QString(49, u'x') + emoji + QStringLiteral("resto");
    Prepara(QStringLiteral(R"(
INSERT INTO ENTIDADE_001 (CODCLI, NOME) VALUES ('C1', 'CONDESCENDING TEXTILES');
INSERT INTO ENTIDADE_001 (CODCLI, NOME) VALUES ('C2', '%1');
INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('AZUL', '255');
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE) VALUES ('12/31/2024', 'AZUL', 'M01', 'C1');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('12/31/2024', 1, 1234.5, 3);
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE) VALUES ('4712', 'AZUL', 'M01', 'C2');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4712', 1, 0.125, 1);
)").arg(longo),
            FilaAzul);

    RodaCiclo();

    EXPECT_EQ(FContexto.FalhasNoCiclo, 0) << FRelator.Linhas.join('\n').toStdString();
    const QList<QVariantMap> primeiro = LinhasOB(QStringLiteral("12/31/2024"));
    ASSERT_EQ(primeiro.size(), 1);
    EXPECT_EQ(Texto(primeiro.first(), "CLIENTE"), "CONDESCENDING TEXTILES");
    EXPECT_EQ(Texto(primeiro.first(), "PESO"), "1234.5");
    EsperaDataHora(Texto(primeiro.first(), "DATAPROG"));
    EXPECT_EQ(StatusQx("12/31/2024"), "E");
    const QList<QVariantMap> segundo = LinhasOB(QStringLiteral("4712    "));
    ASSERT_EQ(segundo.size(), 1);
    EXPECT_EQ(Texto(segundo.first(), "CLIENTE"), QString(49, u'x') + emoji);
    EXPECT_EQ(Texto(segundo.first(), "PESO"), "0.125");
    EXPECT_EQ(StatusQx("4712"), "E");
}

INSTANTIATE_TEST_SUITE_P(Bruma, DadosIntactosTeste, ::testing::Values(TFilaBruma::Postgres, TFilaBruma::Sqlite),
                         [](const auto& caso) {
                             return std::string(caso.param == TFilaBruma::Sqlite ? "Sqlite" : "Postgres");
                         });

// With the date columns of the machine side typed as timestamps, a date
// written as regional text would be read month-first (or refused): the
// moment arrives as the moment.
TEST_F(FilaBrumaTeste, DataTipadaNaFilaRecebeOMomentoCerto)
{
    Prepara(ErpLote4711, FilaAzul + "ALTER TABLE OB ALTER COLUMN DATAPROG TYPE TIMESTAMP USING NULL;\n"
                                    "ALTER TABLE OB ALTER COLUMN PESO TYPE NUMERIC(15,3) USING NULL;");
    RodaCiclo();
    const QList<QVariantMap> linhas = LinhasOB(QStringLiteral("4711    "));
    ASSERT_EQ(linhas.size(), 1) << FRelator.Linhas.join('\n').toStdString();
    EXPECT_LE(qAbs(linhas.first().value("DATAPROG").toDateTime().secsTo(QDateTime::currentDateTime())), 120);
    EXPECT_DOUBLE_EQ(linhas.first().value("PESO").toDouble(), 220.75);
}

// The record of a lot keeps the OB row as the machine side got it: each
// column the content names holds, in the committed row read back through
// another connection, the value the content gives. A lot with nothing sent
// keeps no content.
TEST_F(FilaBrumaTeste, RegistroGuardaALinhaOBComoAMaquinaARecebeu)
{
    Prepara(ErpLote4711 + R"(
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE) VALUES ('4712', 'CINZA', 'M02', 'C9');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4712', 1, 5, 1);
)",
            FilaAzul);

    RodaCiclo();

    ASSERT_EQ(FRelator.Tratados.size(), 2);
    const TRegistroTratado& enviado = FRelator.Tratados[0];
    ASSERT_EQ(enviado.Chave, "4711");
    ASSERT_EQ(enviado.Desfecho, TDesfechoRegistro::Enviado);
    EXPECT_EQ(FRelator.Tratados[1].Chave, "4712");
    EXPECT_EQ(FRelator.Tratados[1].Conteudo, "");

    const QMap<QString, QString> valores = ValoresDoConteudo(enviado.Conteudo);
    const QList<QVariantMap> linhas = LinhasOB(QStringLiteral("4711    "));
    ASSERT_EQ(linhas.size(), 1);
    const QVariantMap& ob = linhas.first();
    EXPECT_EQ(valores.size(), 21) << enviado.Conteudo.toStdString();
    for (auto valor = valores.cbegin(); valor != valores.cend(); ++valor) {
        SCOPED_TRACE(valor.key().toStdString());
        ASSERT_TRUE(ob.contains(valor.key()));
        const QVariant gravado = ob.value(valor.key());
        const QString texto = gravado.isNull() ? QStringLiteral("<NULL>") : gravado.toString();
        // A moment as bound, ISO; the queue's text column keeps the
        // driver's rendering of it, to the second at least.
        if (valor.key().startsWith(QLatin1String("DATA"))) {
            EXPECT_EQ(QString(valor.value()).replace(u'T', u' ').left(19), QString(texto).replace(u'T', u' ').left(19));
            continue;
        }
        EXPECT_EQ(valor.value(), texto);
    }
    EXPECT_EQ(valores.value("NUMEROOB"), "4711    ");
    EXPECT_EQ(valores.value("PESO"), "220.75");
}
