// EnviaParaEas on real databases: the ERP on embedded Firebird, the host
// tables on an embedded Firebird file.
#include "EasTeste.h"

#include "dblayer/Localidade.h"
#include "integracoes/eas/EnvioEas.h"

#include <QDateTime>
#include <QRegularExpression>

namespace {

// Master data of every exported kind, a lot on a route without gating
// phase with two items, and two concluded phases with EAS messages (one
// blank). Values carry quotes, "|" and text beyond Latin-1.
const QString ErpCompleto = QStringLiteral(R"(
INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('CO', 'S');
INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('AX', 'N');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, REPOSICAO) VALUES ('M001', 'Corante D''Água | 東京 ✓ reativo de alta fixação', 'CO', 10.5);
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, REPOSICAO) VALUES ('M002', 'Sal', 'AX', 3);
INSERT INTO MAT_TIN_001 (CODIGO, UNIDADE) VALUES ('M001', '%');
INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0001', '1');
INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0002', '2');
INSERT INTO MAT_MOV_001 (CODIGO, QTDE, DEPOSITO, OPERACAO, CODCRE, NUM_DOCTO) VALUES ('M001', 5.25, '0001', 'E', 'C1', 'D1');
INSERT INTO MAT_MOV_001 (CODIGO, QTDE, DEPOSITO, OPERACAO, CODCRE, NUM_DOCTO) VALUES ('M001', 7, '0002', 'E', 'C1', 'D2');
INSERT INTO MAT_MOV_001 (CODIGO, QTDE, DEPOSITO, OPERACAO, CODCRE, NUM_DOCTO) VALUES ('M001', 1, '0001', 'S', 'C1', 'D3');
INSERT INTO FAMILIA_001 (CODIGO, DESCRICAO) VALUES ('F1', 'Malhas');
INSERT INTO PRODUTO_001 (CODIGO, DESCRICAO, FAMILIA, COMP1, COMP2) VALUES ('ART1', 'Meia malha penteada 30/1 de algodão egípcio, tingida em peça, com acabamento amaciado e compactado', 'F1', 'CO', 'PES');
INSERT INTO PRODUTO_001 (CODIGO, DESCRICAO, FAMILIA, COMP1, COMP2) VALUES ('ART2', 'Piquet', 'F9', '', NULL);
INSERT INTO ENTIDADE_001 (CODCLI, NOME, ATIVO, TIPO_ENTIDADE) VALUES ('10', 'Malharia D''Ávila | Filial São Paulo e Região Metropolitana', 'S', 'C');
INSERT INTO ENTIDADE_001 (CODCLI, NOME, ATIVO, TIPO_ENTIDADE) VALUES ('11', 'Inativa', 'N', 'C');
INSERT INTO ENTIDADE_001 (CODCLI, NOME, ATIVO, TIPO_ENTIDADE) VALUES ('12', 'Fornecedor', 'S', 'F');
INSERT INTO CADCORTIN_001 (CODIGO, DESCRICAO, COR_SIS) VALUES ('AZ01', ' Azul royal ', '16711680');
INSERT INTO ROTEIRO_001 (CODIGO, FASE, DESCRICAO) VALUES ('R1', '05', 'Tingimento reativo');
INSERT INTO FASE_001 (CODIGO, GRUPO, ATUALIZAR, PROCESSO_EAS, MENSAGEM_EAS) VALUES ('05', '01', 'N', '35', 'Pesagem');
INSERT INTO FASE_001 (CODIGO, GRUPO, ATUALIZAR, PROCESSO_EAS, MENSAGEM_EAS) VALUES ('06', '01', 'N', '36', '  ');
INSERT INTO FAL_001 (NUMERO, ROTEIRO, COR, TIPO, MAQUINA, CLIENTE, PARTIDA, OBS, ESTAMPA, FIBRA1, FIBRA2)
  VALUES ('4711', 'R1', 'AZ01', '2', 'M1', '10', 'P4711', ' Lote urgente ', 'E1', 60.5, 39.5);
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO, LOTE, NOTA, GRAMATURA, LARGURA, FLUXO)
  VALUES ('4711', 1, 'ART1', 12.345, 10, 'L1', 'NF1', 180, 1.6, 'R1');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO, LOTE, NOTA, GRAMATURA, LARGURA, FLUXO)
  VALUES ('4711', 2, 'ART1', 10, 12, 'L1', 'NF1', 200.5, 1.75, 'R1');
INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, CONCLUIDO) VALUES ('4711', 1, '05', 'S');
INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, CONCLUIDO) VALUES ('4711', 1, '06', 'S');
)");

// Fields whose value is the moment of the export, as the server writes it.
const QString DataAgora = QStringLiteral("<yyyymmdd agora>");
const QString HoraAgora = QStringLiteral("<hhmm agora>");
const QString DataDaquiA10h = QStringLiteral("<yyyymmdd +10h>");
const QString HoraDaquiA10h = QStringLiteral("<hhmm +10h>");

bool Perto(const QString& campo, const QString& esperado, const QDateTime& antes, const QDateTime& depois)
{
    const bool data = esperado == DataAgora || esperado == DataDaquiA10h;
    const int horas = esperado == DataDaquiA10h || esperado == HoraDaquiA10h ? 10 : 0;
    const QString formato = data ? QStringLiteral("yyyyMMdd") : QStringLiteral("HHmm");
    return campo == antes.addSecs(horas * 3600).toString(formato)
        || campo == depois.addSecs(horas * 3600).toString(formato);
}

// Compares a record with its expected fields, one by one: each field ends
// with "|", except a record whose last expected field is marked open.
void ComparaCampos(const QString& registro, QStringList esperados, const QDateTime& antes,
                   const QDateTime& depois)
{
    const QStringList campos = registro.split(u'|');
    esperados << QString();  // after the last "|"
    ASSERT_EQ(campos.size(), esperados.size()) << registro.toStdString();
    for (qsizetype i = 0; i < campos.size(); ++i) {
        if (esperados[i].startsWith(u'<'))
            EXPECT_TRUE(Perto(campos[i], esperados[i], antes, depois))
                << "campo " << i + 1 << ": " << campos[i].toStdString() << " " << esperados[i].toStdString();
        else
            EXPECT_EQ(campos[i], esperados[i]) << "campo " << i + 1 << " de " << registro.toStdString();
    }
}

QString Decimal(const char* inteiro, const char* fracao)
{
    return QLatin1String(inteiro) + Localidade::SeparadorDecimal() + QLatin1String(fracao);
}

struct CasoLayout {
    const char* tipo;
    QList<QStringList> registros;  // the fields of each record, in order
};

} // namespace

TEST_F(EasTeste, CadaLayoutCampoACampo)
{
    Prepara(ErpCompleto);
    const QDateTime antes = QDateTime::currentDateTime();
    FEas->EnviaParaEas();
    const QDateTime depois = QDateTime::currentDateTime();

    const QString descricaoM001 = QString::fromUtf8("Corante D'Água | 東京 ✓ reativo");
    const QList<CasoLayout> casos{
        {"33", {{"M001", descricaoM001.section(u'|', 0, 0), descricaoM001.section(u'|', 1), Decimal("10", "5")}}},
        {"34", {{"M001", descricaoM001.section(u'|', 0, 0), descricaoM001.section(u'|', 1), "525", "3", "000000", "C1", "D1"}}},
        {"40",
         {{"ART1", QString::fromUtf8("Meia malha penteada 30/1 de algodão egípcio, tingida em peça, com acabamento ama"),
           "F1", "Malhas", "CO", "PES"},
          {"ART2", "Piquet", "F9", "", "", ""}}},
        {"42", {{"10", QString::fromUtf8("Malharia D'Ávila "), QString::fromUtf8(" Filial São Paulo")}}},
        {"41", {{"AZ01", "Azul royal", "16711680", "01"}}},
        {"30",
         {{"4711", "R1", "AZ01", "2", "2234", "M1", DataAgora, HoraAgora, DataDaquiA10h, HoraDaquiA10h, "", "10",
           "ART1", "AZ01", "P4711", "R1", "Tingimento reativo", "L1", "Lote urgenteE1", "NF1", "60", "39", "", "20",
           "1"}}},
        {"32",
         {{"4711", "1", "ART1", "1234", "", "10", "18000", "160", "Tingimento reativo"},
          {"4711", "2", "ART1", "1000", "", "12", "20050", "175", "Tingimento reativo"}}},
        {"35", {{"4711", "Pesagem"}}},
    };
    for (const CasoLayout& caso : casos) {
        SCOPED_TRACE(caso.tipo);
        const QStringList registros = Registros(QLatin1String(caso.tipo));
        ASSERT_EQ(registros.size(), caso.registros.size());
        for (qsizetype i = 0; i < registros.size(); ++i)
            ComparaCampos(registros[i], caso.registros[i], antes, depois);
    }
    // A blank phase message is sent as it is, with no separator after it.
    EXPECT_EQ(Registros(QStringLiteral("36")), QStringList{QStringLiteral("4711|  ")});

    // Every row as the kitchen reads it: operation X, unread, stamped now.
    const QList<QStringList> linhas = LinhasHost(QStringLiteral("SELECT IDOPERACION, LEIDO, FECHA FROM FFROMHOST"));
    EXPECT_EQ(linhas.size(), 11);
    for (const QStringList& linha : linhas) {
        EXPECT_EQ(linha.value(0), "X");
        EXPECT_EQ(linha.value(1), "F");
    }

    EXPECT_EQ(LinhasErp("SELECT CODIGO, STATUS_EAS33 FROM MATERIAL_001 ORDER BY CODIGO"),
              (QList<QStringList>{{"M001", "N"}, {"M002", "<NULL>"}}));
    EXPECT_EQ(LinhasErp("SELECT NUM_DOCTO, STATUS_EAS34 FROM MAT_MOV_001 ORDER BY NUM_DOCTO"),
              (QList<QStringList>{{"D1", "N"}, {"D2", "<NULL>"}, {"D3", "<NULL>"}}));
    EXPECT_EQ(LinhasErp("SELECT CODCLI, STATUS_EAS42 FROM ENTIDADE_001 ORDER BY CODCLI"),
              (QList<QStringList>{{"10", "N"}, {"11", "<NULL>"}, {"12", "<NULL>"}}));
    EXPECT_EQ(LinhasErp("SELECT STATUS_EAS30, STATUS_EAS35, STATUS_EAS36 FROM FAL_001"),
              (QList<QStringList>{{"N", "N", "N"}}));
    EXPECT_EQ(ValorErp("SELECT COUNT(*) FROM PRODUTO_001 WHERE STATUS_EAS40 = 'N'"), "2");
    EXPECT_EQ(ValorErp("SELECT STATUS_EAS41 FROM CADCORTIN_001"), "N");

    EXPECT_TRUE(FRelator.Linhas.contains(QStringLiteral("Sucesso na alteração do ERP (33) - Materiais")));
    EXPECT_TRUE(FRelator.Linhas.contains(QStringLiteral("Sucesso na alteração do ERP (35) - Pesagem")));
    EXPECT_TRUE(FRelator.Linhas.contains(QStringLiteral("Sucesso no envio para EAS (41) - AZ01|Azul royal|16711680|01|")));
    EXPECT_TRUE(FRelator.Mensagens.isEmpty());
    EXPECT_EQ(FContexto.FalhasNoCiclo, 0);

    // Nothing is pending any more: the next cycle sends nothing.
    FRelator.Limpa();
    FEas->EnviaParaEas();
    EXPECT_TRUE(FRelator.Linhas.isEmpty()) << FRelator.Linhas.join('\n').toStdString();
}
