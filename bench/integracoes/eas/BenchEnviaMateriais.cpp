// 10 000 pending materials exported in one pass of EnviaParaEas, against the
// floor: the same select, and per material the same insert and commit on the
// host followed by the same marking and commit on the ERP, run bare through
// Qt SQL on the same databases, each statement prepared once. The ERP is an embedded Firebird
// file; the host tables are an embedded Firebird file, then a PostgreSQL
// database (schema "eas"). The Firebird files are written asynchronously
// (no forced writes), as the PostgreSQL test server is: the figures are then
// the work of the two paths, not the disk's flushes, which vary widely on a
// shared machine.
#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "RelatorGravador.h"
#include "base/Apara.h"
#include "dblayer/firebird/DriverFirebird.h"
#include "integracao/Configuracao.h"
#include "integracoes/eas/Eas.h"

#include <QCoreApplication>
#include <QProcess>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

namespace {

constexpr int TotalMateriais = 10000;
constexpr int Rodadas = 5;

const QString ConsultaMateriais = QStringLiteral(
    "SELECT MATERIAL.CODIGO, SUBSTRING(MATERIAL.DESCRICAO FROM 1 FOR 30), MATERIAL.REPOSICAO \r\n"
    "FROM MATERIAL_001 MATERIAL\r\n"
    "LEFT JOIN GRUPO_MA_001 GRUPO_MAT ON (MATERIAL.GRUPO = GRUPO_MAT.CODIGO)\r\n"
    "WHERE ((MATERIAL.STATUS_EAS33 <> 'N') OR (MATERIAL.STATUS_EAS33 IS NULL))\r\n"
    "AND GRUPO_MAT.DESP = 'S'\r\n");

QString SqlErp()
{
    QString sql = QStringLiteral("INSERT INTO GRUPO_MA_001 (CODIGO, DESP) VALUES ('CO', 'S');\n");
    for (int i = 1; i <= TotalMateriais; ++i)
        sql += QStringLiteral("INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, REPOSICAO) "
                              "VALUES ('M%1', 'Corante reativo número %1 de alta fixação', 'CO', %2.5);\n")
                   .arg(i, 5, 10, QLatin1Char('0'))
                   .arg(i % 50);
    return sql;
}

void EscritaAssincrona(const QString& caminho)
{
    if (QProcess::execute(QStringLiteral("gfix"), {QStringLiteral("-write"), QStringLiteral("async"), caminho}) != 0)
        throw std::runtime_error("gfix -write async falhou em " + caminho.toStdString());
}

void Executa(QSqlQuery& comando)
{
    if (!comando.exec())
        throw std::runtime_error(comando.lastError().text().toStdString());
}

void Executa(QSqlDatabase& banco, const QString& sql)
{
    QSqlQuery comando(banco);
    if (!comando.exec(sql))
        throw std::runtime_error(comando.lastError().text().toStdString() + "\n" + sql.toStdString());
}

// Where the host tables are, and how the floor reaches them.
struct THostBench {
    QString Nome;
    QString Tabela;  // FFROMHOST, qualified as the pass names it
    std::function<void(TKoDatabase&)> Configura;
    std::function<QSqlDatabase()> AbrePiso;
    std::function<void(QSqlDatabase&)> Confirma;  // commit, keeping a transaction open
};


void ConfirmaFirebird(QSqlDatabase& banco)
{
    static_cast<DriverFirebird*>(banco.driver())->commitRetaining();
}

THostBench HostFirebird()
{
    const QString caminho = BancoTeste::criaFirebirdLocal(QStringLiteral("bench_eas_host"), {QStringLiteral("eas_host_firebird.sql")});
    EscritaAssincrona(caminho);
    return {QStringLiteral("host Firebird embutido"), QStringLiteral("FFROMHOST"),
            [caminho](TKoDatabase& banco) {
                banco.SetDriverName(QStringLiteral("FB"));
                banco.SetDatabaseName(caminho);
                banco.User = QStringLiteral("SYSDBA");
            },
            [caminho] { return BancoTeste::abreFirebirdDireto(QStringLiteral("piso_host_fb"), caminho); }, ConfirmaFirebird};
}

THostBench HostPostgres()
{
    const QString nome = BancoTeste::criaPostgresNoEsquema(QStringLiteral("bench_eas_host"), QStringLiteral("eas"),
                                                           {QStringLiteral("eas_host_postgres.sql")});
    return {QStringLiteral("host PostgreSQL"), QStringLiteral("eas.FFROMHOST"),
            [nome](TKoDatabase& banco) {
                banco.SetDriverName(QStringLiteral("PG"));
                banco.SetDatabaseName(AmbienteTeste::pgHost() + u':' + nome);
                banco.Port = AmbienteTeste::pgPorta();
                banco.User = AmbienteTeste::pgUsuario();
                banco.Password = AmbienteTeste::pgSenha();
            },
            [nome] {
                QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("piso_host_pg"));
                banco.setHostName(AmbienteTeste::pgHost());
                banco.setPort(AmbienteTeste::pgPorta());
                banco.setUserName(AmbienteTeste::pgUsuario());
                banco.setPassword(AmbienteTeste::pgSenha());
                banco.setDatabaseName(nome);
                if (!banco.open())
                    throw std::runtime_error(banco.lastError().text().toStdString());
                banco.transaction();
                return banco;
            },
            [](QSqlDatabase& banco) {
                if (!banco.commit())
                    throw std::runtime_error(banco.lastError().text().toStdString());
                banco.transaction();
            }};
}

// Both databases as they were before a pass.
void Reinicia(QSqlDatabase& erp, QSqlDatabase& host, const THostBench& config)
{
    Executa(erp, QStringLiteral("UPDATE MATERIAL_001 SET STATUS_EAS33 = NULL"));
    ConfirmaFirebird(erp);
    Executa(host, QStringLiteral("DELETE FROM ") + config.Tabela);
    config.Confirma(host);
}

// The floor: the pass's statements in its order, straight through
// QSqlQuery: the selection, then for each material its insert committed on
// the host and its marking committed on the ERP, as the pass marks each
// record once its send is confirmed.
int PisoQtSql(QSqlDatabase& erp, QSqlDatabase& host, const THostBench& config)
{
    QSqlQuery materiais(erp);
    materiais.setForwardOnly(true);
    if (!materiais.exec(ConsultaMateriais))
        throw std::runtime_error(materiais.lastError().text().toStdString());
    QSqlQuery insere(host);
    insere.prepare(QStringLiteral("INSERT INTO ") + config.Tabela
                   + QStringLiteral("\r\n(IDTIPO, IDOPERACION, DATOS, FECHA, LEIDO)\r\nVALUES\r\n"
                                    "(:IDTIPO, :IDOPERACION, :DATOS, :FECHA, :LEIDO)\r\n"));
    QSqlQuery marca(erp);
    marca.prepare(QStringLiteral("UPDATE MATERIAL_001 SET\r\nSTATUS_EAS33 = 'N'\r\n"
                                 "WHERE ((STATUS_EAS33 <> 'N') OR (STATUS_EAS33 IS NULL))\r\nAND (CODIGO = :CODIGO)\r\n"));
    int enviados = 0;
    while (materiais.next()) {
        QString registro;
        const int colunas = materiais.record().count();
        for (int i = 0; i < colunas; ++i)
            registro += Apara(materiais.value(i).toString()) + u'|';
        insere.bindValue(QStringLiteral(":IDTIPO"), QStringLiteral("33"));
        insere.bindValue(QStringLiteral(":IDOPERACION"), QStringLiteral("X"));
        insere.bindValue(QStringLiteral(":DATOS"), registro);
        insere.bindValue(QStringLiteral(":FECHA"), QDateTime::currentDateTime());
        insere.bindValue(QStringLiteral(":LEIDO"), QStringLiteral("F"));
        Executa(insere);
        config.Confirma(host);
        marca.bindValue(QStringLiteral(":CODIGO"), materiais.value(0).toString());
        Executa(marca);
        ConfirmaFirebird(erp);
        ++enviados;
    }
    return enviados;
}

void Mede(const QString& bancoErp, const THostBench& config)
{
    TKoDatabase erpEas;
    erpEas.SetDriverName(QStringLiteral("FB"));
    erpEas.SetDatabaseName(bancoErp);
    erpEas.User = QStringLiteral("SYSDBA");
    erpEas.Open();
    TRelatorGravador relator;
    const TConfiguracao configuracao;
    TContextoIntegracao contexto{erpEas, relator, configuracao};
    TEas eas(contexto);
    config.Configura(eas.Dados().KoDatabase2);
    eas.Dados().sSchema = config.Tabela.contains(u'.') ? config.Tabela.section(u'.', 0, 0) : QString();
    eas.Dados().KoDatabase2.Open();

    QSqlDatabase erp = BancoTeste::abreFirebirdDireto(QStringLiteral("piso_erp"), bancoErp);
    QSqlDatabase host = config.AbrePiso();

    qint64 melhorPiso = -1;
    qint64 melhorEas = -1;
    std::vector<double> razoes;
    for (int rodada = 1; rodada <= Rodadas; ++rodada) {
        Reinicia(erp, host, config);
        QElapsedTimer relogio;
        relogio.start();
        const int enviadosPiso = PisoQtSql(erp, host, config);
        const qint64 piso = relogio.elapsed();

        Reinicia(erp, host, config);
        relator.Limpa();
        relogio.restart();
        eas.EnviaParaEas();
        const qint64 tempoEas = relogio.elapsed();

        const int enviados = int(relator.Linhas.filter(QStringLiteral("Sucesso no envio para EAS (33)")).size());
        if (enviadosPiso != TotalMateriais || enviados != TotalMateriais
            || !relator.Linhas.contains(QStringLiteral("Sucesso na alteração do ERP (33) - Materiais")))
            throw std::runtime_error("nem todos os materiais foram enviados e marcados");
        razoes.push_back(double(tempoEas) / double(std::max<qint64>(piso, 1)));
        std::printf("  rodada %d: piso Qt SQL %lld ms, EnviaParaEas %lld ms, razão %.2f\n", rodada,
                    static_cast<long long>(piso), static_cast<long long>(tempoEas), razoes.back());
        melhorPiso = melhorPiso < 0 ? piso : std::min(melhorPiso, piso);
        melhorEas = melhorEas < 0 ? tempoEas : std::min(melhorEas, tempoEas);
    }
    // Each round's two runs see the same load on the machine: the median of
    // the rounds' ratios is the steadier figure.
    std::sort(razoes.begin(), razoes.end());
    std::printf("%d materiais, %s: melhor piso Qt SQL %lld ms (%.0f µs por material), melhor EnviaParaEas %lld ms "
                "(%.0f µs por material), razão %.2f; mediana das razões por rodada %.2f (meta <= 1.20)\n",
                TotalMateriais, qPrintable(config.Nome), static_cast<long long>(melhorPiso),
                1000.0 * double(melhorPiso) / TotalMateriais, static_cast<long long>(melhorEas),
                1000.0 * double(melhorEas) / TotalMateriais,
                double(melhorEas) / double(std::max<qint64>(melhorPiso, 1)), razoes[razoes.size() / 2]);
    std::fflush(stdout);

    erp.close();
    host.close();
    erp = QSqlDatabase();
    host = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("piso_erp"));
    QSqlDatabase::removeDatabase(QStringLiteral("piso_host_fb"));
    QSqlDatabase::removeDatabase(QStringLiteral("piso_host_pg"));
    eas.Encerra();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication aplicacao(argc, argv);
    try {
        const QString bancoErp = BancoTeste::criaFirebirdLocal(QStringLiteral("bench_eas_erp"), {QStringLiteral("erp_firebird.sql")});
        BancoTeste::executaSqlFirebird(bancoErp, SqlErp());
        EscritaAssincrona(bancoErp);
        Mede(bancoErp, HostFirebird());
        Mede(bancoErp, HostPostgres());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_eas: %s\n", e.what());
    }
    return 1;
}
