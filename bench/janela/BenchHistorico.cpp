// The "Histórico" tab over a journal of 1 000 000 records (written through
// the monitor's journal, spread over 81 days): the time to open the tab and
// to change each filter, each until the grid has its first page. Goal: each
// under a second.

#include "janela/AbaHistorico.h"
#include "operacao/Diario.h"
#include "janela/ModeloHistorico.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>

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
            {TRegistroTratado::Enviado, QStringLiteral("lote"), QString::number(100000 + i),
             falhou ? TRegistroTratado::Falhou : TRegistroTratado::Enviado,
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
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_historico: %s\n", e.what());
        return 1;
    }
}
