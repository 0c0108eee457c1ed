// 1 000 pending lots sent to the machine queue in one pass, against the
// floor: the same statements run directly through bare Qt SQL on the same
// two databases (the ERP on embedded Firebird, the queue on PostgreSQL
// through its ODBC data source). The pass also runs with the monitor's
// journal (one SQLite row per lot, written on the journal's thread, the
// pass ending when they are written, as a cycle does) behind its reporting
// interface, against the same pass without it.
//
// Then the queue as shipped, SQLite through its ODBC driver: the same pass
// over a queue with 100 000 finished rows (months of a site's lots, 10 000
// per machine) against the empty queue, per lot and in peak resident
// memory, and a cycle with nothing pending over each.
#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "RelatorGravador.h"
#include "SiteBrumaBench.h"
#include "integracoes/bruma/Bruma.h"
#include "integracoes/bruma/HoraParaDecimal.h"
#include "integracoes/bruma/LinhaOB.h"
#include "integracoes/bruma/NumeroOB.h"
#include "base/TextoAscii.h"
#include "base/Erros.h"
#include "base/ListaLinhas.h"
#include "integracao/Configuracao.h"
#include "integracao/Integracao.h"
#include "operacao/Diario.h"
#include "operacao/LeituraDiario.h"
#include "operacao/ObservadorDiario.h"
#include "monitor/RelatorDoCiclo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr int TotalLotes = 1000;
constexpr int TotalMaquinas = 10;
constexpr int Rodadas = 5;

const QString PrefixoOdbc = QStringLiteral("Provider=MSDASQL.1;Persist Security Info=False;Data Source=");

QString SqlErp() { return SqlErpBruma(TotalLotes, TotalMaquinas); }

QString SqlFila()
{
    QString sql = SqlEncadeamentosBruma();
    for (int i = 0; i < 200; ++i)
        sql += QStringLiteral("INSERT INTO OB (NUMEROOB, MAQUINA, STATUSTERMINO) VALUES ('%1', 'M%2', '%3');\n")
                   .arg(900000 + i).arg(i % TotalMaquinas).arg(i % 2);
    return sql;
}

void Executa(QSqlQuery& consulta, const QString& sql)
{
    if (!consulta.exec(sql))
        throw std::runtime_error(consulta.lastError().text().toStdString() + "\n" + sql.toStdString());
}

void Confirma(QSqlDatabase& banco)
{
    if (!banco.commit())
        throw std::runtime_error(banco.lastError().text().toStdString());
    banco.transaction();
}

// Puts both databases back as they were before a pass.
void Reinicia(QSqlDatabase& erp, QSqlDatabase& fila)
{
    QSqlQuery e(erp);
    Executa(e, QStringLiteral("UPDATE FAL_001 SET STATUS_QX = NULL"));
    Confirma(erp);
    QSqlQuery f(fila);
    Executa(f, QStringLiteral("DELETE FROM OB WHERE NUMEROOB NOT LIKE '9%'"));
    Confirma(fila);
}

QString ConsultaLotes()
{
    return QStringLiteral(
        "SELECT FAL.NUMERO, SUM(FAL_ITEN.ROLO) AS PECAS, SUM(FAL_ITEN.PESO) AS PESO, \r\n"
        "FAL.MAQUINA, ENTIDADE.NOME, FAL.COR, CADCORTIN.COR_SIS, GRAFICO.TEMPO \r\n"
        "FROM FAL_001 FAL \r\n"
        "INNER JOIN FAL_ITEN_001 FAL_ITEN ON (FAL.NUMERO = FAL_ITEN.FAL)\r\n"
        "LEFT OUTER JOIN ENTIDADE_001 ENTIDADE ON (FAL.CLIENTE = ENTIDADE.CODCLI)\r\n"
        "LEFT OUTER JOIN CADCORTIN_001 CADCORTIN ON (FAL.COR = CADCORTIN.CODIGO)\r\n"
        "LEFT OUTER JOIN RECEITA_001 RECEITA ON (FAL.COR = RECEITA.COR AND FAL.VARIANTE = RECEITA.VARIANTE)\r\n"
        "LEFT OUTER JOIN GRAFICO_001 GRAFICO ON (RECEITA.GRAFICO = GRAFICO.CODIGO)\r\n"
        "WHERE FAL.STATUS_QX IS NULL OR FAL.STATUS_QX = ''\r\n"
        "GROUP BY FAL.NUMERO, FAL.MAQUINA, ENTIDADE.NOME, FAL.COR, CADCORTIN.COR_SIS, GRAFICO.TEMPO \r\n");
}

void Prepara(QSqlQuery& q, const QString& sql)
{
    if (!q.prepare(sql))
        throw std::runtime_error(q.lastError().text().toStdString() + "\n" + sql.toStdString());
}

void Roda(QSqlQuery& q)
{
    if (!q.exec())
        throw std::runtime_error(q.lastError().text().toStdString() + "\n" + q.lastQuery().toStdString());
}

int Posicao(QSqlQuery& q, const QString& maquina)
{
    q.bindValue(QStringLiteral(":MAQUINA"), maquina);
    Roda(q);
    q.next();
    return q.value(0).toInt() + 1;
}

// The floor: the pass's statements, in its order, with the same values
// bound, straight through QSqlQuery.
int PisoQtSql(QSqlDatabase& erp, QSqlDatabase& fila)
{
    QSqlQuery lotes(erp);
    lotes.setForwardOnly(true);
    Executa(lotes, ConsultaLotes());
    std::vector<std::vector<QVariant>> linhas;
    while (lotes.next()) {
        std::vector<QVariant> linha;
        for (int i = 0; i < 8; ++i)
            linha.push_back(lotes.value(i));
        linhas.push_back(std::move(linha));
    }
    QSqlQuery q(fila);
    q.setForwardOnly(true);
    Executa(q, QStringLiteral("SELECT * FROM OB WHERE 1 = 0\r\n"));
    while (q.next()) {
    }
    QSqlQuery emAndamento(fila), encadeamentos(fila), posicao(fila), apaga(fila), insere(fila), marca(erp);
    for (QSqlQuery* c : {&emAndamento, &encadeamentos, &posicao})
        c->setForwardOnly(true);
    Prepara(emAndamento, "SELECT * FROM OB \r\nWHERE NUMEROOB = :NUMEROOB\r\nAND STATUSTERMINO <> '0'\r\n");
    Prepara(encadeamentos, "SELECT * FROM ENCADEAMENTO \r\nWHERE NOME = :NOME\r\n");
    Prepara(posicao, "SELECT COUNT(*) AS POSICAO FROM OB \r\nWHERE MAQUINA = :MAQUINA\r\n");
    Prepara(apaga, "DELETE FROM OB WHERE NUMEROOB = :NUMEROOB\r\n");
    TListaLinhas insert;
    AdicionaInsertOB(insert);
    Prepara(insere, insert.Text());
    Prepara(marca, "UPDATE FAL_001 SET STATUS_QX = 'E'\r\nWHERE NUMERO  = :NUMERO\r\n");
    int enviados = 0;
    for (const auto& l : linhas) {
        const QString numero = l[0].toString();
        const QString n = NumeroOB(numero);
        const QString maquina = l[3].toString();
        if (maquina.trimmed().isEmpty())
            continue;
        emAndamento.bindValue(QStringLiteral(":NUMEROOB"), n);
        Roda(emAndamento);
        if (emAndamento.next())
            continue;
        encadeamentos.bindValue(QStringLiteral(":NOME"), l[5].toString());
        Roda(encadeamentos);
        if (!encadeamentos.next())
            continue;
        std::array<QString, 5> receitas;
        for (int i = 0; i < 5; ++i)
            receitas[size_t(i)] = encadeamentos.value(QStringLiteral("RECEITA%1").arg(i + 1)).toString();
        const TEncadeamento encadeamento{receitas};
        const int p1 = Posicao(posicao, maquina);

        const QDateTime agora = QDateTime::currentDateTime();
        const QVariantList valores{
            n, l[1], maquina, l[4].toString().left(50), l[2], l[5], l[5], l[6].toLongLong(), QStringLiteral("0"),
            p1, agora, agora, agora, encadeamento.TotalReceitas(), receitas[0], receitas[1], receitas[2],
            receitas[3], receitas[4], 0, MinutosProgramados(HoraParaDecimal(l[7].toString()).Horas)};
        apaga.bindValue(QStringLiteral(":NUMEROOB"), n);
        Roda(apaga);
        for (int i = 0; i < valores.size(); ++i)
            insere.bindValue(i, valores[i]);
        Roda(insere);
        marca.bindValue(QStringLiteral(":NUMERO"), numero);
        Roda(marca);
        Confirma(fila);
        Confirma(erp);
        ++enviados;
    }
    return enviados;
}

// The process's resident memory (VmRSS) and its peak since the last reset
// (VmHWM), in kB.
qint64 MemoriaKb(const char* campo)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        throw std::runtime_error("/proc/self/status não pôde ser lido");
    for (const QByteArray& linha : status.readAll().split('\n'))
        if (linha.startsWith(campo))
            return linha.mid(qsizetype(std::strlen(campo))).trimmed().split(' ').front().toLongLong();
    throw std::runtime_error(std::string("sem ") + campo + " em /proc/self/status");
}

void ZeraPicoMemoria()
{
    QFile limpa(QStringLiteral("/proc/self/clear_refs"));
    if (!limpa.open(QIODevice::WriteOnly) || limpa.write("5") != 1)
        throw std::runtime_error("/proc/self/clear_refs não aceitou 5: o pico de memória não pode ser zerado");
}

// 100 000 lots the machines finished long ago, 10 000 per machine, with
// their columns filled as a real queue's are.
QString SqlFilaAntiga()
{
    return QStringLiteral(
        "WITH RECURSIVE N(I) AS (SELECT 0 UNION ALL SELECT I + 1 FROM N WHERE I < 99999) "
        "INSERT INTO OB (NUMEROOB, PECAS, MAQUINA, CLIENTE, PESO, ENCADEAMENTO, COR, RGB, STATUSTERMINO, POSICAO, "
        "DATAPROG, DATAINICIO, DATAFIM, TOTALRECEITAS, RECEITA01, RECEITA02, RECEITA03, RECEITA04, RECEITA05, "
        "TEMPOTOTAL, TEMPOPROG) "
        "SELECT 500000 + I, '22', 'M' || (I % %1), 'Malharia e Tinturaria Cliente Antigo ' || (I % 97), '220.75', "
        "'COR' || (I % 5 + 1), 'COR' || (I % 5 + 1), 16711680, '2', I / %1 + 1, '2025-01-02 08:00:00', "
        "'2025-01-02 08:00:00', '2025-01-02 09:30:00', 3, 'PRE', 'TINGE', 'LAVA', '', '', 0, 90 FROM N")
        .arg(TotalMaquinas);
}

struct TMedidaFila {
    double UsPorLote = 0;
    qint64 PicoKb = 0;       // peak resident memory above the start of the pass
    double MsSemPendentes = 0;  // one cycle once every lot went
};

// As the monitor ends a cycle: no transaction left open on either side
// (on SQLite an open one would lock the writers out).
void FimDoCiclo(TBruma& bruma)
{
    bruma.Dados().KoQuery1.Close();
    bruma.Dados().KoQuery2.Close();
    bruma.Dados().KoDatabase2.FinalizaTransacao();
    bruma.Dados().KoDatabase1.FinalizaTransacao();
}

// The Bruma pass over the queue on SQLite, the best of `Rodadas`.
TMedidaFila MedeFilaSqlite(TBruma& bruma, TRelatorGravador& relator, QSqlDatabase& erp, QSqlDatabase& fila)
{
    TMedidaFila medida{-1, 0, -1};
    for (int rodada = 0; rodada < Rodadas; ++rodada) {
        QSqlQuery e(erp);
        Executa(e, QStringLiteral("UPDATE FAL_001 SET STATUS_QX = NULL"));
        Confirma(erp);
        QSqlQuery f(fila);
        Executa(f, QStringLiteral("DELETE FROM OB WHERE STATUSTERMINO = '0'"));
        relator.Limpa();
        const qint64 antes = MemoriaKb("VmRSS:");
        ZeraPicoMemoria();
        QElapsedTimer relogio;
        relogio.start();
        bruma.ConsultaLotesBruma();
        bruma.EnviaLotesBruma();
        const double us = double(relogio.nsecsElapsed()) / 1e3 / TotalLotes;
        FimDoCiclo(bruma);
        const qint64 pico = MemoriaKb("VmHWM:") - antes;
        if (relator.Linhas.size() != TotalLotes)
            throw std::runtime_error("nem todos os lotes foram enviados à fila SQLite:\n"
                                     + relator.Linhas.mid(0, 5).join('\n').toStdString());
        relogio.restart();
        bruma.ConsultaLotesBruma();
        bruma.EnviaLotesBruma();
        const double semPendentes = double(relogio.nsecsElapsed()) / 1e6;
        FimDoCiclo(bruma);
        medida.UsPorLote = medida.UsPorLote < 0 ? us : std::min(medida.UsPorLote, us);
        medida.PicoKb = std::max(medida.PicoKb, pico);
        medida.MsSemPendentes = medida.MsSemPendentes < 0 ? semPendentes : std::min(medida.MsSemPendentes, semPendentes);
    }
    return medida;
}

void MedeFilaAntiga(TKoDatabase& erpBruma, QSqlDatabase& erp)
{
    const QString dsn = AmbienteTeste::nomeUnico(QStringLiteral("bench_bruma_sqlite"));
    BancoTeste::criaSqliteOdbc(dsn, {QStringLiteral("bruma_sqlite.sql")});
    QSqlDatabase fila = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("fila_sqlite"));
    fila.setDatabaseName(dsn);
    if (!fila.open())
        throw std::runtime_error(fila.lastError().text().toStdString());
    {
        QSqlQuery f(fila);
        for (int c = 1; c <= 5; ++c)
            Executa(f, QStringLiteral("INSERT INTO ENCADEAMENTO (NOME, RECEITA1, RECEITA2, RECEITA3, RECEITA4, RECEITA5) "
                                      "VALUES ('COR%1', 'PRE', 'TINGE', 'LAVA', '', '')").arg(c));
    }

    TRelatorGravador relator;
    const TConfiguracao configuracao;
    TContextoIntegracao contexto{erpBruma, relator, configuracao};
    TBruma bruma(contexto);
    TKoDatabase& filaBruma = bruma.Dados().KoDatabase2;
    filaBruma.SetDriverName(QStringLiteral("FB"));
    filaBruma.SetDatabaseName(PrefixoOdbc + dsn);
    filaBruma.Open();

    const TMedidaFila vazia = MedeFilaSqlite(bruma, relator, erp, fila);
    {
        QSqlQuery f(fila);
        Executa(f, SqlFilaAntiga());
    }
    const TMedidaFila antiga = MedeFilaSqlite(bruma, relator, erp, fila);
    std::printf("fila SQLite vazia: %.0f us por lote, pico de memória +%lld kB; ciclo sem lotes pendentes %.1f ms\n",
                vazia.UsPorLote, static_cast<long long>(vazia.PicoKb), vazia.MsSemPendentes);
    std::printf("fila SQLite com 100 000 lotes terminados: %.0f us por lote, pico de memória +%lld kB; ciclo sem "
                "lotes pendentes %.1f ms\n",
                antiga.UsPorLote, static_cast<long long>(antiga.PicoKb), antiga.MsSemPendentes);
    std::printf("fila SQLite antiga / vazia: %.2f por lote (meta <= 1.20), memória %+lld kB (meta: plana)\n",
                antiga.UsPorLote / vazia.UsPorLote, static_cast<long long>(antiga.PicoKb - vazia.PicoKb));
    bruma.Encerra();
    fila.close();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication aplicacao(argc, argv);
    try {
        const QString bancoErp = BancoTeste::criaFirebirdLocal(QStringLiteral("bench_bruma_erp"), {QStringLiteral("erp_firebird.sql")});
        BancoTeste::executaSqlFirebird(bancoErp, SqlErp());
        const QString bancoFila = BancoTeste::criaPostgres(QStringLiteral("bench_bruma_fila"), {QStringLiteral("bruma_postgres.sql")});
        BancoTeste::executaSqlPostgres(bancoFila, SqlFila());
        const QString dsn = BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico(QStringLiteral("bench_bruma")), bancoFila);

        TKoDatabase erpBruma;
        erpBruma.SetDriverName(QStringLiteral("FB"));
        erpBruma.SetDatabaseName(bancoErp);
        erpBruma.Open();
        TRelatorGravador relator;
        // The monitor's reporting interface, with or without its journal.
        TRelatorDoCiclo relatorDoCiclo(relator);
        QStringList avisosDiario;
        const auto avisaDiario = [&avisosDiario](const QString& aviso) { avisosDiario << aviso; };
        TObservadorDiario observadorDiario(
            TConfiguracao(QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("bench_diario"))),
            avisaDiario);
        const QList<TObservadorCiclo*> observadores{&observadorDiario};
        // The journal alone, written in this thread, in a file of its own.
        TDiario diario(TDiario::Arquivo(QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("bench_diario"))),
                       avisaDiario);
        const TConfiguracao configuracao;
        TContextoIntegracao contexto{erpBruma, relatorDoCiclo, configuracao};
        TBruma bruma(contexto);
        TKoDatabase& filaBruma = bruma.Dados().KoDatabase2;
        filaBruma.SetDriverName(QStringLiteral("FB"));
        filaBruma.SetDatabaseName(PrefixoOdbc + dsn);
        filaBruma.User = AmbienteTeste::pgUsuario();
        filaBruma.Password = AmbienteTeste::pgSenha();
        filaBruma.Open();

        // The floor's own connections: the project's Firebird driver is the
        // only Qt SQL driver for the ERP file; the queue through stock QODBC.
        TKoDatabase erpPiso;
        erpPiso.SetDriverName(QStringLiteral("FB"));
        erpPiso.SetDatabaseName(bancoErp);
        erpPiso.Open();
        QSqlDatabase erp = erpPiso.Conexao();
        QSqlDatabase fila = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), QStringLiteral("piso_fila"));
        fila.setDatabaseName(dsn);
        fila.setUserName(AmbienteTeste::pgUsuario());
        fila.setPassword(AmbienteTeste::pgSenha());
        if (!fila.open())
            throw std::runtime_error(fila.lastError().text().toStdString());
        erp.transaction();
        fila.transaction();
        // `bench_bruma sqlite`: only the queue on SQLite.
        if (argc > 1 && QByteArray(argv[1]) == "sqlite") {
            fila.close();
            MedeFilaAntiga(erpBruma, erp);
            return 0;
        }

        // One pass of the integration; its time.
        auto passo = [&](bool comDiario) {
            Reinicia(erp, fila);
            relator.Limpa();
            relatorDoCiclo.DefineObservadores(comDiario ? &observadores : nullptr);
            relatorDoCiclo.IniciaCiclo(QStringLiteral("Bruma"));
            QElapsedTimer relogio;
            relogio.start();
            if (comDiario)
                observadorDiario.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime()});
            bruma.ConsultaLotesBruma();
            bruma.EnviaLotesBruma();
            if (comDiario) {
                TFimCiclo fim;
                fim.Integracao = QStringLiteral("Bruma");
                fim.Fim = QDateTime::currentDateTime();
                observadorDiario.CicloConcluidoNaThread(fim);
            }
            const qint64 tempo = relogio.elapsed();
            QCoreApplication::processEvents();  // what the journal said
            if (!avisosDiario.isEmpty())
                throw std::runtime_error(avisosDiario.join(u'\n').toStdString());
            bruma.Dados().KoQuery1.Close();
            bruma.Dados().KoQuery2.Close();
            if (relator.Linhas.size() != TotalLotes || relatorDoCiclo.Enviados() != TotalLotes)
                throw std::runtime_error("nem todos os lotes foram enviados");
            return tempo;
        };

        qint64 melhorPiso = -1, melhorBruma = -1, melhorComDiario = -1;
        for (int rodada = 0; rodada < Rodadas; ++rodada) {
            Reinicia(erp, fila);
            QElapsedTimer relogio;
            relogio.start();
            const int enviadosPiso = PisoQtSql(erp, fila);
            const qint64 piso = relogio.elapsed();

            const qint64 tempoBruma = passo(false);
            const qint64 tempoComDiario = passo(true);
            if (enviadosPiso != TotalLotes)
                throw std::runtime_error("nem todos os lotes foram enviados pelo piso");
            std::printf("rodada %d: piso Qt SQL %lld ms, EnviaLotesBruma %lld ms, com o histórico %lld ms\n",
                        rodada + 1, static_cast<long long>(piso), static_cast<long long>(tempoBruma),
                        static_cast<long long>(tempoComDiario));
            melhorPiso = melhorPiso < 0 ? piso : std::min(melhorPiso, piso);
            melhorBruma = melhorBruma < 0 ? tempoBruma : std::min(melhorBruma, tempoBruma);
            melhorComDiario = melhorComDiario < 0 ? tempoComDiario : std::min(melhorComDiario, tempoComDiario);
        }
        std::printf("%d lotes: piso Qt SQL %lld ms, EnviaLotesBruma %lld ms, razão %.2f (meta <= 1.20)\n",
                    TotalLotes, static_cast<long long>(melhorPiso), static_cast<long long>(melhorBruma),
                    double(melhorBruma) / double(std::max<qint64>(melhorPiso, 1)));
        std::printf("%d lotes: EnviaLotesBruma %lld ms, com o histórico %lld ms, razão %.3f (meta <= 1.05)\n",
                    TotalLotes, static_cast<long long>(melhorBruma), static_cast<long long>(melhorComDiario),
                    double(melhorComDiario) / double(std::max<qint64>(melhorBruma, 1)));
        // The journal alone: as many records as the pass writes, with the
        // content the last pass gave them (the OB rows, read back).
        QStringList conteudos;
        qint64 bytesConteudo = 0;
        observadorDiario.Espera(TObservadorDiario::EsperaMaximaMs);
        for (const TLinhaHistorico& linha : TLeituraDiario(observadorDiario.Arquivo()).Pagina({}, 0, TotalLotes)) {
            conteudos.prepend(linha.Conteudo);
            bytesConteudo += linha.Conteudo.toUtf8().size();
        }
        QElapsedTimer relogio;
        relogio.start();
        diario.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime()});
        for (int i = 0; i < TotalLotes; ++i)
            diario.RegistraRegistro(QStringLiteral("Bruma"),
                                    {TDirecaoRegistro::Saida, QStringLiteral("lote"), QString::number(100000 + i),
                                     TDesfechoRegistro::Enviado, {}, conteudos.value(i)},
                                    relator.Linhas.value(i));
        const double msDiario = double(relogio.nsecsElapsed()) / 1e6;
        std::printf("histórico sozinho: %d registros (conteúdo de %lld bytes em média) em %.1f ms (%.1f us por "
                    "registro), razão (passo + histórico) / passo %.3f (meta <= 1.05)\n",
                    TotalLotes, static_cast<long long>(bytesConteudo / std::max<qsizetype>(conteudos.size(), 1)),
                    msDiario, msDiario * 1000.0 / TotalLotes,
                    (double(melhorBruma) + msDiario) / double(std::max<qint64>(melhorBruma, 1)));
        fila.close();

        MedeFilaAntiga(erpBruma, erp);
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "bench_bruma: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_bruma: %s\n", e.what());
    }
    return 1;
}
