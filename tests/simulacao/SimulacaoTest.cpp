// quelix --simula's cycle (TMonitora::SimulaCiclo) on the test servers, for
// each model and each kind of database the sites run: every database holds
// after the simulation exactly what it held before (read through the
// monitor's own connections, which would see their own uncommitted work),
// no service is called, and a real cycle run afterwards writes and sends
// exactly what the simulation showed.
#include "AmbienteTeste.h"
#include "ApoioMonitor.h"
#include "BancoTeste.h"
#include "FilaVaporaTeste.h"
#include "OutraConexao.h"
#include "app/Integracoes.h"
#include "dblayer/IndicesTabela.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "dblayer/ObservadorComandos.h"
#include "monitor/comissionamento/EscritaSimulada.h"
#include "monitor/Monitora.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QRegularExpression>

using namespace ApoioMonitor;

namespace {

const QMap<QString, QString> kTabelas = {
    {QStringLiteral("Firebird"),
     QStringLiteral("SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS "
                    "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NULL")},
    {QStringLiteral("PostgreSQL"),
     QStringLiteral("SELECT table_schema || '.' || table_name FROM information_schema.tables "
                    "WHERE table_type = 'BASE TABLE' AND table_schema NOT IN ('pg_catalog', 'information_schema')")},
    {QStringLiteral("SQLite"), QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'")},
};

QStringList Le(TKoDatabase& banco, const QString& sql)
{
    QStringList linhas;
    for (const TLinhaLida& lida : LeLinhas(banco, sql)) {
        QStringList campos;
        for (const TKoField& campo : lida)
            campos << campo.Value().toString();
        linhas << campos.join(u'|');
    }
    linhas.sort();
    return linhas;
}

// Every row of every table of the database, sorted.
QStringList Conteudo(TKoDatabase& banco)
{
    const QString sistema = SistemaDoBanco(banco);
    if (!kTabelas.contains(sistema))
        throw std::runtime_error("banco sem leitura do catálogo: " + banco.objectName().toStdString());
    QStringList conteudo;
    for (const QString& tabela : Le(banco, kTabelas.value(sistema)))
        for (const QString& linha : Le(banco, QStringLiteral("SELECT * FROM ") + tabela))
            conteudo << banco.objectName() + u':' + tabela + u':' + linha;
    banco.FinalizaTransacao();
    return conteudo;
}

QStringList Conteudo(TMonitora& monitora)
{
    QStringList conteudo;
    monitora.NoCiclo([&] {
        conteudo << Conteudo(monitora.KoDatabase1());
        for (TKoDatabase* banco : monitora.Integracao(monitora.IndiceTipo())->Conexoes())
            conteudo << Conteudo(*banco);
    });
    return conteudo;
}

// The moment a statement ran differs between two runs: as a value, and as
// the date and time fields of an EAS record.
QStringList SemMomentos(QStringList linhas)
{
    static const QRegularExpression momento(QStringLiteral(
        "\\d{4}-\\d\\d-\\d\\d(T\\d\\d:\\d\\d:\\d\\d(\\.\\d+)?)?|\\d\\d:\\d\\d:\\d\\d|(?<=\\|)(\\d{8}|\\d{4})(?=\\|)"));
    for (QString& linha : linhas)
        linha.replace(momento, QStringLiteral("<momento>"));
    return linhas;
}

QStringList Envelopes(const QStringList& linhas)
{
    QStringList envelopes;
    for (qsizetype i = 0; i + 1 < linhas.size(); ++i)
        if (linhas[i].startsWith(QStringLiteral("Simulação: POST ")))
            envelopes << linhas[i + 1];
    return envelopes;
}

QString ArquivoSql(const QString& sql)
{
    const QString caminho = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico(QStringLiteral("dados")) + ".sql");
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::WriteOnly) || arquivo.write(sql.toUtf8()) < 0)
        throw std::runtime_error("não gravou " + caminho.toStdString());
    return caminho;
}

QString SecaoFirebirdServidor(const QString& secao, const QString& base)
{
    return QStringLiteral("[%1]\nProtocolo=firebird\nBase=%2\nUsuario=%3\nSenha=%4\n")
        .arg(secao, base, AmbienteTeste::fbUsuario(), AmbienteTeste::fbSenha());
}

QString SecaoPostgres(const QString& secao, const QString& base)
{
    return QStringLiteral("[%1]\nProtocolo=POSTGRES\nBase=%2\nservidor=%3:%4\nUsuario=%5\nSenha=%6\n")
        .arg(secao, base, AmbienteTeste::pgHost(), QString::number(AmbienteTeste::pgPorta()),
             AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha());
}

// A site: its QX.ini, made when the case runs, and a piece of a write of
// each of its passes that the simulation must show.
struct TSite {
    const char* Nome;
    std::function<QString(const TServicoSoapTeste&)> Ini;
    QStringList Passos;
};

const QString kFilaVapora = QStringLiteral(
    "INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, STATUS) VALUES (1, 'AR', 'S', 'A1', 'Algodao', 0);\n"
    "INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, CAMPO2, STATUS) VALUES (2, 'CL', 'S', 'C1', 'Alfa', 0);\n"
    "INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, STATUS) VALUES (3, 'AR', 'E', 'A9', 0);\n");

const QString kCadastrosEas = QStringLiteral(
    "INSERT INTO MATERIAL_001 (CODIGO, DESCRICAO, GRUPO, REPOSICAO) VALUES ('M001', 'Corante reativo', 'CO', 10.5);\n"
    "INSERT INTO MAT_TIN_001 (CODIGO, UNIDADE) VALUES ('M001', '%');\n"
    "INSERT INTO ENTIDADE_001 (CODCLI, NOME, ATIVO, TIPO_ENTIDADE) VALUES ('10', 'Malharia Alfa', 'S', 'C');\n"
    "INSERT INTO CADCORTIN_001 (CODIGO, DESCRICAO, COR_SIS) VALUES ('AZ01', 'Azul royal', '16711680');\n"
    "INSERT INTO PROCESSO_TIN_001 (FAL, ORD_IT, FASE, CONCLUIDO, PENDENTE) VALUES ('1234', 1, '01', 'S', 'N');\n");
// A kitchen event waiting for the receiving pass: lot 1234 started on M1.
const QString kEventoEas = QStringLiteral(
    "INSERT INTO eas.FTOHOST (IDTIPO, IDOPERACION, DATOS, LEIDO) VALUES ('80', 'X', '0001234|X|x|M1|20240315|0730|', 'F');");

const QList<TSite> kSites = {
    {"Bruma: ERP Firebird embutido, fila PostgreSQL por ODBC",
     [](const TServicoSoapTeste&) {
         return SiteBruma(QString::fromUtf8(ErpLoteRuimEBom) + ErpLote4711,
                          QString::fromUtf8(FilaLoteRuimEBom) + ";" + FilaLote4711)
             .Ini;
     },
     {QStringLiteral("INSERT INTO OB"), QStringLiteral("UPDATE FAL_001 SET STATUS_QX")}},
    {"Bruma: ERP Firebird servidor, fila SQLite por ODBC",
     [](const TServicoSoapTeste&) {
         const QString erp = BancoTeste::criaFirebirdServidor(QStringLiteral("erp"), {QStringLiteral("erp_firebird.sql")});
         BancoTeste::executaSqlFirebird(erp, QString::fromUtf8(ErpLoteRuimEBom) + ErpLote4711);
         const QString dsn = AmbienteTeste::nomeUnico(QStringLiteral("fila"));
         BancoTeste::criaSqliteOdbc(dsn, {QStringLiteral("bruma_sqlite.sql"),
                                          ArquivoSql(QString::fromUtf8(FilaLoteRuimEBom) + ";" + FilaLote4711)});
         return SecaoFirebirdServidor(QStringLiteral("Banco1"), erp)
              + QStringLiteral("[Banco2]\nBase=%1\n").arg(dsn) + QStringLiteral("[ModeloAtivo]\nModelo=0\n");
     },
     {QStringLiteral("INSERT INTO OB"), QStringLiteral("UPDATE FAL_001 SET STATUS_QX")}},
    {"EAS: ERP Firebird embutido, host PostgreSQL num schema",
     [](const TServicoSoapTeste&) {
         const QString erp = CriaErp();
         BancoTeste::executaSqlFirebird(erp, kCadastrosEas);
         const QString host = BancoTeste::criaPostgresNoEsquema(AmbienteTeste::nomeUnico(QStringLiteral("host")),
                                                               QStringLiteral("eas"), {QStringLiteral("eas_host_postgres.sql")});
         BancoTeste::executaSqlPostgres(host, kEventoEas);
         return SecaoBanco1(erp) + SecaoPostgres(QStringLiteral("Banco3"), host) + QStringLiteral("Schema=eas\n")
              + QStringLiteral("[ModeloAtivo]\nModelo=2\n");
     },
     {QStringLiteral("UPDATE PROCESSO_TIN_001"), QStringLiteral("UPDATE eas.FTOHOST SET LEIDO"),
      QStringLiteral("INSERT INTO eas.FFROMHOST"), QStringLiteral("UPDATE ENTIDADE_001 SET STATUS_EAS42")}},
    {"Vapora: ERP Firebird embutido",
     [](const TServicoSoapTeste& servico) {
         const QString erp = CriaErp();
         BancoTeste::executaSqlFirebird(erp, kFilaVapora);
         return SecaoBanco1(erp) + SecaoVaporaNoServico(servico) + QStringLiteral("[ModeloAtivo]\nModelo=1\n");
     },
     {QStringLiteral("UPDATE QX_INTEGRA SET STATUS = 1")}},
    {"Vapora: ERP PostgreSQL",
     [](const TServicoSoapTeste& servico) {
         const QString erp = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico(QStringLiteral("erp")),
                                                      {QStringLiteral("erp_postgres.sql")});
         BancoTeste::executaSqlPostgres(erp, kFilaVapora);
         return SecaoPostgres(QStringLiteral("Banco1"), erp) + SecaoVaporaNoServico(servico)
              + QStringLiteral("[ModeloAtivo]\nModelo=1\n");
     },
     {QStringLiteral("UPDATE QX_INTEGRA SET STATUS = 1")}},
};

class Simulacao : public ComServicoSoap {
protected:
    void Confere(const TSite& site);
    TRelatorGravador relator;
};

TEST_F(Simulacao, NadaMudaNosBancosEOCicloSeguinteEnviaOQueElaMostrou)
{
    for (const TSite& site : kSites) {
        SCOPED_TRACE(site.Nome);
        try {
            Confere(site);
        } catch (const std::exception& e) {
            ADD_FAILURE() << e.what() << "\n" << relator.Linhas.join('\n').toStdString()
                          << relator.Mensagens.join('\n').toStdString();
        }
    }
}

void Simulacao::Confere(const TSite& site)
{
    {
        Servico().Limpa();
        relator.Limpa();
        auto monitora = std::make_unique<TMonitora>(relator, Integracoes(), PastaComIni(site.Ini(Servico())));
        monitora->DefineMonitorando(false);
        ASSERT_TRUE(monitora->Inicia()) << relator.Erros.join('\n').toStdString();
        const QStringList antes = Conteudo(*monitora);

        relator.Limpa();
        ASSERT_TRUE(monitora->SimulaCiclo()) << relator.Erros.join('\n').toStdString();
        const QStringList simuladas = relator.Linhas.filter(QRegularExpression(QStringLiteral("^Simulação: KoDatabase")));
        const QStringList envelopes = Envelopes(relator.Linhas);
        EXPECT_EQ(Conteudo(*monitora), antes);
        EXPECT_TRUE(Servico().Chamadas().isEmpty());
        for (const QString& passo : site.Passos)
            EXPECT_FALSE(simuladas.filter(passo).isEmpty()) << qPrintable(passo) << "\n"
                                                            << relator.Linhas.join('\n').toStdString();

        QMutex trava;
        QStringList enviadas;
        DefineObservadorComandos([&](const TComandoEnviado& comando) {
            if (!TKoQuery::EhConsulta(comando.TextoEnviado.trimmed())) {
                const QMutexLocker bloqueio(&trava);
                enviadas << EscritaSimulada(comando);
            }
        });
        const bool cicloOk = monitora->ExecutaCiclo();
        DefineObservadorComandos(nullptr);
        ASSERT_TRUE(cicloOk) << relator.Erros.join('\n').toStdString();
        EXPECT_EQ(SemMomentos(enviadas), SemMomentos(simuladas));
        QStringList corpos;
        for (const TPedidoRecebido& chamada : Servico().Chamadas())
            corpos << chamada.Corpo;
        EXPECT_EQ(corpos, envelopes) << relator.Linhas.join('\n').toStdString();
        EXPECT_NE(Conteudo(*monitora), antes) << relator.Linhas.join('\n').toStdString();
        monitora->Encerra();
    }
}

} // namespace
