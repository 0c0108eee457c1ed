// Every statement of the catalogue runs, exactly as the system builds it,
// against fresh Firebird databases made from the schema scripts: ERP
// statements on the ERP schema, EAS statements on the host tables, Bruma
// statements on the machine-queue tables. Each runs in a transaction that is
// rolled back, over a few sample rows, so that a missing column, a wrong
// type or a failing expression shows up with the statement's id.

#include "BancoTeste.h"
#include "ComandosSistema.h"

#include "base/ListaLinhas.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <QMap>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>

namespace {

// Enough rows for every select to evaluate its expressions on real values:
// a lot with two items on a gated route, a concluded phase, a night shift.
const char* const kAmostrasErp = R"(
INSERT INTO FAL_001 (NUMERO, ROTEIRO, COR, TIPO, MAQUINA, CLIENTE, PARTIDA, VARIANTE, OBS, ESTAMPA, FIBRA1, FIBRA2)
  VALUES ('4711', 'R1', 'AZ01', '2', 'M1', '10', 'P4711', 'V1', ' Lote urgente ', 'E1', 60.5, 39.5);
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO, LOTE, NOTA, GRAMATURA, LARGURA, FLUXO)
  VALUES ('4711', 1, 'ART1', 12.345, 10, 'L1', 'NF1', 180, 1.6, 'R1');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO, LOTE, NOTA, GRAMATURA, LARGURA, FLUXO)
  VALUES ('4711', 2, 'ART1', 10, 12, 'L1', 'NF1', 180, 1.6, 'R1');
INSERT INTO ROTEIRO_001 (CODIGO, FASE, DESCRICAO) VALUES ('R1', '05', 'Tingimento reativo');
INSERT INTO FASE_001 (CODIGO, GRUPO, ATUALIZAR, PROCESSO_EAS, MENSAGEM_EAS) VALUES ('01', '01', 'N', NULL, NULL);
INSERT INTO FASE_001 (CODIGO, GRUPO, ATUALIZAR, PROCESSO_EAS, MENSAGEM_EAS) VALUES ('05', '01', 'S', '35', 'Pesagem');
INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, CONCLUIDO, GRAFICO) VALUES ('4711', 1, '05', 'S', 'G1');
INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('CO', 'S');
INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, REPOSICAO, PRECO, CONCENTRACAO, NE) VALUES ('M001', 'Corante azul', 'CO', 10, 14, 1.5, 0);
INSERT INTO MAT_TIN_001 (CODIGO, UNIDADE) VALUES ('M001', '%');
INSERT INTO DEPOSITO_001 (CODIGO, PRIORIDADE) VALUES ('0001', '1');
INSERT INTO MAT_ITEN_001 (CODIGO, COR, LOTE, DEPOSITO, QTDE, PRECO_MED) VALUES ('M001', '0', '000000', '0000', 100, 12.5);
INSERT INTO MAT_MOV_001 (CODIGO, QTDE, DEPOSITO, OPERACAO, CODCRE, NUM_DOCTO) VALUES ('M001', 5.25, '0001', 'E', 'C1', 'D1');
INSERT INTO FAMILIA_001 (CODIGO, DESCRICAO) VALUES ('F1', 'Malhas');
INSERT INTO PRODUTO_001 (CODIGO, DESCRICAO, FAMILIA, COMP1, COMP2) VALUES ('ART1', 'Meia malha', 'F1', 'CO', 'PES');
INSERT INTO ENTIDADE_001 (CODCLI, NOME, ATIVO, TIPO_ENTIDADE) VALUES ('10', 'Malharia Exemplo', 'S', 'C');
INSERT INTO CADCORTIN_001 (CODIGO, DESCRICAO, COR_SIS) VALUES ('AZ01', ' Azul royal ', '16711680');
INSERT INTO TURNO_HORARIOS_001 (DIA, TURNO, ENTRADA, SAIDA) VALUES (3, '3', '22:00:00', '06:00:00');
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B8', 8);
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B10', 10);
INSERT INTO MAQ_TIN_001 (CODIGO, TIPO, RELAC_BANHO) VALUES ('M1', '4', 'B8');
INSERT INTO MAQ_TIN_CAP_001 (MAQUINA, VARIANTE, RELAC_BANHO) VALUES ('M1', 'V1', 'B10');
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 10, '1', 'M001', 2.5, '%', 'B10', '1');
INSERT INTO TNG_PROG_001 (FAL, MAQUINA) VALUES ('1234', 'M1');
INSERT INTO GRAFICO_001 (CODIGO, TEMPO) VALUES ('G1', '01:30:00');
INSERT INTO RECEITA_001 (COR, VARIANTE, GRAFICO) VALUES ('AZ01', 'V1', 'G1');
INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, CAMPO3, STATUS) VALUES (7, 'OP', 'S', '4711', '', '', 0);
)";

const char* const kAmostrasEas = R"(
INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('80', 'X', '0001234|A|x|M1|20240315|0730|', 'F');
)";

const char* const kAmostrasBruma = R"(
INSERT INTO ENCADEAMENTO (NOME, RECEITA1, RECEITA2) VALUES ('AZ01', 'TINGE01', 'LAVA02');
INSERT INTO OB (NUMEROOB, MAQUINA, STATUSTERMINO, POSICAO) VALUES ('4711    ', 'M1', '0', 1);
)";

QString criaBanco(const QString& banco)
{
    if (banco == "ERP") {
        const QString caminho = BancoTeste::criaFirebirdLocal("erp", {"erp_firebird.sql"});
        BancoTeste::executaSqlFirebird(caminho, kAmostrasErp);
        return caminho;
    }
    if (banco == "EAS") {
        const QString caminho = BancoTeste::criaFirebirdLocal("eas", {"eas_host_firebird.sql"});
        BancoTeste::executaSqlFirebird(caminho, kAmostrasEas);
        return caminho;
    }
    const QString caminho = BancoTeste::criaFirebirdLocal("bruma", {"bruma_firebird.sql"});
    BancoTeste::executaSqlFirebird(caminho, kAmostrasBruma);
    return caminho;
}

QSqlDatabase abre(const QString& banco, const QString& nome)
{
    const QString caminho = criaBanco(banco);
    QSqlDatabase db = QSqlDatabase::addDatabase(new DriverFirebird, nome);
    db.setDatabaseName(caminho);
    db.setUserName("SYSDBA");
    if (!db.open())
        throw std::runtime_error("não abriu o banco " + banco.toStdString() + ": "
                                 + db.lastError().text().toStdString());
    return db;
}

// One open connection per database kind, made on first use. A database that
// could not be made fails every statement of its kind with the same reason.
QSqlDatabase conexao(const QString& banco)
{
    static QMap<QString, std::string> falhas;
    const QString nome = "esquema_" + banco;
    if (falhas.contains(banco))
        throw std::runtime_error(falhas.value(banco));
    if (QSqlDatabase::contains(nome))
        return QSqlDatabase::database(nome);
    try {
        return abre(banco, nome);
    } catch (const std::exception& e) {
        falhas.insert(banco, e.what());
        throw;
    }
}

QString textoDe(const ComandoSistema& comando)
{
    TListaLinhas linhas;
    for (const QString& linha : comando.linhas)
        linhas.Add(linha);
    return linhas.Text();
}

class ComandoNoEsquema : public testing::TestWithParam<ComandoSistema> {};

TEST_P(ComandoNoEsquema, RodaComoEscrito)
{
    const ComandoSistema& comando = GetParam();
    QSqlDatabase db = conexao(comando.banco);
    ASSERT_TRUE(db.transaction()) << comando.id.toStdString() << ": " << db.lastError().text().toStdString();
    QString erro;
    {
        QSqlQuery query(db);
        if (!query.prepare(textoDe(comando))) {
            erro = "prepare: " + query.lastError().text();
        } else {
            for (auto it = comando.parametros.cbegin(); it != comando.parametros.cend(); ++it)
                query.bindValue(':' + it.key(), it.value());
            if (!query.exec())
                erro = "exec: " + query.lastError().text();
            else if (query.isSelect())
                while (query.next()) {}
        }
    }
    db.rollback();
    EXPECT_TRUE(erro.isEmpty()) << comando.id.toStdString() << " (" << comando.banco.toStdString()
                                << "): " << erro.toStdString();
}

std::string nomeDoCaso(const testing::TestParamInfo<ComandoSistema>& info)
{
    std::string nome = info.param.id.toStdString();
    for (char& c : nome)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return nome;
}

INSTANTIATE_TEST_SUITE_P(Catalogo, ComandoNoEsquema, testing::ValuesIn(ComandosSistema()), nomeDoCaso);

// The catalogue's ids name the statements in failures and in the other
// servers' tests: each must be unique and each database one of the three.
TEST(CatalogoComandos, IdsUnicosEBancosConhecidos)
{
    const QSet<QString> bancos{"ERP", "EAS", "Bruma"};
    QSet<QString> ids;
    for (const ComandoSistema& comando : ComandosSistema()) {
        EXPECT_FALSE(ids.contains(comando.id)) << "id repetido: " << comando.id.toStdString();
        EXPECT_TRUE(bancos.contains(comando.banco)) << comando.id.toStdString();
        ids.insert(comando.id);
    }
}

} // namespace
