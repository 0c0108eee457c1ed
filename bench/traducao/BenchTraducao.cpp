// How long the translation takes beside one statement round trip: per
// driver id, the cold translation of the EAS lot query (the largest statement
// the system sends) and a cache hit, against SELECT 1 FROM RDB$DATABASE on an
// embedded Firebird connection. Goals: cold under 10% of the round trip,
// cache hit under 1%.

#include "base/ListaLinhas.h"
#include "dblayer/firebird/DriverFirebird.h"
#include "dblayer/traducao/ConverteSQL.h"
#include "integracoes/eas/ConsultaFals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

// The EAS lot query, exactly as the system sends it.
QString ConsultaLotesEas()
{
    TListaLinhas sql;
    for (const QString& linha : LinhasFals())
        sql.Add(linha);
    return sql.Text();
}

// Average microseconds of one call, over enough calls to fill ~0.3 s.
double Mede(const std::function<void()>& chamada)
{
    for (int i = 0; i < 20; ++i)
        chamada();
    QElapsedTimer relogio;
    qint64 vezes = 0;
    relogio.start();
    do {
        for (int i = 0; i < 50; ++i)
            chamada();
        vezes += 50;
    } while (relogio.nsecsElapsed() < 300'000'000);
    return relogio.nsecsElapsed() / 1000.0 / vezes;
}

QString CriaBancoLocal(const QTemporaryDir& pasta)
{
    const QString caminho = pasta.filePath(QStringLiteral("bench-traducao.fdb"));
    QProcess isql;
    isql.start(QStringLiteral("isql-fb"), {QStringLiteral("-q"), QStringLiteral("-b")});
    isql.write(QStringLiteral("CREATE DATABASE '%1' USER 'SYSDBA';\n").arg(caminho).toUtf8());
    isql.closeWriteChannel();
    if (!isql.waitForFinished(60000) || isql.exitCode() != 0) {
        std::fprintf(stderr, "isql-fb falhou: %s\n", isql.readAllStandardError().constData());
        return {};
    }
    return caminho;
}

// Microseconds of one SELECT 1 FROM RDB$DATABASE, executed and fetched.
double MedeIdaEVolta(const QString& arquivo)
{
    double micros = -1;
    {
        QSqlDatabase banco = QSqlDatabase::addDatabase(new DriverFirebird, QStringLiteral("bench"));
        banco.setDatabaseName(arquivo);
        banco.setUserName(QStringLiteral("SYSDBA"));
        if (!banco.open()) {
            std::fprintf(stderr, "conexão falhou: %s\n", qPrintable(banco.lastError().text()));
        } else {
            QSqlQuery consulta(banco);
            micros = Mede([&consulta] {
                if (!consulta.exec(QStringLiteral("SELECT 1 FROM RDB$DATABASE")) || !consulta.next())
                    qFatal("SELECT 1 falhou: %s", qPrintable(consulta.lastError().text()));
            });
            consulta.finish();
            banco.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    return micros;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString texto = ConsultaLotesEas();
    const ListaColunasFn semDicionario = [](const QString&) { return QStringList(); };

    QTemporaryDir pasta;
    const QString arquivo = CriaBancoLocal(pasta);
    const double idaEVolta = arquivo.isEmpty() ? -1 : MedeIdaEVolta(arquivo);

    std::printf("Consulta de lotes EAS: %lld caracteres, %lld linhas\n",
                static_cast<long long>(texto.size()), static_cast<long long>(texto.count(u'\n')));
    std::printf("SELECT 1 FROM RDB$DATABASE (Firebird embutido): %.2f us\n\n", idaEVolta);
    std::printf("%-8s %12s %10s %12s %10s\n", "driver", "fria (us)", "% ida", "cache (us)", "% ida");
    for (const QString& driver : {QStringLiteral("FB"), QStringLiteral("Ora"), QStringLiteral("PG"),
                                 QStringLiteral("MSSQL"), QStringLiteral("SQLite")}) {
        const double fria = Mede([&] { TraduzSQL(texto, driver, semDicionario); });
        TCacheTraducao cache;
        ConverteSQL(texto, driver, cache, semDicionario);
        // A caller refills the lines with the same source text: equal, not the same object.
        const QString mesmoTexto = QString(texto.constData(), texto.size());
        const double acerto = Mede([&] { ConverteSQL(mesmoTexto, driver, cache, semDicionario); });
        const auto pct = [idaEVolta](double us) { return idaEVolta > 0 ? 100.0 * us / idaEVolta : -1.0; };
        std::printf("%-8s %12.2f %9.2f%% %12.3f %9.3f%%\n", qPrintable(driver), fria, pct(fria), acerto,
                    pct(acerto));
    }
    std::printf("\nMetas: fria < 10%% da ida e volta, acerto de cache < 1%%.\n");
    return idaEVolta > 0 ? 0 : 1;
}
