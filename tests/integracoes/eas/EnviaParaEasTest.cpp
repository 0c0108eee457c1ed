// EnviaParaEas on real databases: the ERP on embedded Firebird, the host
// tables on an embedded Firebird file.
#include "ConteudoTeste.h"
#include "EasTeste.h"

#include "dblayer/Localidade.h"
#include "integracoes/eas/EnvioEas.h"
#include "dblayer/traducao/ConverteSQL.h"

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

TEST_F(EasTeste, ObservacaoCortadaPara254ComOsCamposSeguintes)
{
    const QString obs = QString(300, u'o');
    Prepara(QStringLiteral("INSERT INTO FAL_001 (NUMERO, TIPO, OBS, ESTAMPA) VALUES ('4711', '1', '%1', 'E1');").arg(obs));
    FEas->EnviaParaEas();

    const QStringList registros = Registros(QStringLiteral("30"));
    ASSERT_EQ(registros.size(), 1);
    const QString& registro = registros.first();
    // 18 fields before it, the observation up to the 254th character, then
    // ESTAMPA in the same field, and six fields more.
    const qsizetype inicioObs = registro.section(u'|', 0, 17).size() + 1;
    EXPECT_EQ(registro.mid(inicioObs, 254 - inicioObs), QString(254 - inicioObs, u'o'));
    EXPECT_EQ(registro.mid(254, 3), "E1|");
    EXPECT_EQ(registro.mid(257), "||||20|1|");
    EXPECT_GT(registro.size(), 254);
}

TEST_F(EasTeste, LoteComFasesDeLiberacaoEsperaUmaDelasConcluir)
{
    Prepara(QStringLiteral(R"(
INSERT INTO FASE_001 (CODIGO, GRUPO, ATUALIZAR) VALUES ('01', '01', 'S');
INSERT INTO FASE_001 (CODIGO, GRUPO, ATUALIZAR) VALUES ('02', '01', 'S');
INSERT INTO ROTEIRO_001 (CODIGO, FASE) VALUES ('R1', '01');
INSERT INTO ROTEIRO_001 (CODIGO, FASE) VALUES ('R1', '02');
INSERT INTO FAL_001 (NUMERO, ROTEIRO, TIPO) VALUES ('4711', 'R1', '1');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO) VALUES ('4711', 1, 'ART1');
INSERT INTO PROCESSO_TIN_001 (FAL, FASE, CONCLUIDO) VALUES ('4711', '01', 'N');
INSERT INTO PROCESSO_TIN_001 (FAL, FASE, CONCLUIDO) VALUES ('4711', '02', NULL);
INSERT INTO FAL_001 (NUMERO, ROTEIRO, TIPO) VALUES ('4712', 'R9', '1');
)"));
    FEas->EnviaParaEas();
    // 4712's route has no gating phase: it goes at once.
    EXPECT_EQ(Registros(QStringLiteral("30")).size(), 1);
    EXPECT_TRUE(Registros(QStringLiteral("30")).value(0).startsWith("4712|"));
    EXPECT_EQ(ValorErp("SELECT COALESCE(STATUS_EAS30, '-') FROM FAL_001 WHERE NUMERO = '4711'"), "-");

    ExecutaNoErp(QStringLiteral("UPDATE PROCESSO_TIN_001 SET CONCLUIDO = 'S' WHERE FASE = '02'"));
    FEas->EnviaParaEas();
    const QStringList lotes = Registros(QStringLiteral("30"));
    ASSERT_EQ(lotes.size(), 2);
    EXPECT_TRUE(lotes[1].startsWith("4711|"));
    EXPECT_EQ(Registros(QStringLiteral("32")), QStringList{QStringLiteral("4711|1|ART1|||||||")});
    EXPECT_EQ(ValorErp("SELECT STATUS_EAS30 FROM FAL_001 WHERE NUMERO = '4711'"), "N");
    EXPECT_TRUE(FRelator.Linhas.contains(QStringLiteral("Sucesso na alteração do ERP (30) - FAL")));
}

// The host refuses one record: every row is tried, each one sent is marked
// at once, and the next cycles send the refused one alone (never the others
// again), until it goes.
// A lot whose gating query fails is held (neither released nor sent); a
// lot one of whose items the host refuses is undone on the host and stays
// pending. Both are counted, and go once the fault is gone.
TEST_F(EasTeste, LoteRetidoOuDesfeitoQuandoLiberacaoOuItemFalham)
{
    Prepara(QStringLiteral(R"(
INSERT INTO FAL_001 (NUMERO, ROTEIRO, TIPO) VALUES ('4711', 'R1', '1');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO) VALUES ('4711', 1, 'ART1');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO) VALUES ('4711', 2, 'ART2');
)"));
    const struct {
        const char* nome;
        QString falha;
        QString conserto;
        const char* linha;
    } casos[] = {
        {"liberação", "ALTER TABLE FASE_001 DROP ATUALIZAR", "ALTER TABLE FASE_001 ADD ATUALIZAR VARCHAR(1)",
         "Falha ao consultar os processos da FAL. Erro: "},
        {"item", "ALTER TABLE FFROMHOST ADD CONSTRAINT SEM_ART2 CHECK (DATOS NOT LIKE '%ART2%')",
         "ALTER TABLE FFROMHOST DROP CONSTRAINT SEM_ART2", "Envio da FAL 4711 desfeito no EAS"},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        FRelator.Linhas.clear();
        FContexto.FalhasNoCiclo = 0;
        if (QLatin1String(caso.nome) == QLatin1String("item"))
            ExecutaNoHost(caso.falha);
        else
            ExecutaNoErp(caso.falha);

        FEas->EnviaParaEas();

        EXPECT_TRUE(Registros(QStringLiteral("30")).isEmpty());
        EXPECT_TRUE(Registros(QStringLiteral("32")).isEmpty());
        EXPECT_EQ(ValorErp("SELECT COALESCE(STATUS_EAS30, '-') FROM FAL_001"), "-");
        EXPECT_EQ(FRelator.Linhas.filter(QString::fromUtf8(caso.linha)).size(), 1)
            << FRelator.Linhas.join('\n').toStdString();
        EXPECT_EQ(FContexto.FalhasNoCiclo, 1);

        if (QLatin1String(caso.nome) == QLatin1String("item"))
            ExecutaNoHost(caso.conserto);
        else
            ExecutaNoErp(caso.conserto);
    }
    FEas->EnviaParaEas();
    EXPECT_EQ(Registros(QStringLiteral("30")).size(), 1);
    EXPECT_EQ(Registros(QStringLiteral("32")).size(), 2);
    EXPECT_EQ(ValorErp("SELECT STATUS_EAS30 FROM FAL_001"), "N");
}

TEST_F(EasTeste, EnvioQueFalhaDeixaPendenteSoORegistroRecusado)
{
    Prepara(QStringLiteral(R"(
INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('CO', 'S');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO) VALUES ('M001', 'Um', 'CO');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO) VALUES ('M002', 'Dois', 'CO');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO) VALUES ('M003', 'Tres', 'CO');
)"));
    ExecutaNoHost(QStringLiteral("ALTER TABLE FFROMHOST ADD CONSTRAINT SEM_M002 CHECK (DATOS NOT LIKE 'M002|%')"));

    FEas->EnviaParaEas();

    EXPECT_EQ(Registros(QStringLiteral("33")), (QStringList{"M001|Um||", "M003|Tres||"}));
    EXPECT_TRUE(FRelator.Linhas.contains(QStringLiteral("Sucesso no envio para EAS (33) - M001|Um||")));
    EXPECT_TRUE(FRelator.Linhas.contains(QStringLiteral("Sucesso no envio para EAS (33) - M003|Tres||")));
    const QStringList falhas = FRelator.Linhas.filter(QStringLiteral("Falha no envio para EAS (33) - M002|Dois||. Erro: "));
    EXPECT_EQ(falhas.size(), 1) << FRelator.Linhas.join('\n').toStdString();
    EXPECT_TRUE(FRelator.Linhas.contains(QStringLiteral("Sucesso na alteração do ERP (33) - Materiais")));
    EXPECT_EQ(FRelator.Linhas.size(), 4);
    EXPECT_EQ(LinhasErp("SELECT CODIGO, COALESCE(STATUS_EAS33, '-') FROM MATERIAL_001 ORDER BY CODIGO"),
              (QList<QStringList>{{"M001", "N"}, {"M002", "-"}, {"M003", "N"}}));
    EXPECT_EQ(FContexto.FalhasNoCiclo, 1);

    FEas->EnviaParaEas();
    FEas->EnviaParaEas();
    EXPECT_EQ(Registros(QStringLiteral("33")), (QStringList{"M001|Um||", "M003|Tres||"}));
    EXPECT_EQ(FContexto.FalhasNoCiclo, 3);

    ExecutaNoHost(QStringLiteral("ALTER TABLE FFROMHOST DROP CONSTRAINT SEM_M002"));
    FEas->EnviaParaEas();
    EXPECT_EQ(Registros(QStringLiteral("33")), (QStringList{"M001|Um||", "M003|Tres||", "M002|Dois||"}));
    EXPECT_EQ(ValorErp("SELECT COUNT(*) FROM MATERIAL_001 WHERE STATUS_EAS33 = 'N'"), "3");
}

// A relator that commits a change in the ERP when a given line is logged:
// the ERP changing while the export runs.
class TRelatorQueMudaOErp : public TRelatorGravador {
public:
    std::function<void()> AoEnviar;
    void AdicionaLinha(const QString& linha) override
    {
        TRelatorGravador::AdicionaLinha(linha);
        if (AoEnviar && linha.startsWith(QStringLiteral("Sucesso no envio para EAS (33)"))) {
            AoEnviar();
            AoEnviar = nullptr;
        }
    }
};

TEST_F(EasTeste, SoAsLinhasEnviadasSaoMarcadas)
{
    Prepara(QStringLiteral(R"(
INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('CO', 'S');
INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('AX', 'N');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO) VALUES ('M001', 'Um', 'CO');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO) VALUES ('M002', 'Fora da cozinha', 'AX');
)"));
    TRelatorQueMudaOErp relator;
    relator.AoEnviar = [this] {
        ExecutaNoErp(QStringLiteral("INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO) VALUES ('M003', 'Novo', 'CO')"));
    };
    TContextoIntegracao contexto{FErp, relator, FConfiguracao};
    TDadosEas& dados = FEas->Dados();
    TEas eas(contexto);
    eas.Dados().KoDatabase2.SetDriverName(dados.KoDatabase2.DriverName());
    eas.Dados().KoDatabase2.SetDatabaseName(dados.KoDatabase2.DatabaseName());
    eas.Dados().KoDatabase2.User = dados.KoDatabase2.User;
    eas.Dados().KoDatabase2.Open();

    eas.EnviaParaEas();

    // M002 was never selected; M003 became pending after the query.
    EXPECT_EQ(LinhasErp("SELECT CODIGO, COALESCE(STATUS_EAS33, '-') FROM MATERIAL_001 ORDER BY CODIGO"),
              (QList<QStringList>{{"M001", "N"}, {"M002", "-"}, {"M003", "-"}}));
    EXPECT_TRUE(relator.Linhas.contains(QStringLiteral("Sucesso na alteração do ERP (33) - Materiais")));

    eas.EnviaParaEas();
    EXPECT_EQ(Registros(QStringLiteral("33")), (QStringList{"M001|Um||", "M003|Novo||"}));
    EXPECT_EQ(ValorErp("SELECT STATUS_EAS33 FROM MATERIAL_001 WHERE CODIGO = 'M003'"), "N");
    eas.Encerra();
}

TEST_F(EasTeste, MarcacaoQueFalhaAvisaEDeixaPendente)
{
    Prepara(QStringLiteral(R"(
INSERT INTO ENTIDADE_001 (CODCLI, NOME, ATIVO, TIPO_ENTIDADE) VALUES ('10', 'Um', 'S', 'C');
INSERT INTO ENTIDADE_001 (CODCLI, NOME, ATIVO, TIPO_ENTIDADE) VALUES ('11', 'Dois', 'S', 'CF');
ALTER TABLE ENTIDADE_001 ADD CONSTRAINT SEM_11 CHECK (CODCLI <> '11' OR STATUS_EAS42 IS NULL);
INSERT INTO FAL_001 (NUMERO, TIPO) VALUES ('47''11', '1');
ALTER TABLE FAL_001 ADD CONSTRAINT SEM_4711 CHECK (STATUS_EAS30 IS NULL);
)"));
    FEas->EnviaParaEas();

    EXPECT_EQ(Registros(QStringLiteral("42")).size(), 2);
    // Each row is marked right after its send: the first stays marked, the
    // one whose marking failed stays pending.
    EXPECT_EQ(LinhasErp("SELECT CODCLI, COALESCE(STATUS_EAS42, '-') FROM ENTIDADE_001 ORDER BY CODCLI"),
              (QList<QStringList>{{"10", "N"}, {"11", "-"}}));
    const QStringList clientes = FRelator.Linhas.filter(QStringLiteral("Falha na alteração do ERP (42) - Clientes. Erro: "));
    EXPECT_EQ(clientes.size(), 1) << FRelator.Linhas.join('\n').toStdString();
    ASSERT_EQ(FRelator.Mensagens.size(), 2);
    EXPECT_TRUE(FRelator.Mensagens[0].startsWith(QStringLiteral("Falha na alteração do ERP (42) Erro: ")));
    EXPECT_TRUE(FRelator.Mensagens[1].startsWith(QStringLiteral("Falha na alteração do ERP (30) FAL: 47'11 Erro: ")));
    EXPECT_EQ(ValorErp("SELECT COALESCE(STATUS_EAS30, '-') FROM FAL_001"), "-");
    EXPECT_EQ(FContexto.FalhasNoCiclo, 2);
}

TEST_F(EasTeste, SemBancoDoHostNadaEEnviadoNemMarcado)
{
    Prepara(QStringLiteral(R"(
INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('CO', 'S');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO) VALUES ('M001', 'Um', 'CO');
INSERT INTO FAL_001 (NUMERO, TIPO) VALUES ('4711', '1');
)"));
    FEas->Dados().KoDatabase2.Close();
    RodaCiclo();
    // Each pass that could not run is said and counted, once.
    EXPECT_EQ(FRelator.Linhas,
              (QStringList{QString::fromUtf8("Recebimento do EAS não executado: KoDatabase2 (banco do EAS) não está conectado."),
                           QString::fromUtf8("Envio para o EAS não executado: KoDatabase2 (banco do EAS) não está conectado.")}));
    EXPECT_GE(FContexto.FalhasNoCiclo, 1);
    EXPECT_EQ(ValorErp("SELECT COALESCE(STATUS_EAS33, '-') FROM MATERIAL_001"), "-");
    EXPECT_EQ(ValorErp("SELECT COALESCE(STATUS_EAS30, '-') FROM FAL_001"), "-");
}

TEST_F(EasTeste, SemEstoqueOsMovimentosNaoSaoLidos)
{
    Prepara(QStringLiteral(R"(
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO) VALUES ('M001', 'Um');
INSERT INTO MAT_TIN_001 (CODIGO, UNIDADE) VALUES ('M001', 'KG');
INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0001', '1');
INSERT INTO MAT_MOV_001 (CODIGO, QTDE, DEPOSITO, OPERACAO, CODCRE, NUM_DOCTO) VALUES ('M001', 5, '0001', 'E', NULL, 'D1');
)"));
    FEas->Dados().bGravaEstoque = false;
    FEas->EnviaParaEas();
    EXPECT_TRUE(Registros(QStringLiteral("34")).isEmpty());
    EXPECT_EQ(ValorErp("SELECT COALESCE(STATUS_EAS34, '-') FROM MAT_MOV_001"), "-");

    // With it, a movement without supplier is sent and marked all the same.
    FEas->Dados().bGravaEstoque = true;
    FEas->EnviaParaEas();
    EXPECT_EQ(Registros(QStringLiteral("34")), QStringList{QStringLiteral("M001|Um|500|1|000000||D1|")});
    EXPECT_EQ(ValorErp("SELECT STATUS_EAS34 FROM MAT_MOV_001"), "N");
}

// PROCESSO_EAS of phase 05 carries the blanks a CHAR column pads it with.
TEST_F(EasTeste, MensagensDeFaseComProcessoInvalidoOuConsultaQueFalha)
{
    Prepara(QStringLiteral(R"(
INSERT INTO FASE_001 (CODIGO, PROCESSO_EAS, MENSAGEM_EAS) VALUES ('03', '35'' OR ''1', 'Injeção');
INSERT INTO FASE_001 (CODIGO, PROCESSO_EAS, MENSAGEM_EAS) VALUES ('05', '35  ', 'Pesagem');
INSERT INTO FAL_001 (NUMERO, TIPO, STATUS_EAS30) VALUES ('4711', '1', 'N');
INSERT INTO FAL_001 (NUMERO, TIPO, STATUS_EAS30) VALUES ('4712', '1', 'N');
INSERT INTO PROCESSO_TIN_001 (FAL, FASE, CONCLUIDO) VALUES ('4711', '05', 'S');
INSERT INTO PROCESSO_TIN_001 (FAL, FASE, CONCLUIDO) VALUES ('4712', '05', 'N');
INSERT INTO PROCESSO_TIN_001 (FAL, FASE, CONCLUIDO) VALUES ('4711', '03', 'S');
)"));
    FEas->EnviaParaEas();
    EXPECT_TRUE(FRelator.Linhas.contains(QStringLiteral("Falha na fase 03. Erro: PROCESSO_EAS inválido: 35' OR '1")));
    EXPECT_EQ(Registros(QStringLiteral("35")), QStringList{QStringLiteral("4711|Pesagem|")});
    EXPECT_EQ(LinhasErp("SELECT NUMERO, COALESCE(STATUS_EAS35, '-') FROM FAL_001 ORDER BY NUMERO"),
              (QList<QStringList>{{"4711", "N"}, {"4712", "-"}}));

    // A phase whose flag column does not exist ends the step: the phases
    // after it wait for the next cycle.
    ExecutaNoErp(QStringLiteral("UPDATE FASE_001 SET PROCESSO_EAS = '99' WHERE CODIGO = '03'"));
    ExecutaNoErp(QStringLiteral("UPDATE PROCESSO_TIN_001 SET CONCLUIDO = 'S' WHERE FAL = '4712'"));
    FRelator.Limpa();
    FEas->EnviaParaEas();
    EXPECT_EQ(FRelator.Linhas.filter(QStringLiteral("Falha ao consultar os apontamentos da fase. Erro: ")).size(), 1)
        << FRelator.Linhas.join('\n').toStdString();
    EXPECT_EQ(Registros(QStringLiteral("35")).size(), 1);
}

// The stock movements' marking condition, as each server receives it: on
// Oracle the comparison with '' becomes IS NULL, so an empty value still
// finds a movement whose column is NULL (there '' is NULL), and no COALESCE
// to '' is left to compare unequal.
TEST(MarcacaoEstoque, CondicaoVazioIgualEmCadaDialeto)
{
    const QString texto = QStringLiteral("UPDATE MAT_MOV_001 SET\r\nSTATUS_EAS34 = 'N'\r\nWHERE (STATUS_EAS34 IS NULL)\r\n")
                        + CondicaoVazioIgual(QStringLiteral("CODCRE")) + QStringLiteral("\r\n");
    const QString comum = QStringLiteral("AND ((CODCRE = :CODCRE) OR (:CODCRE_VAZIO = 1 AND (CODCRE IS NULL OR CODCRE = '')))");
    const struct {
        const char* driver;
        QString condicao;
    } casos[] = {
        {"FB", comum},
        {"PG", comum},
        {"MSSQL", comum},
        {"Ora", QStringLiteral("AND ((CODCRE = :CODCRE) OR (:CODCRE_VAZIO = 1 AND (CODCRE IS NULL OR CODCRE  IS NULL )))")},
    };
    for (const auto& caso : casos) {
        const QString traduzido = TraduzSQL(texto, QLatin1String(caso.driver), {});
        EXPECT_TRUE(traduzido.contains(caso.condicao + QStringLiteral("\r\n"))) << caso.driver << ": " << traduzido.toStdString();
        EXPECT_FALSE(traduzido.contains(QLatin1String("COALESCE"))) << caso.driver;
        EXPECT_FALSE(traduzido.contains(QLatin1String("NVL"))) << caso.driver;
    }
}

// Without the host connection (closed, or never made because the monitor
// was started for another machine type) the export says why once and
// counts one failure, not one per record; nothing is sent or marked.
TEST_F(EasTeste, SemOBancoDoHostOEnvioDizUmaVezPorque)
{
    Prepara(QStringLiteral(R"(
INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('CO', 'S');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO) VALUES ('M001', 'Um', 'CO');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO) VALUES ('M002', 'Dois', 'CO');
)"));
    struct TCaso {
        const char* nome;
        std::function<std::unique_ptr<TEas>()> eas;
        const char* linha;
    };
    const TCaso casos[] = {
        {"fechado",
         [this] {
             FEas->Dados().KoDatabase2.Close();
             return std::move(FEas);
         },
         "Envio para o EAS não executado: KoDatabase2 (banco do EAS) não está conectado."},
        {"nunca conectado", [this] { return std::make_unique<TEas>(FContexto); },
         "Envio para o EAS não executado: KoDatabase2 (banco do EAS) não foi conectado no início (o monitor "
         "conecta o EAS com Modelo=2 em [ModeloAtivo] e [Banco3] no QX.ini)."},
    };
    for (const TCaso& caso : casos) {
        SCOPED_TRACE(caso.nome);
        FRelator.Linhas.clear();
        FContexto.FalhasNoCiclo = 0;
        const std::unique_ptr<TEas> eas = caso.eas();
        eas->EnviaParaEas();
        EXPECT_EQ(FRelator.Linhas, QStringList{QString::fromUtf8(caso.linha)});
        EXPECT_EQ(FContexto.FalhasNoCiclo, 1);
        EXPECT_TRUE(Registros(QStringLiteral("33")).isEmpty());
        EXPECT_EQ(ValorErp("SELECT COUNT(*) FROM MATERIAL_001 WHERE STATUS_EAS33 IS NULL"), "2");
    }
}

// Two lines of one invoice for one material and supplier: two stock
// movements with the one key by which they are marked. They reach the host
// in one commit and are marked together: when the kitchen refuses the
// second, neither is sent nor marked; once it takes them, both arrive once.
TEST_P(EasEmCadaHost, DuasLinhasDeUmaNotaVaoJuntasOuFicamPendentes)
{
    Prepara(QStringLiteral(R"(
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO) VALUES ('M001', 'Um');
INSERT INTO MAT_TIN_001 (CODIGO, UNIDADE) VALUES ('M001', 'KG');
INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0001', '1');
INSERT INTO MAT_MOV_001 (CODIGO, QTDE, DEPOSITO, OPERACAO, CODCRE, NUM_DOCTO) VALUES ('M001', 5, '0001', 'E', 'F1', 'NF9');
INSERT INTO MAT_MOV_001 (CODIGO, QTDE, DEPOSITO, OPERACAO, CODCRE, NUM_DOCTO) VALUES ('M001', 7, '0001', 'E', 'F1', 'NF9');
INSERT INTO MAT_MOV_001 (CODIGO, QTDE, DEPOSITO, OPERACAO, CODCRE, NUM_DOCTO) VALUES ('M001', 2, '0001', 'E', 'F1', 'NF8');
)"),
            GetParam());
    const QString ffromhost = Tabela(QStringLiteral("FFROMHOST"));
    ExecutaNoHost(QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT SEM_700 CHECK (DATOS NOT LIKE '%|700|%')").arg(ffromhost));

    FEas->EnviaParaEas();

    EXPECT_EQ(Registros(QStringLiteral("34")), QStringList{QStringLiteral("M001|Um|200|1|000000|F1|NF8|")});
    EXPECT_EQ(LinhasErp("SELECT QTDE, COALESCE(STATUS_EAS34, '-') FROM MAT_MOV_001 ORDER BY QTDE"),
              (QList<QStringList>{{"2", "N"}, {"5", "-"}, {"7", "-"}}));
    EXPECT_TRUE(FRelator.Linhas.contains(
        QStringLiteral("Envio de 2 registros (34) de mesma chave desfeito no EAS; ficam pendentes para o próximo ciclo.")))
        << FRelator.Linhas.join('\n').toStdString();
    EXPECT_EQ(FContexto.FalhasNoCiclo, 1);

    ExecutaNoHost(QStringLiteral("ALTER TABLE %1 DROP CONSTRAINT SEM_700").arg(ffromhost));
    FEas->EnviaParaEas();
    FEas->EnviaParaEas();
    EXPECT_EQ(Registros(QStringLiteral("34")),
              (QStringList{QStringLiteral("M001|Um|200|1|000000|F1|NF8|"), QStringLiteral("M001|Um|500|1|000000|F1|NF9|"),
                           QStringLiteral("M001|Um|700|1|000000|F1|NF9|")}));
    EXPECT_EQ(ValorErp("SELECT COUNT(*) FROM MAT_MOV_001 WHERE STATUS_EAS34 = 'N'"), "3");
}

// Each record keeps the host rows as the host has them: the FFROMHOST rows
// its send inserted (a lot with its items), column by column, in the order
// they were inserted; a kitchen event the FTOHOST row it was read from.
TEST_F(EasTeste, RegistrosGuardamAsLinhasDoHostComoEleAsTem)
{
    Prepara(ErpCompleto);
    const QString nrecno = PostaEvento(QStringLiteral("95"), QStringLiteral("M1|"));
    RodaCiclo();

    QStringList blocos;
    const TRegistroTratado* recebido = nullptr;
    for (const TRegistroTratado& registro : FRelator.Tratados) {
        SCOPED_TRACE((registro.Tipo + u' ' + registro.Chave).toStdString());
        EXPECT_FALSE(registro.Conteudo.isEmpty());
        if (registro.Direcao == TDirecaoRegistro::Entrada)
            recebido = &registro;
        else
            blocos += registro.Conteudo.split(QStringLiteral("\n\n"));
    }
    const QList<QStringList> linhas = LinhasHost(
        QStringLiteral("SELECT IDTIPO, IDOPERACION, DATOS, CAST(FECHA AS VARCHAR(30)), LEIDO FROM %1 ORDER BY NRECNO")
            .arg(Tabela(QStringLiteral("FFROMHOST"))));
    ASSERT_GT(linhas.size(), 5);
    ASSERT_EQ(blocos.size(), linhas.size());
    for (qsizetype i = 0; i < linhas.size(); ++i) {
        SCOPED_TRACE(blocos[i].toStdString());
        const QMap<QString, QString> valores = ValoresDoConteudo(blocos[i]);
        EXPECT_EQ(valores.size(), 5);
        EXPECT_EQ(valores.value("IDTIPO"), linhas[i][0]);
        EXPECT_EQ(valores.value("IDOPERACION"), linhas[i][1]);
        EXPECT_EQ(valores.value("DATOS"), linhas[i][2]);
        EXPECT_EQ(valores.value("FECHA").replace(u'T', u' ').left(19), linhas[i][3].left(19));
        EXPECT_EQ(valores.value("LEIDO"), linhas[i][4]);
    }

    ASSERT_NE(recebido, nullptr);
    EXPECT_EQ(recebido->Chave, nrecno);
    const QList<QStringList> evento = LinhasHost(
        QStringLiteral("SELECT NRECNO, IDTIPO, IDOPERACION, DATOS FROM %1 WHERE NRECNO = %2")
            .arg(Tabela(QStringLiteral("FTOHOST")), nrecno));
    ASSERT_EQ(evento.size(), 1);
    const QMap<QString, QString> valores = ValoresDoConteudo(recebido->Conteudo);
    EXPECT_EQ(valores.value("NRECNO"), evento[0][0]) << recebido->Conteudo.toStdString();
    EXPECT_EQ(valores.value("IDTIPO"), evento[0][1]);
    EXPECT_EQ(valores.value("IDOPERACION"), evento[0][2]);
    EXPECT_EQ(valores.value("DATOS"), evento[0][3]);
}
