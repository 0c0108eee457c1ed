// Start-up and shut-down of the monitor with the EAS model: the host
// database opened from [Banco3] with its schema and stock switch, an
// unreachable host, and the order in which the connections close.
#include "ApoioMonitor.h"
#include "AplicacaoTeste.h"
#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "integracoes/eas/Eas.h"
#include "monitor/Monitora.h"

#include <QCoreApplication>
#include <QMutex>
#include <gtest/gtest.h>

using namespace ApoioMonitor;

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

TFabricasIntegracao SoEas()
{
    return {[](TContextoIntegracao& contexto) { return std::make_unique<TEas>(contexto); }};
}

QString SecaoBanco3(const QString& base, const QString& extra)
{
    return QStringLiteral("[Banco3]\nProtocolo=firebird\nBase=%1\nUsuario=SYSDBA\nSenha=\n").arg(base) + extra
         + QStringLiteral("[ModeloAtivo]\nModelo=2\n");
}

class InicioEas : public ::testing::Test {
protected:
    TRelatorGravador relator;

    std::unique_ptr<TMonitora> Inicia(const QString& ini)
    {
        auto monitora = std::make_unique<TMonitora>(relator, SoEas(), PastaComIni(ini));
        monitora->Inicia();
        return monitora;
    }

    static TEas& Eas(TMonitora& m) { return dynamic_cast<TEas&>(*m.Integracao(2)); }

    static void EsperaMonitorandoEas(TMonitora& m)
    {
        EXPECT_EQ(m.IndiceTipo(), 2);
        EXPECT_TRUE(m.Monitorando());
        EXPECT_TRUE(m.TimerAtivo());
        EXPECT_FALSE(m.LimparVisivel());
    }
};

struct CasoEstoque {
    const char* valor;
    bool gravaEstoque;
};

class EstoqueDoBanco3 : public InicioEas, public ::testing::WithParamInterface<CasoEstoque> {};

TEST_P(EstoqueDoBanco3, AbreOHostELeSchemaEEstoque)
{
    const QString host = BancoTeste::criaFirebirdLocal(QStringLiteral("eas_host"), {QStringLiteral("eas_host_firebird.sql")});
    auto m = Inicia(SecaoBanco1(CriaErp())
                    + SecaoBanco3(host, QStringLiteral("Schema=COZINHA\nEstoque=%1\n").arg(QLatin1String(GetParam().valor))));

    EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
    TEas& eas = Eas(*m);
    EXPECT_TRUE(eas.Dados().KoDatabase2.Connected());
    EXPECT_EQ(eas.Dados().KoDatabase2.DriverName(), "FB");
    EXPECT_EQ(eas.Dados().KoDatabase2.DatabaseName(), host);
    EXPECT_EQ(eas.Dados().sSchema, "COZINHA");
    EXPECT_EQ(eas.Dados().bGravaEstoque, GetParam().gravaEstoque) << GetParam().valor;
    EXPECT_EQ(eas.Conexoes(), QList<TKoDatabase*>{&eas.Dados().KoDatabase2});
    EsperaMonitorandoEas(*m);
}

INSTANTIATE_TEST_SUITE_P(Casos, EstoqueDoBanco3, ::testing::Values(
    CasoEstoque{"S", true}, CasoEstoque{"s", false}, CasoEstoque{"", false}, CasoEstoque{"SIM", false}));

// A PostgreSQL host database takes its server and port from [Banco3]
// servidor when the key is there, as [Banco1] does; without it, Base is
// host:database (the server's port then comes from libpq's PGPORT, as a
// site without a port of its own would take 5432).
TEST_F(InicioEas, HostPostgresComServidorOuComBaseHostDoisPontosBase)
{
    const QString host = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico("eas_host"), {"eas_host_postgres.sql"});
    const QString usuario = QStringLiteral("Usuario=%1\nSenha=\"%2\"\n").arg(AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha());
    struct TCaso {
        const char* Nome;
        QString Banco3;
    };
    const QList<TCaso> casos = {
        {"servidor", QStringLiteral("Base=%1\nservidor=%2:%3\n").arg(host, AmbienteTeste::pgHost()).arg(AmbienteTeste::pgPorta())},
        {"Base host:base", QStringLiteral("Base=%1:%2\n").arg(AmbienteTeste::pgHost(), host)},
    };
    const QByteArray portaAntes = qgetenv("PGPORT");
    qputenv("PGPORT", QByteArray::number(AmbienteTeste::pgPorta()));
    for (const TCaso& caso : casos) {
        SCOPED_TRACE(caso.Nome);
        relator.Limpa();
        auto m = Inicia(SecaoBanco1(CriaErp()) + QStringLiteral("[Banco3]\nProtocolo=Postgres\n") + caso.Banco3 + usuario
                        + QStringLiteral("[ModeloAtivo]\nModelo=2\n"));
        EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
        const TKoDatabase& banco = Eas(*m).Dados().KoDatabase2;
        EXPECT_TRUE(banco.Connected());
        EXPECT_EQ(banco.HostName, AmbienteTeste::pgHost());
        EXPECT_EQ(banco.Database, host);
        m->Encerra();
    }
    if (portaAntes.isNull())
        qunsetenv("PGPORT");
    else
        qputenv("PGPORT", portaAntes);
}

// The ERP without the monitor's table of applied events: said once at
// start-up, and the cycle runs without it.
TEST_F(InicioEas, ErpSemATabelaDeAplicadosDizUmaVezEFuncionaSemEla)
{
    const QString erp = CriaErp();
    BancoTeste::executaSqlFirebird(erp, QStringLiteral("DROP TABLE QX_EAS_APLICADOS;\n"
                                                        "INSERT INTO PROCESSO_TIN_001 (FAL, FASE) VALUES ('4711', '01');"));
    const QString host = BancoTeste::criaFirebirdLocal(QStringLiteral("eas_host"), {QStringLiteral("eas_host_firebird.sql")});
    BancoTeste::executaSqlFirebird(host, QStringLiteral("INSERT INTO FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) "
                                                         "VALUES ('80', 'X', '0004711|X||M1|20240315|0730|', 'F');"));
    auto m = Inicia(SecaoBanco1(erp) + SecaoBanco3(host, QString()));
    EXPECT_TRUE(m->ExecutaCiclo());
    EXPECT_TRUE(m->ExecutaCiclo());
    const QStringList ditas = relator.Linhas.filter(QStringLiteral("Tabela QX_EAS_APLICADOS ausente no ERP (KoDatabase1)"));
    EXPECT_EQ(ditas.size(), 1) << relator.Linhas.join('\n').toStdString();
    EXPECT_TRUE(relator.Linhas.indexOf(ditas.value(0)) < relator.Linhas.indexOf(QStringLiteral("Grava Lido no FTOHOST (80) - 1")))
        << relator.Linhas.join('\n').toStdString();
    EXPECT_TRUE(relator.Linhas.contains(QStringLiteral("Grava Movimentos do FTOHOST (80) - FAL: 4711 MAQUINA M1")));
    m->Encerra();
}

TEST_F(InicioEas, HostInalcancavelDaUmaMensagemEMonitoraMesmoAssim)
{
    auto m = Inicia(SecaoBanco1(CriaErp()) + SecaoBanco3(QStringLiteral("/nao/existe/eas_host.fdb"), QString()));
    ASSERT_EQ(relator.Mensagens.size(), 1);
    EXPECT_FALSE(relator.Mensagens[0].isEmpty());
    EXPECT_FALSE(Eas(*m).Dados().KoDatabase2.Connected());
    EXPECT_TRUE(m->KoDatabase1().Connected());
    EsperaMonitorandoEas(*m);

    // A cycle against the closed host: nothing applied, nothing sent, and
    // the unreachable host reported once.
    relator.Limpa();
    EXPECT_TRUE(m->ExecutaCiclo());
    EXPECT_TRUE(relator.Erros.isEmpty()) << relator.Erros.join('\n').toStdString();
    EXPECT_EQ(relator.Linhas.filter(QStringLiteral("Conexão indisponível: KoDatabase2")).size(), 1)
        << relator.Linhas.join('\n').toStdString();
}

TEST_F(InicioEas, FechamentoFechaOHostDepoisOErp)
{
    const QString host = BancoTeste::criaFirebirdLocal(QStringLiteral("eas_host"), {QStringLiteral("eas_host_firebird.sql")});
    auto m = Inicia(SecaoBanco1(CriaErp()) + SecaoBanco3(host, QString()));
    TKoDatabase& host2 = Eas(*m).Dados().KoDatabase2;
    ASSERT_TRUE(host2.Connected());

    QMutex trava;
    QStringList fechadas;
    for (TKoDatabase* banco : {&host2, &m->KoDatabase1()})
        QObject::connect(banco, &TKoDatabase::AntesDeFechar, banco,
                         [&, nome = banco->objectName()] {
                             QMutexLocker bloqueio(&trava);
                             fechadas << nome;
                         },
                         Qt::DirectConnection);

    EXPECT_TRUE(m->Encerra());
    EXPECT_EQ(fechadas, (QStringList{"KoDatabase2", "KoDatabase1"}));
    EXPECT_FALSE(host2.Connected());
    EXPECT_FALSE(m->KoDatabase1().Connected());
}

} // namespace
