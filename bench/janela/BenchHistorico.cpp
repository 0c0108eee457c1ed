// The "Histórico" tab over a journal of 1 000 000 records (written through
// the monitor's journal, spread over 81 days): the time to open the tab and
// to change each filter, each until the grid has its first page. Goal: each
// under a second. Then quelix --historico exporting the whole journal to a
// file in each format. Goal: 3 s for text and CSV, 5 s for JSON.

#include "janela/AbaHistorico.h"
#include "operacao/Diario.h"
#include "janela/ModeloHistorico.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>

namespace {

constexpr int TotalRegistros = 1000000;
constexpr int RegistrosPorCiclo = 1000;

// One in a hundred records is EAS's, three in ten Vapora's; one in twenty
// failed.
void EscreveDiario(const QString& arquivo)
{
    TDiario diario(arquivo, [](const QString& aviso) { throw std::runtime_error(aviso.toStdString()); });
    for (int i = 0; i < TotalRegistros; ++i) {
        const QString integracao = i % 100 == 0 ? QStringLiteral("EAS")
                                 : i % 10 < 3   ? QStringLiteral("Vapora")
                                                : QStringLiteral("Bruma");
        if (i % RegistrosPorCiclo == 0)
            diario.CicloIniciado({integracao, QDateTime::currentDateTime()});
        const bool falhou = i % 20 == 0;
        diario.RegistraRegistro(
            integracao,
            {TDirecaoRegistro::Saida, QStringLiteral("lote"), QString::number(100000 + i),
             falhou ? TDesfechoRegistro::Falhou : TDesfechoRegistro::Enviado,
             falhou ? QStringLiteral("Programa não cadastrado") : QString()},
            QStringLiteral("Concluído. FAL %1 enviada para máquina com sucesso para Posição 3.").arg(100000 + i));
        if (i % RegistrosPorCiclo == RegistrosPorCiclo - 1) {
            TFimCiclo fim;
            fim.Fim = QDateTime::currentDateTime();
            diario.CicloTerminado(fim);
        }
    }
}

// Seven seconds between records, the newest now.
void EspalhaNoTempo(const QString& arquivo)
{
    QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("espalha"));
    banco.setDatabaseName(arquivo);
    if (!banco.open())
        throw std::runtime_error(banco.lastError().text().toStdString());
    QSqlQuery comando(banco);
    if (!comando.exec(QStringLiteral(
            "UPDATE REGISTROS SET MOMENTO = strftime('%Y-%m-%dT%H:%M:%fZ', 'now', "
            "'-' || (((SELECT MAX(ID) FROM REGISTROS) - ID) * 7) || ' seconds')")))
        throw std::runtime_error(comando.lastError().text().toStdString());
    banco.close();
    banco = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("espalha"));
}

// The page is read on the tab's own thread: the time counts until it is in
// the grid.
void EsperaPagina(TAbaHistorico& aba)
{
    while (aba.Modelo().Lendo())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The processor time of the children waited for so far, in ms.
qint64 CpuDosFilhosMs()
{
    rusage uso{};
    getrusage(RUSAGE_CHILDREN, &uso);
    return (qint64(uso.ru_utime.tv_sec) + uso.ru_stime.tv_sec) * 1000 + (uso.ru_utime.tv_usec + uso.ru_stime.tv_usec) / 1000;
}

// quelix --historico over the whole journal of `pasta`, written to a file
// as a user's redirection would; its time in ms, and in `cpu` the processor
// time it took (on a machine shared with other work, the two differ).
qint64 Exporta(const QString& pasta, const QString& formato, qint64& bytes, qint64& cpu)
{
    const qint64 cpuAntes = CpuDosFilhosMs();
    QProcess quelix;
    const QString saida = QDir(pasta).filePath(QStringLiteral("exportado.") + formato);
    quelix.setStandardOutputFile(saida);
    QElapsedTimer relogio;
    relogio.start();
    quelix.start(QStringLiteral(QUELIX_EXECUTAVEL), {"--historico", "--formato", formato, "--pasta", pasta});
    if (!quelix.waitForFinished(600000) || quelix.exitStatus() != QProcess::NormalExit || quelix.exitCode() != 0)
        throw std::runtime_error("quelix --historico --formato " + formato.toStdString() + " falhou: "
                                 + quelix.readAllStandardError().toStdString());
    const qint64 ms = relogio.elapsed();
    cpu = CpuDosFilhosMs() - cpuAntes;
    bytes = QFileInfo(saida).size();
    QFile::remove(saida);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacao(argc, argv);
    try {
        QTemporaryDir pasta;
        const QString arquivo = TDiario::Arquivo(pasta.path());
        QElapsedTimer relogio;
        relogio.start();
        EscreveDiario(arquivo);
        EspalhaNoTempo(arquivo);
        std::printf("diário de %d registros escrito em %lld ms\n", TotalRegistros,
                    static_cast<long long>(relogio.elapsed()));

        qint64 pior = 0;
        auto mede = [&pior](const char* acao, const std::function<void()>& passo, TAbaHistorico& aba) {
            QElapsedTimer tempo;
            tempo.start();
            passo();
            EsperaPagina(aba);
            QApplication::processEvents();  // the grid lays out its first page
            const qint64 ms = tempo.elapsed();
            pior = std::max(pior, ms);
            std::printf("%-45s %5lld ms, %d linhas na grade\n", acao, static_cast<long long>(ms),
                        aba.Modelo().rowCount());
        };

        std::unique_ptr<TAbaHistorico> aba;
        QElapsedTimer tempoAbertura;
        tempoAbertura.start();
        aba = std::make_unique<TAbaHistorico>(arquivo);
        aba->resize(900, 500);
        aba->show();
        aba->Atualiza();
        EsperaPagina(*aba);
        QApplication::processEvents();
        pior = tempoAbertura.elapsed();
        std::printf("%-45s %5lld ms, %d linhas na grade\n", "abrir a aba", static_cast<long long>(pior),
                    aba->Modelo().rowCount());

        TAbaHistorico& a = *aba;
        mede("desfecho: falhou", [&a] { a.CbDesfecho->setCurrentIndex(a.CbDesfecho->findData("falhou")); }, a);
        mede("integração: EAS (1% dos registros)", [&a] { a.CbIntegracao->setCurrentIndex(a.CbIntegracao->findData("EAS")); }, a);
        mede("chave: 4711 (rara), com os filtros acima", [&a] { a.EdChave->setText(QStringLiteral("4711")); }, a);
        mede("sem filtros", [&a] {
            a.EdChave->clear();
            a.CbIntegracao->setCurrentIndex(0);
            a.CbDesfecho->setCurrentIndex(0);
        }, a);
        mede("chave que não existe", [&a] { a.EdChave->setText(QStringLiteral("naoexiste")); }, a);
        mede("desde 60 dias atrás até 59 dias atrás", [&a] {
            a.EdChave->clear();
            a.DtDesde->setDate(QDate::currentDate().addDays(-60));
            a.DtAte->setDate(QDate::currentDate().addDays(-59));
            a.CbDesde->setChecked(true);
            a.CbAte->setChecked(true);
        }, a);
        mede("rolar até o fim de 10 páginas", [&a] {
            for (int i = 0; i < 10; ++i)
                a.DBGrid2->scrollToBottom(), QApplication::processEvents(), EsperaPagina(a);
        }, a);
        std::printf("pior tempo: %lld ms (meta < 1000 ms)\n", static_cast<long long>(pior));
        aba.reset();

        for (const auto& [formato, meta] : {std::pair{"texto", 3000}, std::pair{"csv", 3000}, std::pair{"json", 5000}}) {
            qint64 melhor = -1, melhorCpu = -1, bytes = 0;
            for (int rodada = 0; rodada < 3; ++rodada) {
                qint64 cpu = 0;
                const qint64 ms = Exporta(pasta.path(), QString::fromLatin1(formato), bytes, cpu);
                melhor = melhor < 0 ? ms : std::min(melhor, ms);
                melhorCpu = melhorCpu < 0 ? cpu : std::min(melhorCpu, cpu);
            }
            std::printf("quelix --historico --formato %-5s %d registros: %5lld ms (processador %lld ms), %lld MB "
                        "(meta <= %d ms)\n",
                        formato, TotalRegistros, static_cast<long long>(melhor), static_cast<long long>(melhorCpu),
                        static_cast<long long>(bytes >> 20), meta);
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_historico: %s\n", e.what());
        return 1;
    }
}
