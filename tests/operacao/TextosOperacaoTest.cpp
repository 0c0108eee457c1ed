// The texts of the operations: the cycle's summary, the connections and the
// moments as the status bar and quelix --estado show them, and the
// Prometheus text of /metrics.
#include "operacao/EstadoOperacao.h"
#include "operacao/TextoMetricas.h"
#include "operacao/TextosCiclo.h"

#include <gtest/gtest.h>

namespace {

const QDateTime Agora(QDate(2026, 3, 2), QTime(0, 0, 5));

TFimCiclo Ciclo(const QDateTime& fim, int falhas, std::optional<quint64> enviados, const QString& erro = {})
{
    TFimCiclo ciclo;
    ciclo.Integracao = QStringLiteral("Bruma");
    ciclo.Inicio = fim.addSecs(-1);
    ciclo.Fim = fim;
    ciclo.Falhas = falhas;
    ciclo.Enviados = enviados;
    ciclo.Erro = erro;
    return ciclo;
}

TEST(TextosCiclo, ResumoDoCiclo)
{
    const QDateTime hoje(QDate(2026, 3, 2), QTime(0, 0, 1));
    const QDateTime ontem(QDate(2026, 3, 1), QTime(23, 59, 59));
    const struct {
        TFimCiclo fim;
        const char* texto;
    } casos[] = {
        {Ciclo(hoje, 0, std::nullopt), "00:00:01: concluído, sem falhas"},
        {Ciclo(hoje, 1, std::nullopt), "00:00:01: concluído, 1 falha"},
        {Ciclo(hoje, 0, 12), "00:00:01: 12 enviados, 0 falhas"},
        {Ciclo(hoje, 2, 12), "00:00:01: 12 enviados, 2 falhas"},
        {Ciclo(hoje, 0, 0), "00:00:01: 0 enviados, 0 falhas"},
        {Ciclo(hoje, 3, 5, QStringLiteral("Erro KoQuery.Open: Conexão fechada")),
         "00:00:01: Erro KoQuery.Open: Conexão fechada"},
        // Across midnight the day is said.
        {Ciclo(ontem, 1, 1), "2026-03-01 23:59:59: 1 enviados, 1 falha"},
    };
    for (const auto& caso : casos)
        EXPECT_EQ(Resumo(caso.fim, Agora), QString::fromUtf8(caso.texto));
}

TEST(TextosCiclo, ConexaoEDesfecho)
{
    EXPECT_EQ(TextoConexao({QStringLiteral("KoDatabase1"), true, Agora.addSecs(-4)}, Agora),
              QStringLiteral("KoDatabase1: ativa desde 00:00:01"));
    EXPECT_EQ(TextoConexao({QStringLiteral("KoDatabase2"), false, Agora.addSecs(-10)}, Agora),
              QStringLiteral("KoDatabase2: inativa desde 2026-03-01 23:59:55"));
    EXPECT_EQ(Texto(Desfecho(Ciclo(Agora, 0, 3))), "concluido");
    EXPECT_EQ(Texto(Desfecho(Ciclo(Agora, 1, 3))), "com_falhas");
    EXPECT_EQ(Texto(Desfecho(Ciclo(Agora, 1, 3, QStringLiteral("X")))), "erro");
}

// The lines of one family of the text, without its HELP and TYPE.
QStringList Amostras(const QByteArray& texto, const QString& familia)
{
    QStringList linhas;
    for (const QString& linha : QString::fromUtf8(texto).split(u'\n'))
        if (linha.startsWith(familia + u'{') || linha.startsWith(familia + u' '))
            linhas << linha;
    return linhas;
}

TEST(TextoMetricas, MonitorQueAindaNaoRodouCiclo)
{
    const TEstadoOperacao estado(Agora);
    const QByteArray texto = TextoPrometheus(estado.Instantaneo(), {true, 59000, 1800000}, {true, {}, {}}, Agora);
    EXPECT_EQ(Amostras(texto, "quelix_ciclos_total"),
              (QStringList{"quelix_ciclos_total{desfecho=\"concluido\"} 0", "quelix_ciclos_total{desfecho=\"com_falhas\"} 0",
                           "quelix_ciclos_total{desfecho=\"erro\"} 0"}));
    EXPECT_TRUE(Amostras(texto, "quelix_registros_total").isEmpty());
    EXPECT_EQ(Amostras(texto, "quelix_ultimo_ciclo_fim_segundos"), QStringList{"quelix_ultimo_ciclo_fim_segundos 0"});
    EXPECT_EQ(Amostras(texto, "quelix_ciclo_em_andamento_segundos"),
              QStringList{"quelix_ciclo_em_andamento_segundos 0"});
    EXPECT_TRUE(Amostras(texto, "quelix_fila_pendentes").isEmpty());
    EXPECT_EQ(Amostras(texto, "quelix_saudavel"), QStringList{"quelix_saudavel 1"});
    EXPECT_TRUE(texto.endsWith('\n'));
}

// A label value keeps a backslash, a double quote and a line break as the
// text format escapes them; nothing else is touched.
TEST(TextoMetricas, RotulosEscapados)
{
    TEstadoOperacao estado(Agora);
    const struct {
        const char* integracao;
        const char* rotulo;
    } casos[] = {
        {"Bruma", "Bruma"},
        {"C:\\fila", "C:\\\\fila"},
        {"a \"b\"", "a \\\"b\\\""},
        {"linha\nnova", "linha\\nnova"},
        {"Tinturaria ção", "Tinturaria ção"},
    };
    QStringList esperadas;
    for (const auto& caso : casos) {
        TFimCiclo fim = Ciclo(Agora, 2, 1);
        fim.Integracao = QString::fromUtf8(caso.integracao);
        estado.CicloTerminado(fim);
        esperadas << QStringLiteral("quelix_falhas_total{integracao=\"%1\"} 2").arg(QString::fromUtf8(caso.rotulo));
    }
    QStringList lidas = Amostras(TextoPrometheus(estado.Instantaneo(), {true, 59000, 1800000}, {true, {}, {}}, Agora),
                                 QStringLiteral("quelix_falhas_total"));
    esperadas.sort();
    lidas.sort();
    EXPECT_EQ(lidas, esperadas);
}

} // namespace
