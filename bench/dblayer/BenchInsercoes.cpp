// What the query layer costs over bare Qt SQL: 10 000 parameterised inserts,
// each followed by a commit retaining, on an embedded Firebird database,
// through TKoQuery::TryExecSQL and through a bare QSqlQuery, in one run.
#include "BancoTeste.h"

#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kInsercoes = 10000;
constexpr int kRodadas = 3;
const char* kTabela = "CREATE TABLE B (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), QTDE NUMERIC(15,3));";

double PelaCamada(const QString& caminho)
{
    TKoDatabase db;
    db.SetDriverName("FB");
    db.SetDatabaseName(caminho);
    db.User = "SYSDBA";
    db.Open();
    TKoQuery q;
    q.SetDatabase(&db);
    QElapsedTimer relogio;
    relogio.start();
    for (int i = 0; i < kInsercoes; ++i) {
        q.SQL.Clear();
        q.SQL.Add("INSERT INTO B (ID, NOME, QTDE)");
        q.SQL.Add("VALUES (:ID, :NOME, :QTDE)");
        q.ParamByName("ID").SetAsInteger(i);
        q.ParamByName("NOME").SetAsString(QStringLiteral("LOTE %1").arg(i));
        q.ParamByName("QTDE").SetAsFloat(i * 0.5);
        q.TryExecSQL();
        db.CommitRetaining();
    }
    return relogio.nsecsElapsed() / 1e6;
}

double PeloQtPuro(const QString& caminho)
{
    double ms = 0;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(new DriverFirebird, "puro");
        c.setDatabaseName(caminho);
        c.setUserName("SYSDBA");
        if (!c.open())
            qFatal("%s", qPrintable(c.lastError().text()));
        auto* driver = static_cast<DriverFirebird*>(c.driver());
        driver->beginTransaction();
        QSqlQuery q(c);
        q.prepare("INSERT INTO B (ID, NOME, QTDE)\r\nVALUES (:ID, :NOME, :QTDE)\r\n");
        QElapsedTimer relogio;
        relogio.start();
        for (int i = 0; i < kInsercoes; ++i) {
            q.bindValue(":ID", i);
            q.bindValue(":NOME", QStringLiteral("LOTE %1").arg(i));
            q.bindValue(":QTDE", i * 0.5);
            if (!q.exec())
                qFatal("%s", qPrintable(q.lastError().text()));
            driver->commitRetaining();
        }
        ms = relogio.nsecsElapsed() / 1e6;
        driver->commitTransaction();
        c.close();
    }
    QSqlDatabase::removeDatabase("puro");
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    double camada = 1e300, puro = 1e300;
    for (int r = 0; r < kRodadas; ++r) {
        const QString basePura = BancoTeste::criaFirebirdLocal("bench_puro", {});
        BancoTeste::executaSqlFirebird(basePura, kTabela);
        puro = std::min(puro, PeloQtPuro(basePura));
        const QString base = BancoTeste::criaFirebirdLocal("bench_camada", {});
        BancoTeste::executaSqlFirebird(base, kTabela);
        camada = std::min(camada, PelaCamada(base));
    }
    std::printf("%d inserções com CommitRetaining, Firebird embutido (melhor de %d rodadas)\n",
                kInsercoes, kRodadas);
    std::printf("  Qt SQL puro:            %9.1f ms  (%8.0f/s)\n", puro, kInsercoes / puro * 1000);
    std::printf("  TKoQuery.TryExecSQL:    %9.1f ms  (%8.0f/s)\n", camada, kInsercoes / camada * 1000);
    std::printf("  razão camada/puro:      %9.3f  (meta: até 1.10)\n", camada / puro);
    return 0;
}
