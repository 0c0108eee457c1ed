// The alerting rules shipped in the package: promtool checks them and runs
// them over the series of their test file, and every metric they name is
// one the code really writes in /metrics, as promtool reads it too. And the
// metric of the records failing cycle after cycle, as a table of cycles.
#include "integracao/Relator.h"
#include "operacao/EstadoOperacao.h"
#include "operacao/TextoMetricas.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const QDateTime Agora(QDate(2026, 3, 2), QTime(8, 0, 0));

struct TExecucao {
    int status = -1;
    QString saida;
};

// promtool with these arguments and that standard input, for two minutes at most.
TExecucao Promtool(const QStringList& argumentos, const QByteArray& entrada = {})
{
    QProcess processo;
    processo.setProcessChannelMode(QProcess::MergedChannels);
    processo.start(QStringLiteral(QUELIX_PROMTOOL), argumentos);
    if (!processo.waitForStarted(30000))
        return {-1, QStringLiteral("promtool não iniciou: ") + processo.errorString()};
    processo.write(entrada);
    processo.closeWriteChannel();
    if (!processo.waitForFinished(120000)) {
        processo.kill();
        processo.waitForFinished(10000);
        return {-1, QStringLiteral("promtool não terminou em dois minutos")};
    }
    return {processo.exitStatus() == QProcess::NormalExit ? processo.exitCode() : -1,
            QString::fromUtf8(processo.readAll())};
}

TFimCiclo Ciclo(const QString& integracao, int falhas, const QString& erro = {})
{
    TFimCiclo fim;
    fim.Integracao = integracao;
    fim.Inicio = Agora.addSecs(-2);
    fim.Fim = Agora;
    fim.Falhas = falhas;
    fim.Erro = erro;
    fim.Enviados = 1;
    fim.Pendentes = 3;
    fim.Conexoes = {{QStringLiteral("KoDatabase1"), true, Agora}};
    return fim;
}

// One cycle of `integracao` in which these records ("tipo chave desfecho") were handled.
void RodaCiclo(TEstadoOperacao& estado, const QString& integracao, const QStringList& registros)
{
    estado.CicloIniciado({integracao, Agora.addSecs(-2)});
    for (const QString& registro : registros) {
        const QStringList partes = registro.split(u' ');
        estado.RegistroTratado(integracao, {TRegistroTratado::Enviado, partes[0], partes[1], partes[2], {}}, {});
    }
    estado.CicloTerminado(Ciclo(integracao, 0));
}

// Every family the code writes, with samples: after cycles of each outcome,
// records of each kind and a queue count.
QByteArray ExposicaoCompleta()
{
    TEstadoOperacao estado(Agora.addSecs(-600));
    RodaCiclo(estado, QStringLiteral("Vapora"), {"AR 1 enviado", "CO 2 falhou"});
    estado.CicloTerminado(Ciclo(QStringLiteral("Vapora"), 1, QStringLiteral("Erro KoQuery.Open: Conexão fechada")));
    estado.CicloIniciado({QStringLiteral("Vapora"), Agora.addSecs(-1)});
    return TextoPrometheus(estado.Instantaneo(), {true, 59000, 1800000}, {true, {}, {}}, Agora);
}

QString Arquivo(const char* caminho)
{
    QFile arquivo(QString::fromUtf8(caminho));
    EXPECT_TRUE(arquivo.open(QIODevice::ReadOnly)) << caminho;
    return QString::fromUtf8(arquivo.readAll());
}

TEST(Alertas, PromtoolAceitaAsRegrasEAsExposicoes)
{
    ASSERT_TRUE(QFileInfo(QStringLiteral(QUELIX_PROMTOOL)).isExecutable())
        << "promtool (pacote prometheus de scripts/instala-dependencias.sh) não está em " QUELIX_PROMTOOL;
    const TExecucao regras = Promtool({QStringLiteral("check"), QStringLiteral("rules"), QStringLiteral(QUELIX_REGRAS)});
    EXPECT_EQ(regras.status, 0) << regras.saida.toStdString();
    const TExecucao teste = Promtool({QStringLiteral("test"), QStringLiteral("rules"), QStringLiteral(QUELIX_TESTE_REGRAS)});
    EXPECT_EQ(teste.status, 0) << teste.saida.toStdString();
    const TExecucao metricas = Promtool({QStringLiteral("check"), QStringLiteral("metrics")}, ExposicaoCompleta());
    EXPECT_EQ(metricas.status, 0) << metricas.saida.toStdString();
}

// A rule over a name the code does not write would never fire.
TEST(Alertas, AsRegrasUsamAsMetricasQueOCodigoEscreve)
{
    QSet<QString> familias;
    static const QRegularExpression tipo(QStringLiteral("^# TYPE (\\S+) (\\S+)$"), QRegularExpression::MultilineOption);
    for (auto achado = tipo.globalMatch(QString::fromUtf8(ExposicaoCompleta())); achado.hasNext();) {
        const auto m = achado.next();
        familias << m.captured(1);
        if (m.captured(2) == QLatin1String("histogram"))
            for (const char* sufixo : {"_bucket", "_sum", "_count"})
                familias << m.captured(1) + QLatin1String(sufixo);
    }
    static const QRegularExpression nome(QStringLiteral("\\bquelix_[a-z_]+"));
    for (const char* caminho : {QUELIX_REGRAS, QUELIX_TESTE_REGRAS}) {
        QSet<QString> usadas;
        for (auto achado = nome.globalMatch(Arquivo(caminho)); achado.hasNext();)
            usadas << achado.next().captured(0);
        EXPECT_FALSE(usadas.isEmpty()) << caminho;
        for (const QString& usada : usadas)
            EXPECT_TRUE(familias.contains(usada)) << caminho << ": " << usada.toStdString()
                                                  << " não está no /metrics do código";
    }
}

// The most cycles in a row one record has failed, among those that failed
// in the integration's last cycle: a record that goes through, or that a
// cycle does not reach, starts again; another integration's count is its
// own.
TEST(Alertas, FalhasSeguidasDeUmMesmoRegistro)
{
    const struct {
        const char* integracao;
        QStringList registros;
        int bruma;  // the gauge of Bruma after the cycle; -1 none yet
        int vapora;
    } ciclos[] = {
        {"Bruma", {"lote 1 falhou", "lote 2 enviado"}, 1, -1},
        {"Bruma", {"lote 1 pendente", "lote 2 falhou"}, 2, -1},
        {"Vapora", {"CO 1 falhou"}, 2, 1},
        {"Bruma", {"lote 1 incerto", "lote 2 falhou"}, 3, 1},
        {"Bruma", {"lote 1 falhou", "lote 1 enviado", "lote 2 falhou"}, 3, 1},  // 1 went through in the end
        {"Bruma", {"lote 2 falhou"}, 4, 1},
        {"Bruma", {"lote 2 falhou", "lote 3 falhou"}, 5, 1},
        {"Bruma", {}, 0, 1},                                    // no record reached: all start again
        {"Bruma", {"lote 2 falhou"}, 1, 1},
    };
    TEstadoOperacao estado(Agora);
    int n = 0;
    for (const auto& ciclo : ciclos) {
        SCOPED_TRACE(++n);
        RodaCiclo(estado, QString::fromUtf8(ciclo.integracao), ciclo.registros);
        const auto maximo = estado.Instantaneo().FalhasSeguidasMaximo;
        EXPECT_EQ(maximo.count(QStringLiteral("Bruma")) ? maximo.at(QStringLiteral("Bruma")) : -1, ciclo.bruma);
        EXPECT_EQ(maximo.count(QStringLiteral("Vapora")) ? maximo.at(QStringLiteral("Vapora")) : -1, ciclo.vapora);
    }
    const QString texto = QString::fromUtf8(TextoPrometheus(estado.Instantaneo(), {true, 59000, 1800000}, {true, {}, {}}, Agora));
    EXPECT_TRUE(texto.contains(QStringLiteral("\nquelix_registro_falhas_seguidas_maximo{integracao=\"Bruma\"} 1\n")));
    EXPECT_TRUE(texto.contains(QStringLiteral("\nquelix_intervalo_segundos 59\n")));
}

} // namespace
