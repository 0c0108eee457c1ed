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
// servidor, as [Banco1] does.
TEST_F(InicioEas, HostPostgresComServidorEPortaConecta)
{
    const QString host = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico("eas_host"), {"eas_host_postgres.sql"});
    auto m = Inicia(SecaoBanco1(CriaErp())
                    + QStringLiteral("[Banco3]\nProtocolo=Postgres\nBase=%1\nservidor=%2:%3\nUsuario=%4\nSenha=\"%5\"\n"
                                     "[ModeloAtivo]\nModelo=2\n")
                          .arg(host, AmbienteTeste::pgHost())
                          .arg(AmbienteTeste::pgPorta())
                          .arg(AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha()));

    EXPECT_TRUE(relator.Mensagens.isEmpty()) << relator.Mensagens.join('\n').toStdString();
    const TKoDatabase& banco = Eas(*m).Dados().KoDatabase2;
    EXPECT_TRUE(banco.Connected());
    EXPECT_EQ(banco.HostName, AmbienteTeste::pgHost());
    EXPECT_EQ(banco.Port, AmbienteTeste::pgPorta());
    EXPECT_EQ(banco.Database, host);
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
