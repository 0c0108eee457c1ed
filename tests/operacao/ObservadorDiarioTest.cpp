// The journal as an observer of the cycle, written on a thread of its own,
// read back through its reader as another process reads it: a group of
// records is committed while the cycle waits on something else, the cycle's
// end is in the file once the cycle's thread is told it ended, and a call
// waiting past its limit is there until it ends (or until the next process
// writes, when its process ended first).
#include "AmbienteTeste.h"

#include "../monitor/AplicacaoTeste.h"
#include "integracao/Relator.h"
#include "operacao/LeituraDiario.h"
#include "operacao/ObservadorDiario.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

QString PastaNova()
{
    const QString pasta = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico(QStringLiteral("diario")));
    QDir().mkpath(pasta);
    return pasta;
}

QList<TChamadaSemResposta> Chamadas(const QString& arquivo)
{
    return TLeituraDiario(arquivo).ChamadasSemResposta();
}

} // namespace

TEST(ObservadorDiario, RegistrosConfirmadosSemEsperarOFimDoCiclo)
{
    QStringList avisos;
    TObservadorDiario diario(TConfiguracao(PastaNova()), [&avisos](const QString& aviso) { avisos << aviso; });
    const QDateTime inicio = QDateTime::currentDateTime();
    diario.CicloIniciado({QStringLiteral("Bruma"), inicio});
    diario.RegistroTratado(QStringLiteral("Bruma"),
                           {TDirecaoRegistro::Entrada, QStringLiteral("95"), QStringLiteral("1"),
                            TDesfechoRegistro::Incerto, QStringLiteral("sem resposta")},
                           QStringLiteral("FAL 1"));

    // Nothing more comes, as when the cycle waits on a server that does not
    // answer: the record is committed all the same.
    QList<TLinhaHistorico> lidas;
    QElapsedTimer espera;
    espera.start();
    while (lidas.isEmpty() && espera.elapsed() < 30000) {
        QThread::msleep(50);
        try {
            lidas = TLeituraDiario(diario.Arquivo()).Pagina({}, 0, 10);
        } catch (const std::exception&) {
            // not made yet
        }
    }
    ASSERT_EQ(lidas.size(), 1);
    EXPECT_EQ(lidas[0].Direcao, "recebido");
    EXPECT_EQ(lidas[0].Desfecho, "incerto");
    EXPECT_EQ(lidas[0].Erro, "sem resposta");
    EXPECT_EQ(lidas[0].Linha, "FAL 1");
    EXPECT_TRUE(TLeituraDiario(diario.Arquivo()).UltimosCiclos().EmAndamento);

    TFimCiclo fim;
    fim.Integracao = QStringLiteral("Bruma");
    fim.Inicio = inicio;
    fim.Fim = QDateTime::currentDateTime();
    fim.Falhas = 1;
    diario.CicloConcluidoNaThread(fim);
    const TUltimosCiclos ciclos = TLeituraDiario(diario.Arquivo()).UltimosCiclos();
    ASSERT_TRUE(ciclos.Terminado);
    EXPECT_EQ(ciclos.Terminado->Falhas, 1);
    EXPECT_FALSE(ciclos.EmAndamento);
    QCoreApplication::processEvents();
    EXPECT_TRUE(avisos.isEmpty()) << avisos.join(u'\n').toStdString();
}

TEST(ObservadorDiario, ChamadaSemRespostaAteTerminar)
{
    const QString pasta = PastaNova();
    const auto falha = [](const QString& aviso) { ADD_FAILURE() << aviso.toStdString(); };
    const TChamadaSemResposta commit{7, QStringLiteral("commit"), QStringLiteral("KoDatabase2"),
                                     QDateTime::currentDateTime().addSecs(-40), 30000};
    const TChamadaSemResposta consulta{8, QStringLiteral("consulta"), QStringLiteral("KoDatabase1"),
                                       QDateTime::currentDateTime().addSecs(-5), 1000};
    QString arquivo;
    {
        TObservadorDiario diario{TConfiguracao(pasta), falha};
        arquivo = diario.Arquivo();
        diario.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime()});
        diario.ChamadaSemResposta(commit);
        ASSERT_TRUE(diario.Espera(TObservadorDiario::EsperaMaximaMs));
        const QList<TChamadaSemResposta> esperando = Chamadas(arquivo);
        ASSERT_EQ(esperando.size(), 1);
        EXPECT_EQ(esperando[0].Operacao, commit.Operacao);
        EXPECT_EQ(esperando[0].Conexao, commit.Conexao);
        EXPECT_EQ(esperando[0].LimiteMs, commit.LimiteMs);
        EXPECT_EQ(esperando[0].Inicio, commit.Inicio);

        diario.ChamadaTerminada(commit);
        diario.ChamadaSemResposta(consulta);
        ASSERT_TRUE(diario.Espera(TObservadorDiario::EsperaMaximaMs));
        const QList<TChamadaSemResposta> depois = Chamadas(arquivo);
        ASSERT_EQ(depois.size(), 1);
        EXPECT_EQ(depois[0].Operacao, consulta.Operacao);
    }
    // Its process ended while it waited: the next one to write closes it.
    EXPECT_EQ(Chamadas(arquivo).size(), 1);
    TObservadorDiario seguinte{TConfiguracao(pasta), falha};
    seguinte.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime()});
    ASSERT_TRUE(seguinte.Espera(TObservadorDiario::EsperaMaximaMs));
    EXPECT_TRUE(Chamadas(arquivo).isEmpty());
}
