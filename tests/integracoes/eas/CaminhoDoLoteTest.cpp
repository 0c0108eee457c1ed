// The road of one lot, on each kind of host database: pending and held back
// by its gating phase, started and finished by the kitchen, then released
// and exported with its items and its phase message.
#include "EasTeste.h"

#include "dblayer/Localidade.h"

#include <QDate>

namespace {

const QString ErpLote = QStringLiteral(R"(
INSERT INTO FASE_001 (CODIGO, GRUPO, ATUALIZAR, PROCESSO_EAS, MENSAGEM_EAS) VALUES ('01', '01', 'S', '35', 'Tingimento concluído');
INSERT INTO FASE_001 (CODIGO, GRUPO, ATUALIZAR) VALUES ('02', '01', 'N');
INSERT INTO ROTEIRO_001 (CODIGO, FASE, DESCRICAO) VALUES ('R1', '01', 'Reativo');
INSERT INTO ROTEIRO_001 (CODIGO, FASE, DESCRICAO) VALUES ('R1', '02', 'Reativo');
INSERT INTO FAL_001 (NUMERO, ROTEIRO, COR, TIPO, OBS) VALUES ('4711', 'R1', 'AZ01', '1', 'Cuidado: ''urgente'' | 東京 ✓');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO) VALUES ('4711', 1, 'ART1', 12.5);
INSERT INTO PROCESSO_TIN_001 (FAL, FASE, CONCLUIDO) VALUES ('4711', '01', 'N');
INSERT INTO PROCESSO_TIN_001 (FAL, FASE, CONCLUIDO) VALUES ('4711', '02', 'N');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (1, 'A', '00:00:00', '23:59:59');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (2, 'A', '00:00:00', '23:59:59');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (3, 'A', '00:00:00', '23:59:59');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (4, 'A', '00:00:00', '23:59:59');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (5, 'A', '00:00:00', '23:59:59');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (6, 'A', '00:00:00', '23:59:59');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (7, 'A', '00:00:00', '23:59:59');
)");

} // namespace

TEST_P(EasEmCadaHost, CaminhoDeUmLote)
{
    Prepara(ErpLote, GetParam());
    const QString hoje = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));

    RodaCiclo();
    EXPECT_TRUE(FRelator.Linhas.isEmpty()) << FRelator.Linhas.join('\n').toStdString();

    const QString inicio = PostaEvento("80", QString::fromUtf8("0004711|K|x|Máq'1|%1|0800|").arg(hoje));
    RodaCiclo();
    EXPECT_EQ(Leido(inicio), "T");
    EXPECT_EQ(LinhasErp("SELECT FASE, CONCLUIDO, PENDENTE, MAQUINA FROM PROCESSO_TIN_001 ORDER BY FASE"),
              (QList<QStringList>{{"01", "N", "S", QString::fromUtf8("Máq'1")}, {"02", "N", "<NULL>", "<NULL>"}}));
    EXPECT_TRUE(LinhasHost("SELECT * FROM " + Tabela("FFROMHOST")).isEmpty());

    QString fim = QStringLiteral("0004711|K||Máq'1|%1|0800|%1|0945|").arg(hoje);
    fim += QStringLiteral("|||||||||OPER0042||105|");
    const QString termino = PostaEvento("81", fim);
    const QDateTime antes = QDateTime::currentDateTime().addSecs(-1);
    RodaCiclo();
    const QDateTime depois = QDateTime::currentDateTime().addSecs(1);

    EXPECT_EQ(Leido(termino), "T");
    EXPECT_EQ(LinhasErp("SELECT FASE, CONCLUIDO, PENDENTE, TURNO, TEMPO, FUNCIONARIO FROM PROCESSO_TIN_001 ORDER BY FASE"),
              (QList<QStringList>{{"01", "S", "N", "A", "01:45:00", "0042"}, {"02", "S", "N", "A", "01:45:00", "0042"}}));
    const QStringList lote = Registros("30");
    ASSERT_EQ(lote.size(), 1);
    EXPECT_EQ(lote[0].section(u'|', 18, 19), QString::fromUtf8("Cuidado: 'urgente' | 東京 ✓"));
    EXPECT_EQ(Registros("32"), QStringList{"4711|1|ART1|1250||||||"});
    EXPECT_EQ(Registros("35"), QStringList{QString::fromUtf8("4711|Tingimento concluído|")});
    EXPECT_EQ(LinhasErp("SELECT STATUS_EAS30, STATUS_EAS35 FROM FAL_001"), (QList<QStringList>{{"N", "N"}}));
    // Stamped with the moment it was sent, whatever the regional settings.
    const QList<QDateTime> momentos = Momentos();
    ASSERT_EQ(momentos.size(), 3);
    for (const QDateTime& momento : momentos)
        EXPECT_TRUE(momento >= antes && momento <= depois)
            << momento.toString(Qt::ISODate).toStdString() << " fora de " << antes.toString(Qt::ISODate).toStdString();
    EXPECT_TRUE(FRelator.Mensagens.isEmpty());
    EXPECT_EQ(FContexto.FalhasNoCiclo, 0);
}

INSTANTIATE_TEST_SUITE_P(Hosts, EasEmCadaHost,
                         ::testing::Values(THostTeste::FirebirdLocal, THostTeste::FirebirdServidor, THostTeste::Postgres),
                         [](const ::testing::TestParamInfo<THostTeste>& caso) { return NomeHost(caso.param); });

// Run by the regional entry of the suite only (day-first dates with "." and
// a decimal comma): proves that entry really runs under such settings.
TEST(ExecucaoRegional, DataComDiaPrimeiroEPontoEDecimalComVirgula)
{
    EXPECT_EQ(Localidade::Data(QDate(2024, 3, 19)), "19.03.24");
    EXPECT_EQ(Localidade::SeparadorDecimal(), u',');
}
