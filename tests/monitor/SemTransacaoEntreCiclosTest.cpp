// Between two cycles of the monitor no connection holds a transaction: the
// machine side writes to its own queue at will, and the servers show the
// monitor's sessions idle and no transaction of its attachments, the queue
// tab's connection included once the tab was read. A real TMonitora with the
// Bruma integration, on the test servers.
#include "monitor/Monitora.h"

#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "BancoTeste.h"
#include "IntegracaoTeste.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "integracoes/bruma/Bruma.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

const QString PrefixoOdbc = QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=");

TFabricaIntegracao FabricaBruma()
{
    return [](TContextoIntegracao& contexto) { return std::make_unique<TBruma>(contexto); };
}

// A lot of machine M1 in the colour `cor`, as ERP rows.
QString Lote(const QString& numero, const QString& cor)
{
    return QStringLiteral("INSERT INTO FAL_001 (NUMERO, COR, MAQUINA) VALUES ('%1', '%2', 'M1');\n"
                          "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('%1', 1, 10, 2);\n")
        .arg(numero, cor);
}

QString Enviado(const QString& numeroOB, int posicao)
{
    return QStringLiteral("Concluído. FAL %1 enviada para máquina com sucesso para Posição %2.").arg(numeroOB).arg(posicao);
}

// --- The queue on SQLite -----------------------------------------------------

// The machine side: a connection of its own to the queue's file, which
// gives up after a second when the file is locked.
class TLadoDaMaquina {
public:
    explicit TLadoDaMaquina(const QString& arquivo) : FNome(AmbienteTeste::nomeUnico(QStringLiteral("maquina")))
    {
        QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FNome);
        banco.setDatabaseName(arquivo);
        banco.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
        if (!banco.open())
            throw std::runtime_error(banco.lastError().text().toStdString());
    }
    ~TLadoDaMaquina()
    {
        QSqlDatabase::database(FNome, false).close();
        QSqlDatabase::removeDatabase(FNome);
    }

    // Runs the statements in one transaction; the error when it could not.
    QString Escreve(const QStringList& comandos)
    {
        QSqlDatabase banco = QSqlDatabase::database(FNome, false);
        if (!banco.transaction())
            return banco.lastError().text();
        for (const QString& comando : comandos) {
            QSqlQuery q(banco);
            if (!q.exec(comando)) {
                const QString erro = q.lastError().text();
                banco.rollback();
                return erro;
            }
        }
        return banco.commit() ? QString() : banco.lastError().text();
    }

private:
    QString FNome;
};

TEST(SemTransacaoEntreCiclos, MaquinaEscreveNaFilaSqliteEntreOsCiclos)
{
    // The ERP on the server, so that lots can be added while the monitor
    // holds it open.
    const QString erp = BancoTeste::criaFirebirdServidor(QStringLiteral("erp"), {QStringLiteral("erp_firebird.sql")});
    BancoTeste::executaSqlFirebird(erp, QStringLiteral("INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('AZUL', '255');\n"
                                                       "INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('VERDE', '65280');\n")
                                            + Lote(QStringLiteral("1"), QStringLiteral("AZUL")));
    const QString dsn = AmbienteTeste::nomeUnico(QStringLiteral("fila_sqlite"));
    const QString arquivo = BancoTeste::criaSqliteOdbc(dsn, {QStringLiteral("bruma_sqlite.sql")});
    TLadoDaMaquina maquina(arquivo);
    ASSERT_EQ(maquina.Escreve({QStringLiteral("INSERT INTO ENCADEAMENTO (NOME, RECEITA1) VALUES ('AZUL', 'TINGE')")}), "");

    TRelatorGravador relator;
    TMonitora monitora(relator, {FabricaBruma()},
                       PastaComIni(QStringLiteral("[Banco1]\nBase=%1\nUsuario=%2\nSenha=%3\n"
                                                  "[Banco2]\nBase=%4\n[ModeloAtivo]\nModelo=0\n")
                                       .arg(erp, AmbienteTeste::fbUsuario(), AmbienteTeste::fbSenha(), dsn)));
    ASSERT_TRUE(monitora.Inicia()) << relator.Erros.join(u'\n').toStdString();
    ASSERT_TRUE(monitora.ExecutaCiclo()) << relator.Erros.join(u'\n').toStdString();
    EXPECT_EQ(relator.Linhas, QStringList({Enviado(QStringLiteral("1       "), 1)}));

    // Between the cycles the machine takes the lot over and adds a chain.
    EXPECT_EQ(maquina.Escreve({QStringLiteral("UPDATE OB SET STATUSTERMINO = '1' WHERE NUMEROOB = '1       '"),
                               QStringLiteral("INSERT INTO ENCADEAMENTO (NOME, RECEITA1) VALUES ('VERDE', 'TINGE')")}),
              "");
    BancoTeste::executaSqlFirebird(erp, Lote(QStringLiteral("2"), QStringLiteral("VERDE")));

    relator.Limpa();
    ASSERT_TRUE(monitora.ExecutaCiclo()) << relator.Erros.join(u'\n').toStdString();
    EXPECT_EQ(relator.Linhas, QStringList({Enviado(QStringLiteral("2       "), 2)}));
    EXPECT_EQ(maquina.Escreve({QStringLiteral("UPDATE OB SET STATUSTERMINO = '1' WHERE NUMEROOB = '2       '")}), "");
    EXPECT_TRUE(monitora.Encerra());
}

// --- The ERP on PostgreSQL or on the Firebird server -------------------------

enum class TErp { Postgres, FirebirdServidor };

// What the servers show of the monitor on the test's databases: its
// sessions (attachments) and how many of them are inside a transaction.
struct TSessoes {
    qint64 total = 0;
    qint64 emTransacao = 0;
};

class SemTransacaoNosServidores : public ::testing::TestWithParam<TErp> {
protected:
    void SetUp() override
    {
        const QString dados = QStringLiteral("INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('AZUL', '255');\n")
                            + Lote(QStringLiteral("1"), QStringLiteral("AZUL"));
        QString banco1;
        if (GetParam() == TErp::Postgres) {
            FErp = BancoTeste::criaPostgres(QStringLiteral("erp"), {QStringLiteral("erp_postgres.sql")});
            BancoTeste::executaSqlPostgres(FErp, dados);
            banco1 = QStringLiteral("[Banco1]\nProtocolo=Postgres\nBase=%1\nservidor=%2:%3\nUsuario=%4\nSenha=%5\n")
                         .arg(FErp, AmbienteTeste::pgHost())
                         .arg(AmbienteTeste::pgPorta())
                         .arg(AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha());
        } else {
            FErp = BancoTeste::criaFirebirdServidor(QStringLiteral("erp"), {QStringLiteral("erp_firebird.sql")});
            BancoTeste::executaSqlFirebird(FErp, dados);
            banco1 = QStringLiteral("[Banco1]\nBase=%1\nUsuario=%2\nSenha=%3\n")
                         .arg(FErp, AmbienteTeste::fbUsuario(), AmbienteTeste::fbSenha());
        }
        FFila = BancoTeste::criaPostgres(QStringLiteral("fila"), {QStringLiteral("bruma_postgres.sql")});
        BancoTeste::executaSqlPostgres(FFila, QStringLiteral("INSERT INTO ENCADEAMENTO (NOME, RECEITA1) VALUES ('AZUL', 'TINGE');"));
        const QString dsn = BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico(QStringLiteral("dsn")), FFila);
        FIni = banco1 + QStringLiteral("[Banco2]\nProtocolo=Postgres\nBase=%1\nUsuario=%2\nSenha=%3\n[ModeloAtivo]\nModelo=0\n")
                            .arg(dsn, AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha());
    }

    // Read through new connections, so the servers' monitoring data is of
    // this moment. PostgreSQL: every session on the ERP's and the queue's
    // databases but the reader's own; Firebird: every user attachment to the
    // ERP's database but the reader's own, and its transactions.
    TSessoes Sessoes() const
    {
        TKoDatabase postgres;
        postgres.SetDriverName(QStringLiteral("PG"));
        postgres.SetDatabaseName(AmbienteTeste::pgHost() + u':' + AmbienteTeste::pgBanco());
        postgres.Port = AmbienteTeste::pgPorta();
        postgres.User = AmbienteTeste::pgUsuario();
        postgres.Password = AmbienteTeste::pgSenha();
        postgres.Open();
        TKoQuery consulta;
        consulta.SetDatabase(&postgres);
        consulta.SQL.Add(QStringLiteral("SELECT COUNT(*) AS TOTAL, COUNT(*) FILTER (WHERE state <> 'idle') AS EM_TRANSACAO "
                                        "FROM pg_stat_activity WHERE datname IN (:ERP, :FILA) AND pid <> pg_backend_pid()"));
        consulta.ParamByName(QStringLiteral("ERP")).SetAsString(GetParam() == TErp::Postgres ? FErp : QString());
        consulta.ParamByName(QStringLiteral("FILA")).SetAsString(FFila);
        consulta.Open();
        TSessoes sessoes{consulta.FieldByName(QStringLiteral("TOTAL")).AsInteger(),
                         consulta.FieldByName(QStringLiteral("EM_TRANSACAO")).AsInteger()};
        if (GetParam() == TErp::FirebirdServidor) {
            TKoDatabase firebird;
            firebird.SetDriverName(QStringLiteral("FB"));
            firebird.SetDatabaseName(FErp);
            firebird.User = AmbienteTeste::fbUsuario();
            firebird.Password = AmbienteTeste::fbSenha();
            firebird.Open();
            TKoQuery monitoramento;
            monitoramento.SetDatabase(&firebird);
            monitoramento.SQL.Add(QStringLiteral(
                "SELECT COUNT(*) AS TOTAL, "
                "(SELECT COUNT(*) FROM MON$TRANSACTIONS T WHERE T.MON$ATTACHMENT_ID IN "
                "  (SELECT B.MON$ATTACHMENT_ID FROM MON$ATTACHMENTS B WHERE B.MON$SYSTEM_FLAG = 0 "
                "   AND B.MON$ATTACHMENT_ID <> CURRENT_CONNECTION)) AS EM_TRANSACAO "
                "FROM MON$ATTACHMENTS A WHERE A.MON$SYSTEM_FLAG = 0 AND A.MON$ATTACHMENT_ID <> CURRENT_CONNECTION"));
            monitoramento.Open();
            sessoes.total += monitoramento.FieldByName(QStringLiteral("TOTAL")).AsInteger();
            sessoes.emTransacao += monitoramento.FieldByName(QStringLiteral("EM_TRANSACAO")).AsInteger();
        }
        return sessoes;
    }

    QString FErp;
    QString FFila;
    QString FIni;
};

TEST_P(SemTransacaoNosServidores, SessoesDoMonitorSemTransacaoEntreOsCiclos)
{
    // An integration that looks at the servers in the middle of its cycle,
    // after a statement on the ERP: the reading does see a transaction.
    TSessoes noCiclo;
    TDefinicaoTeste sonda = Tipo(2, QStringLiteral("EAS"));
    sonda.primeira = [&](TContextoIntegracao& contexto) {
        TKoQuery consulta;
        consulta.SetDatabase(&contexto.KoDatabase1);
        consulta.SQL.Add(QStringLiteral("SELECT COUNT(*) AS N FROM FAL_001"));
        consulta.Open();
        noCiclo = Sessoes();
    };
    TRelatorGravador relator;
    TMonitora monitora(relator,
                       {FabricaBruma(), FabricaTeste(Tipo(1, QStringLiteral("Vapora"), TVisaoFila{QStringLiteral("QX_INTEGRA"), QStringLiteral("STATUS = 0")})),
                        FabricaTeste(sonda)},
                       PastaComIni(FIni));
    ASSERT_TRUE(monitora.Inicia()) << relator.Erros.join(u'\n').toStdString();
    ASSERT_TRUE(monitora.ExecutaCiclo()) << relator.Erros.join(u'\n').toStdString();
    EXPECT_EQ(relator.Linhas, QStringList({Enviado(QStringLiteral("1       "), 1)}));
    TSessoes entreCiclos = Sessoes();
    EXPECT_EQ(entreCiclos.total, 2);  // the ERP's and the queue's
    EXPECT_EQ(entreCiclos.emTransacao, 0);

    // The queue tab read through its own connection.
    monitora.SelecionaTipo(1);
    ASSERT_TRUE(monitora.AtualizaTabela()) << relator.Erros.join(u'\n').toStdString();
    ASSERT_TRUE(EsperaLeituraFila(monitora));
    ASSERT_TRUE(monitora.TbFila().Active()) << relator.Erros.join(u'\n').toStdString();
    entreCiclos = Sessoes();
    EXPECT_EQ(entreCiclos.total, 3);
    EXPECT_EQ(entreCiclos.emTransacao, 0);

    monitora.SelecionaTipo(2);
    monitora.DefineMonitorando(true);
    ASSERT_TRUE(monitora.ExecutaCiclo()) << relator.Erros.join(u'\n').toStdString();
    EXPECT_EQ(noCiclo.total, 3);
    EXPECT_GE(noCiclo.emTransacao, 1);
    entreCiclos = Sessoes();
    EXPECT_EQ(entreCiclos.emTransacao, 0);

    // Bruma again, after the tab: nothing pending, and still nothing held.
    monitora.SelecionaTipo(0);
    monitora.DefineMonitorando(true);
    ASSERT_TRUE(monitora.ExecutaCiclo()) << relator.Erros.join(u'\n').toStdString();
    entreCiclos = Sessoes();
    EXPECT_EQ(entreCiclos.total, 3);
    EXPECT_EQ(entreCiclos.emTransacao, 0);
    EXPECT_TRUE(monitora.Encerra());
}

INSTANTIATE_TEST_SUITE_P(Erp, SemTransacaoNosServidores, ::testing::Values(TErp::Postgres, TErp::FirebirdServidor),
                         [](const ::testing::TestParamInfo<TErp>& erp) {
                             return std::string(erp.param == TErp::Postgres ? "Postgres" : "FirebirdServidor");
                         });

} // namespace
