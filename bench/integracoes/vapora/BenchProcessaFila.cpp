// 1 000 pending queue rows sent to a local test SOAP service in one pass
// (SelecionaFila, ProcessaFila: the ten kinds in turn, the lot read for each
// order and programme, a status update and commit per row on an embedded
// Firebird ERP), against the floor: the same statements run bare through Qt
// SQL, each prepared once (the queue's selection, the lot query of each
// order and programme, the lot looked up for each start permission, each
// row's status update and commit), and the very
// requests the service received posted again one after the other by a bare
// QNetworkAccessManager.
//
// The ERP is made from the shipped schema (the queue's ORDEM indexed, as a
// queue that grows for years needs) and writes asynchronously (the test PostgreSQL runs without
// fsync too): the figures are the code's, not the disk's.
#include "BancoTeste.h"
#include "FilaVaporaTeste.h"
#include "RelatorGravador.h"
#include "ServicoSoapTeste.h"
#include "base/Erros.h"
#include "dblayer/KoQuery.h"
#include "dblayer/firebird/DriverFirebird.h"
#include "integracao/Configuracao.h"
#include "integracoes/vapora/Consultas.h"
#include "integracoes/vapora/EnviaOP.h"
#include "integracoes/vapora/EnviaProgramacao.h"
#include "integracoes/vapora/Vapora.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

constexpr int TotalLinhas = 1000;
constexpr int Rodadas = 5;

// A lot with one item, one consumption and a machine with a bath, for the
// order and programme rows.
const char* const SqlLote = R"(
INSERT INTO BANHO_001 (CODIGO, PROPORCAO) VALUES ('B8', 8);
INSERT INTO MAQ_TIN_001 (CODIGO, TIPO, RELAC_BANHO) VALUES ('12', '7', 'B8');
INSERT INTO MATERIAL_001 (CODIGO, CONCENTRACAO) VALUES ('M1', 1.5);
INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('4711', 'AZUL', '12', '345', 'ALG');
INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, CODIGO, PESO, ROLO) VALUES ('4711', 1, 'MEIA', 100, 10);
INSERT INTO TNG_CONSUMOS_001 (FAL, ORDEM, PASSO, CODIGO, CONSUMO, UNIDADE, BANHO, TIPO) VALUES ('4711', 1, '1', 'M1', 2.5, 'KG', 'B8', '1');
)";

// The ten kinds in turn, each with values of its own.
QString SqlFila()
{
    static const char* const modelos[] = {
        "'AR', 'S', 'A%1', 'Artigo %1', ''",  "'CL', 'S', '%1', 'Cliente %1', ''",
        "'CO', 'S', 'C%1', 'Cor %1', '%1'",   "'CP', 'S', 'CP%1', 'Classe %1', ''",
        "'SP', 'S', 'SC%1', 'Sub %1', 'CP1'", "'PR', 'S', 'P%1', 'Produto %1', 'SC1'",
        "'OP', 'S', '4711', '', ''",          "'PG', 'S', '4711', '', ''",
        "'TF', 'D', '%1', 'Fio %1', ''",      "'PI', 'S', '4711', 'T', ''",
    };
    QString sql = QString::fromUtf8(SqlLote);
    for (int i = 1; i <= TotalLinhas; ++i)
        sql += QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, CAMPO3) VALUES (%1, ")
                   .arg(i)
               + QString::fromLatin1(modelos[i % 10]).replace(QLatin1String("%1"), QString::number(i))
               + QStringLiteral(");\n");
    return sql;
}

void EscreveIni(const QString& pasta, const TServicoSoapTeste& servico)
{
    QFile arquivo(QDir(pasta).filePath(QStringLiteral("QX.ini")));
    if (!arquivo.open(QIODevice::WriteOnly))
        throw std::runtime_error("não foi possível escrever o QX.ini do benchmark");
    arquivo.write(SecaoVaporaNoServico(servico).toUtf8());
}

void EscritaAssincrona(const QString& arquivoErp)
{
    QProcess gfix;
    gfix.start(QStringLiteral("gfix"), {QStringLiteral("-write"), QStringLiteral("async"), arquivoErp});
    if (!gfix.waitForFinished(60000) || gfix.exitCode() != 0)
        throw std::runtime_error("gfix -write async falhou (pacote firebird3.0-utils): "
                                 + gfix.readAllStandardError().toStdString());
}

void ReabreFila(TKoDatabase& erp)
{
    TKoQuery comando;
    comando.SetDatabase(&erp);
    comando.SQL.Add(QStringLiteral("UPDATE QX_INTEGRA SET STATUS = NULL"));
    comando.ExecSQL();
    erp.CommitRetaining();
}

QSqlQuery Prepara(QSqlDatabase& erp, const QString& texto)
{
    QSqlQuery consulta(erp);
    consulta.setForwardOnly(true);
    if (!consulta.prepare(texto))
        throw std::runtime_error(consulta.lastError().text().toStdString());
    return consulta;
}

// A statement of the pass as its lines joined, the lot number a positional
// parameter.
QString TextoDoLote(const QStringList& linhas)
{
    return linhas.join(QStringLiteral("\r\n")).replace(QLatin1String(":NUMERO"), QLatin1String("?"));
}

void Executa(QSqlQuery& consulta)
{
    if (!consulta.exec())
        throw std::runtime_error(consulta.lastError().text().toStdString());
    while (consulta.next()) {
    }
}

// The floor: the pending rows selected, then for each row, in ORDEM order
// (the order the pass sent them in), the lot query of an order or a
// programme, the lot's look-up of a start permission, its request as the service received it, posted by one network
// manager and answered before the next, its status update (the statement
// the pass sends, ORDEM bound) and a commit.
int PisoBruto(const QString& base, const QList<TPedidoRecebido>& pedidos, QSqlDatabase& erp)
{
    QNetworkAccessManager rede;
    QSqlQuery fila = Prepara(erp, QStringLiteral("SELECT * FROM QX_INTEGRA WHERE STATUS = 0 OR STATUS IS NULL"));
    QSqlQuery lote = Prepara(erp, TextoDoLote(LinhasLote()));
    QSqlQuery consumos = Prepara(erp, TextoDoLote(LinhasConsumos(false)));
    QSqlQuery existe = Prepara(erp, TextoDoLote(LinhasLoteExiste()));
    QSqlQuery atualiza = Prepara(erp, QStringLiteral("UPDATE QX_INTEGRA SET STATUS = 1 WHERE (STATUS = 0 OR STATUS IS NULL) "
                                                     "AND ORDEM = ?"));
    Executa(fila);
    int respondidos = 0;
    int ordem = 0;
    for (const TPedidoRecebido& pedido : pedidos) {
        ++ordem;
        if (pedido.Operacao == QLatin1String("gerarOP") || pedido.Operacao == QLatin1String("programar")) {
            QSqlQuery& consulta = pedido.Operacao == QLatin1String("gerarOP") ? lote : consumos;
            consulta.bindValue(0, QStringLiteral("4711"));
            Executa(consulta);
        } else if (pedido.Operacao == QLatin1String("atualizarPodeIniciar")) {
            existe.bindValue(0, QStringLiteral("4711"));
            Executa(existe);
        }
        QNetworkRequest requisicao{QUrl(base + pedido.Alvo)};
        requisicao.setRawHeader("Content-Type", pedido.Cabecalho("content-type").toUtf8());
        requisicao.setRawHeader("SOAPAction", pedido.Cabecalho("soapaction").toUtf8());
        QNetworkReply* resposta = rede.post(requisicao, pedido.Corpo.toUtf8());
        QEventLoop espera;
        QObject::connect(resposta, &QNetworkReply::finished, &espera, &QEventLoop::quit);
        if (!resposta->isFinished())
            espera.exec();
        resposta->readAll();
        if (resposta->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200)
            ++respondidos;
        delete resposta;
        atualiza.bindValue(0, ordem);
        Executa(atualiza);
        static_cast<DriverFirebird*>(erp.driver())->commitRetaining();
    }
    return respondidos;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication aplicacao(argc, argv);
    try {
        TServicoSoapTeste servico;
        const QString arquivoErp = BancoTeste::criaFirebirdLocal(QStringLiteral("bench_vapora_erp"),
                                                                 {QStringLiteral("erp_firebird.sql")});
        BancoTeste::executaSqlFirebird(arquivoErp, SqlFila());
        EscritaAssincrona(arquivoErp);
        QTemporaryDir pasta;
        EscreveIni(pasta.path(), servico);

        TKoDatabase erp;
        erp.SetDriverName(QStringLiteral("FB"));
        erp.SetDatabaseName(arquivoErp);
        erp.Open();
        TRelatorGravador relator;
        const TConfiguracao configuracao(pasta.path());
        TContextoIntegracao contexto{erp, relator, configuracao};
        TVapora vapora(contexto);
        QSqlDatabase erpNu = BancoTeste::abreFirebirdDireto(QStringLiteral("piso_erp"), arquivoErp);

        qint64 melhorPiso = -1, melhorVapora = -1;
        std::vector<double> razoes;
        for (int rodada = 0; rodada < Rodadas; ++rodada) {
            ReabreFila(erp);
            servico.Limpa();
            relator.Limpa();
            QElapsedTimer relogio;
            relogio.start();
            vapora.SelecionaFila();
            vapora.ProcessaFila();
            const qint64 tempoVapora = relogio.elapsed();
            if (relator.Linhas.size() != TotalLinhas || !relator.Mensagens.isEmpty())
                throw std::runtime_error("nem todas as linhas foram enviadas: "
                                         + relator.Mensagens.join(u'\n').toStdString());

            const QList<TPedidoRecebido> pedidos = servico.Chamadas();
            ReabreFila(erp);
            relogio.restart();
            const int respondidos = PisoBruto(servico.Base(), pedidos, erpNu);
            const qint64 piso = relogio.elapsed();
            if (pedidos.size() != TotalLinhas || respondidos != TotalLinhas)
                throw std::runtime_error("o piso não repetiu todos os pedidos");

            razoes.push_back(double(tempoVapora) / double(std::max<qint64>(piso, 1)));
            std::printf("rodada %d: piso (comandos e posts brutos) %lld ms, ProcessaFila %lld ms, razão %.2f\n",
                        rodada + 1, static_cast<long long>(piso), static_cast<long long>(tempoVapora), razoes.back());
            melhorPiso = melhorPiso < 0 ? piso : std::min(melhorPiso, piso);
            melhorVapora = melhorVapora < 0 ? tempoVapora : std::min(melhorVapora, tempoVapora);
        }
        // Each round's two runs see the same load on the machine: the median
        // of the rounds' ratios is the steadier figure.
        std::sort(razoes.begin(), razoes.end());
        std::printf("%d linhas: melhor piso (comandos e posts brutos) %lld ms, melhor ProcessaFila %lld ms, "
                    "razão %.2f; mediana das razões por rodada %.2f (meta <= 1.20)\n",
                    TotalLinhas, static_cast<long long>(melhorPiso), static_cast<long long>(melhorVapora),
                    double(melhorVapora) / double(std::max<qint64>(melhorPiso, 1)), razoes[razoes.size() / 2]);
        vapora.Encerra();
        erp.Close();
        erpNu.close();
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "bench_vapora: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_vapora: %s\n", e.what());
    }
    return 1;
}
