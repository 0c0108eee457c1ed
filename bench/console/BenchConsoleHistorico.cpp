// The console's "Histórico" page over a journal of 1 000 000 records spread
// over 81 days: the server's time to read the query, read the page from the
// journal and write its HTML, for the first page, each filter and a page
// deep in the journal. Goal: each under 300 ms. Then the "Estado" page,
// whose pictures count the records of the last 7 × 24 hours.
//
// The journal's tables and indexes are the monitor's own (made by its
// journal); the records go in with one statement in one transaction, as
// writing them one by one through the journal would take minutes.

#include "operacao/Diario.h"
#include "servico/console/PaginaEstado.h"
#include "servico/console/PaginaHistorico.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>

namespace {

constexpr int TotalRegistros = 1000000;
constexpr int RegistrosPorCiclo = 1000;
constexpr double MetaMs = 300;

// One in a hundred records is EAS's, three in ten Vapora's, the rest
// Bruma's; one in twenty failed, one in fifty waits. Seven seconds between
// records, the newest now.
void EscreveDiario(const QString& arquivo)
{
    {
        // The file, its tables and its indexes, as the monitor makes them.
        TDiario diario(arquivo, [](const QString& aviso) { throw std::runtime_error(aviso.toStdString()); });
        diario.ExecucaoIniciada(QDateTime::currentDateTime());
    }
    QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("escreve"));
    banco.setDatabaseName(arquivo);
    if (!banco.open())
        throw std::runtime_error(banco.lastError().text().toStdString());
    {
        QSqlQuery comando(banco);
        auto executa = [&comando](const QString& texto) {
            if (!comando.exec(texto))
                throw std::runtime_error(comando.lastError().text().toStdString());
        };
        banco.transaction();
        executa(QStringLiteral(
            "WITH RECURSIVE N(I) AS (SELECT 0 UNION ALL SELECT I + 1 FROM N WHERE I < %1) "
            "INSERT INTO REGISTROS (CICLO, MOMENTO, INTEGRACAO, DIRECAO, TIPO, CHAVE, DESFECHO, LINHA, ERRO) "
            "SELECT I / %2 + 1, strftime('%Y-%m-%dT%H:%M:%fZ', 'now', '-' || ((%1 - I) * 7) || ' seconds'), "
            "CASE WHEN I % 100 = 0 THEN 'EAS' WHEN I % 10 < 3 THEN 'Vapora' ELSE 'Bruma' END, 'enviado', 'lote', "
            "CAST(100000 + I AS TEXT), "
            "CASE WHEN I % 20 = 0 THEN 'falhou' WHEN I % 50 = 7 THEN 'pendente' ELSE 'enviado' END, "
            "'Concluído. FAL ' || (100000 + I) || ' enviada para máquina com sucesso para Posição 3.', "
            "CASE WHEN I % 20 = 0 THEN 'Programa não cadastrado' END FROM N")
                    .arg(TotalRegistros - 1)
                    .arg(RegistrosPorCiclo));
        executa(QStringLiteral(
            "WITH RECURSIVE N(I) AS (SELECT 0 UNION ALL SELECT I + 1 FROM N WHERE I < %1) "
            "INSERT INTO CICLOS (INICIO, FIM, INTEGRACAO, DESFECHO, ENVIADOS, FALHAS, INTERVALO_MS, CONEXOES) "
            "SELECT strftime('%Y-%m-%dT%H:%M:%fZ', 'now', '-' || ((%1 - I) * %2 * 7 + %2 * 7) || ' seconds'), "
            "strftime('%Y-%m-%dT%H:%M:%fZ', 'now', '-' || ((%1 - I) * %2 * 7) || ' seconds'), "
            "'Bruma', 'com_falhas', %2, 50, 59000, "
            "'[{\"nome\":\"KoDatabase1\",\"ativa\":true,\"desde\":\"2026-01-01T00:00:00.000Z\"}]' FROM N")
                    .arg(TotalRegistros / RegistrosPorCiclo - 1)
                    .arg(RegistrosPorCiclo));
        if (!banco.commit())
            throw std::runtime_error(banco.lastError().text().toStdString());
    }
    banco.close();
    banco = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("escreve"));
}

QString Arquivo;

// What the console does for one request of the page, but the HTTP.
void Historico(benchmark::State& estado, const QByteArray& consulta)
{
    qsizetype registros = 0;
    for (auto _ : estado) {
        const TLeituraPedidoHistorico pedido = LePedidoHistorico(consulta);
        if (!pedido.Erro.isEmpty())
            throw std::runtime_error(pedido.Erro.toStdString());
        const TDadosHistorico dados = LeHistorico(Arquivo, pedido.Pedido);
        if (!dados.Erro.isEmpty())
            throw std::runtime_error(dados.Erro.toStdString());
        const QString html = PaginaHistorico(dados, QStringLiteral("/historico"));
        benchmark::DoNotOptimize(html.data());
        registros = dados.Linhas.size();
    }
    estado.counters["registros"] = double(registros);
}

void Estado(benchmark::State& estado)
{
    for (auto _ : estado) {
        TDadosEstado dados;
        dados.Agora = QDateTime::currentDateTime();
        LeDiarioEstado(Arquivo, dados);
        if (!dados.ErroDiario.isEmpty())
            throw std::runtime_error(dados.ErroDiario.toStdString());
        const QString html = PaginaEstado(dados);
        benchmark::DoNotOptimize(html.data());
    }
}

// Each benchmark's time per request, for the summary against the goal.
class TRelatorio : public benchmark::ConsoleReporter {
public:
    // Without colours: scripts/bench.sh keeps the lines for its summary.
    TRelatorio() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)  // in the benchmark's unit, ms
                Tempos[run.run_name.function_name] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
    }
    // Real time, and the processor's: on a machine shared with other work
    // the first is the request's time there, the second what it cost.
    std::map<std::string, std::pair<double, double>> Tempos;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication aplicacao(argc, argv);
    try {
        QTemporaryDir pasta;
        Arquivo = TDiario::Arquivo(pasta.path());
        QElapsedTimer relogio;
        relogio.start();
        EscreveDiario(Arquivo);
        std::printf("diário de %d registros escrito em %lld ms\n", TotalRegistros,
                    static_cast<long long>(relogio.elapsed()));

        const QString desde = QDate::currentDate().addDays(-60).toString(Qt::ISODate);
        const QString ate = QDate::currentDate().addDays(-59).toString(Qt::ISODate);
        // A record in the middle of the journal: the page after it.
        const QByteArray meio = QByteArray::number(TotalRegistros / 2);
        const std::pair<const char*, QByteArray> paginas[] = {
            {"primeira página", ""},
            {"formulário vazio", "chave=&desde=&ate=&integracao=&desfecho="},
            {"página após o registro 500000", "antes=" + meio},
            {"chave 4711 (rara)", "chave=4711"},
            {"chave que não existe", "chave=naoexiste"},
            {"chave exata 547110", "chave=547110"},
            {"desde 60 dias atrás até 59", "desde=" + desde.toLatin1() + "&ate=" + ate.toLatin1()},
            {"desde ontem", "desde=" + QDate::currentDate().addDays(-1).toString(Qt::ISODate).toLatin1()},
            {"integração EAS (1%)", "integracao=EAS"},
            {"integração que não existe", "integracao=Nenhuma"},
            {"desfecho falhou (5%)", "desfecho=falhou"},
            {"desfecho pendente (2%)", "desfecho=pendente"},
            {"desfecho incerto (nenhum)", "desfecho=incerto"},
            {"falhas (falhou, pendente ou incerto)", "desfecho=falhas"},
            {"EAS e falhou", "integracao=EAS&desfecho=falhou"},
            {"Vapora, pendente, chave 47", "integracao=Vapora&desfecho=pendente&chave=47"},
            {"falhou, 60 a 59 dias atrás", "desfecho=falhou&desde=" + desde.toLatin1() + "&ate=" + ate.toLatin1()},
            {"falhou, página após o registro 500000", "desfecho=falhou&antes=" + meio},
        };
        for (const auto& [nome, consulta] : paginas)
            benchmark::RegisterBenchmark((std::string("histórico: ") + nome).c_str(), Historico, consulta)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->MinTime(0.3);
        benchmark::RegisterBenchmark("estado: ciclos e registros por hora de 7 dias", Estado)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(0.3);

        benchmark::Initialize(&argc, argv);
        TRelatorio relatorio;
        benchmark::RunSpecifiedBenchmarks(&relatorio);
        benchmark::Shutdown();

        std::pair<double, double> pior{0, 0};
        std::string qual, qualCpu;
        for (const auto& [nome, tempos] : relatorio.Tempos) {
            if (tempos.first > pior.first)
                pior.first = tempos.first, qual = nome;
            if (tempos.second > pior.second)
                pior.second = tempos.second, qualCpu = nome;
        }
        std::printf("pior tempo real de uma página do console: %.1f ms (%s) (meta < %.0f ms)\n", pior.first,
                    qual.c_str(), MetaMs);
        std::printf("pior tempo de processador de uma página do console: %.1f ms (%s) (meta < %.0f ms)\n",
                    pior.second, qualCpu.c_str(), MetaMs);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_console_historico: %s\n", e.what());
        return 1;
    }
}
