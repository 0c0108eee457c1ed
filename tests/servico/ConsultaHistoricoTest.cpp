// What `quelix --historico` prints, in each format, from a real journal
// written by TDiario: an empty journal, and values that a format must
// escape (or must not), as tables of cases.
#include "servico/ConsultaHistorico.h"

#include "AmbienteTeste.h"
#include "AplicacaoTeste.h"
#include "operacao/Diario.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <ostream>
#include <unistd.h>

inline void PrintTo(const QString& texto, std::ostream* saida)
{
    *saida << '"' << texto.toStdString() << '"';
}

namespace {

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);

const QString Cabecalho = QStringLiteral("momento,integracao,direcao,tipo,chave,desfecho,linha,erro\n");

struct TExportacao {
    int status = -1;
    QString saida;
    QString erros;
};

// Runs the export with this process's standard output and error sent to
// files, as a shell's redirection would.
TExportacao Exporta(const QString& arquivo, TFormatoHistorico formato, const TFiltroHistorico& filtro = {})
{
    const QString base = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("saida"));
    auto desvia = [](int fd, const QString& caminho) {
        const int copia = dup(fd);
        const int arquivo = open(QFile::encodeName(caminho).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(arquivo, fd);
        close(arquivo);
        return copia;
    };
    std::fflush(stdout);
    std::fflush(stderr);
    const int saida = desvia(STDOUT_FILENO, base + ".out");
    const int erros = desvia(STDERR_FILENO, base + ".err");
    TExportacao r;
    r.status = ExecutaHistorico(arquivo, filtro, formato);
    std::fflush(stdout);
    std::fflush(stderr);
    dup2(saida, STDOUT_FILENO);
    dup2(erros, STDERR_FILENO);
    close(saida);
    close(erros);
    auto le = [](const QString& caminho) {
        QFile arquivo(caminho);
        arquivo.open(QIODevice::ReadOnly);
        return QString::fromUtf8(arquivo.readAll());
    };
    r.saida = le(base + ".out");
    r.erros = le(base + ".err");
    return r;
}

QString NovaPasta()
{
    const QString pasta = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("diario"));
    QDir().mkpath(pasta + "/Logs");
    return pasta;
}

// A journal with one cycle of Bruma that handled these records.
QString Diario(const QList<TRegistroTratado>& registros, const QString& linhas = QStringLiteral("linha"))
{
    const QString arquivo = TDiario::Arquivo(NovaPasta());
    TDiario diario(arquivo, [](const QString& aviso) { ADD_FAILURE() << aviso.toStdString(); });
    diario.CicloIniciado({QStringLiteral("Bruma"), QDateTime::currentDateTime()});
    for (const TRegistroTratado& registro : registros)
        diario.RegistraRegistro(QStringLiteral("Bruma"), registro, linhas);
    TFimCiclo fim;
    fim.Integracao = QStringLiteral("Bruma");
    fim.Fim = QDateTime::currentDateTime();
    diario.CicloTerminado(fim);
    return arquivo;
}

// Moves every record of the journal to the moments given, oldest record
// first (as TDiario::Momento writes them).
void MoveRegistros(const QString& arquivo, const QStringList& momentos)
{
    const QString nome = AmbienteTeste::nomeUnico("move");
    {
        QSqlDatabase banco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), nome);
        banco.setDatabaseName(arquivo);
        ASSERT_TRUE(banco.open()) << banco.lastError().text().toStdString();
        for (qsizetype i = 0; i < momentos.size(); ++i) {
            QSqlQuery comando(banco);
            comando.prepare(QStringLiteral("UPDATE REGISTROS SET MOMENTO = ? WHERE ID = "
                                           "(SELECT ID FROM REGISTROS ORDER BY ID LIMIT 1 OFFSET ?)"));
            comando.addBindValue(momentos[i]);
            comando.addBindValue(i);
            ASSERT_TRUE(comando.exec()) << comando.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(nome);
}

// The moment of the only record, as the export writes it.
QString MomentoDoRegistro(const QString& arquivo)
{
    TLeituraDiario leitura(arquivo);
    const QList<TLinhaHistorico> linhas = leitura.Pagina({}, 0, 1);
    return linhas.isEmpty() ? QString() : linhas.first().Momento.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Nothing to show is a header alone in CSV, an empty array in JSON, and no
// line at all as text: whether the journal never had a record, or none
// matches the filter.
TEST(ConsultaHistorico, DiarioSemRegistrosQueSirvam)
{
    struct TCaso {
        const char* nome;
        TFormatoHistorico formato;
        const char* saida;
    };
    const TCaso casos[] = {
        {"texto", TFormatoHistorico::Texto, ""},
        {"csv", TFormatoHistorico::Csv, "momento,integracao,direcao,tipo,chave,desfecho,linha,erro\n"},
        {"json", TFormatoHistorico::Json, "[]\n"},
    };
    const QString vazio = Diario({});
    const QString outro = Diario({{TDirecaoRegistro::Saida, "lote", "4711", TDesfechoRegistro::Enviado, {}}});
    TFiltroHistorico outraChave;
    outraChave.Chave = QStringLiteral("4712");
    TFiltroHistorico soFalhas;
    soFalhas.SoFalhas = true;
    for (const TCaso& caso : casos) {
        SCOPED_TRACE(caso.nome);
        for (const auto& [arquivo, filtro] : {std::pair{vazio, TFiltroHistorico{}}, std::pair{outro, outraChave},
                                              std::pair{outro, soFalhas}}) {
            const TExportacao r = Exporta(arquivo, caso.formato, filtro);
            EXPECT_EQ(r.status, 0) << r.erros.toStdString();
            EXPECT_EQ(r.saida, QString::fromUtf8(caso.saida));
            EXPECT_EQ(r.erros, QString());
        }
    }
}

// A journal that is not there, or a file that is no journal (a disk that
// filled up as the monitor created it leaves it empty), is said on standard
// error with exit status 2, and nothing goes to standard output: a script
// never takes a header or a "[" for an export.
TEST(ConsultaHistorico, SemDiarioNadaNaSaidaEStatusDois)
{
    const QString ausente = TDiario::Arquivo(NovaPasta());
    const QString vazio = TDiario::Arquivo(NovaPasta());
    {
        QFile arquivo(vazio);
        ASSERT_TRUE(arquivo.open(QIODevice::WriteOnly));
    }
    for (const TFormatoHistorico formato : {TFormatoHistorico::Texto, TFormatoHistorico::Csv, TFormatoHistorico::Json}) {
        SCOPED_TRACE(int(formato));
        const TExportacao semArquivo = Exporta(ausente, formato);
        EXPECT_EQ(semArquivo.status, 2);
        EXPECT_EQ(semArquivo.saida, QString());
        EXPECT_EQ(semArquivo.erros, QStringLiteral("quelix: Histórico não encontrado: %1\n").arg(ausente));

        const TExportacao semTabelas = Exporta(vazio, formato);
        EXPECT_EQ(semTabelas.status, 2);
        EXPECT_EQ(semTabelas.saida, QString());
        EXPECT_TRUE(semTabelas.erros.startsWith(QStringLiteral("quelix: Histórico: leitura dos registros: ")))
            << semTabelas.erros.toStdString();
    }
}

// Each value as each format writes it. CSV quotes a cell that holds a
// comma, a quote or a line break (its quotes doubled), and keeps a cell that
// begins as a formula does text; the separator is the comma, whatever the
// region, so a semicolon is plain text. JSON escapes quotes, backslashes
// and control characters, and nothing else (markup included). Text writes a
// record on one line: a line break inside a value is shown as "\n" or "\r".
TEST(ConsultaHistorico, CadaFormatoEscapaOQueLheCabe)
{
    struct TCaso {
        const char* valor;
        const char* csv;
        const char* json;
        const char* texto;
    };
    const TCaso casos[] = {
        {"4711", "4711", R"("4711")", "4711"},
        {"", "", R"("")", ""},
        {"a,b", R"("a,b")", R"("a,b")", "a,b"},
        {"x\"y", R"("x""y")", R"("x\"y")", "x\"y"},
        {"\"", R"("""")", R"("\"")", "\""},
        {"1\n2", "\"1\n2\"", R"("1\n2")", R"(1\n2)"},
        {"a\r\nb", "\"a\r\nb\"", R"("a\r\nb")", R"(a\r\nb)"},
        {"a;b", "a;b", R"("a;b")", "a;b"},
        {"<script>alert('x')</script>", "<script>alert('x')</script>", R"("<script>alert('x')</script>")",
         "<script>alert('x')</script>"},
        {"</script><b>", "</script><b>", R"("</script><b>")", "</script><b>"},
        {"=1+1", "'=1+1", R"("=1+1")", "=1+1"},
        {"=A1,B1", R"("'=A1,B1")", R"("=A1,B1")", "=A1,B1"},
        {"a\\b", "a\\b", R"("a\\b")", "a\\b"},
        {"a\tb", "a\tb", R"("a\tb")", "a\tb"},
        {"\x01\x1f\b\f", "\x01\x1f\b\f", R"("\u0001\u001f\b\f")", "\x01\x1f\b\f"},
        {"ção €", "ção €", R"("ção €")", "ção €"},
    };
    for (const TCaso& caso : casos) {
        const QString valor = QString::fromUtf8(caso.valor);
        SCOPED_TRACE(QString(valor).toStdString());
        const QString csv = QString::fromUtf8(caso.csv);
        const QString json = QString::fromUtf8(caso.json);
        const QString texto = QString::fromUtf8(caso.texto);

        // In the key, and in the error of a record that failed.
        for (const bool noErro : {false, true}) {
            SCOPED_TRACE(noErro ? "erro" : "chave");
            const QString arquivo = noErro ? Diario({{TDirecaoRegistro::Saida, "lote", "7", TDesfechoRegistro::Falhou, valor}})
                                           : Diario({{TDirecaoRegistro::Saida, "lote", valor, TDesfechoRegistro::Enviado, {}}});
            const QString momento = MomentoDoRegistro(arquivo);
            ASSERT_FALSE(momento.isEmpty());
            if (noErro) {
                EXPECT_EQ(Exporta(arquivo, TFormatoHistorico::Csv).saida,
                          Cabecalho + momento + QStringLiteral(",Bruma,enviado,lote,7,falhou,linha,") + csv + u'\n');
                EXPECT_EQ(Exporta(arquivo, TFormatoHistorico::Json).saida,
                          QStringLiteral("[{\"chave\":\"7\",\"conteudo\":\"\",\"desfecho\":\"falhou\",\"direcao\":\"enviado\",\"erro\":")
                              + json
                              + QStringLiteral(",\"integracao\":\"Bruma\",\"linha\":\"linha\",\"momento\":\"%1\","
                                               "\"tipo\":\"lote\"}]\n")
                                    .arg(momento));
                EXPECT_EQ(Exporta(arquivo, TFormatoHistorico::Texto).saida,
                          momento + QStringLiteral("  Bruma  enviado  lote  7  falhou")
                              + (valor.isEmpty() ? QString() : QStringLiteral("  ") + texto)
                              + QStringLiteral("\n    linha\n"));
            } else {
                EXPECT_EQ(Exporta(arquivo, TFormatoHistorico::Csv).saida,
                          Cabecalho + momento + QStringLiteral(",Bruma,enviado,lote,") + csv
                              + QStringLiteral(",enviado,linha,\n"));
                EXPECT_EQ(Exporta(arquivo, TFormatoHistorico::Json).saida,
                          QStringLiteral("[{\"chave\":") + json
                              + QStringLiteral(",\"conteudo\":\"\",\"desfecho\":\"enviado\",\"direcao\":\"enviado\",\"erro\":\"\","
                                               "\"integracao\":\"Bruma\",\"linha\":\"linha\",\"momento\":\"%1\","
                                               "\"tipo\":\"lote\"}]\n")
                                    .arg(momento));
                EXPECT_EQ(Exporta(arquivo, TFormatoHistorico::Texto).saida,
                          momento + QStringLiteral("  Bruma  enviado  lote  ") + texto
                              + QStringLiteral("  enviado\n    linha\n"));
            }
            // What JSON carries reads back as the value itself.
            const QJsonArray lido = QJsonDocument::fromJson(Exporta(arquivo, TFormatoHistorico::Json).saida.toUtf8()).array();
            ASSERT_EQ(lido.size(), 1);
            EXPECT_EQ(lido[0].toObject()[noErro ? "erro" : "chave"].toString(), valor);
        }
    }
}

// The pane's lines of a record: as text, each on a line of its own,
// indented, blank lines left out; in CSV and JSON, as they are.
TEST(ConsultaHistorico, LinhasDoPainelDoRegistro)
{
    const QString linhas = QStringLiteral("Erro. Lote 7\n\nCausa: \"x\", y\n");
    const QString arquivo = Diario({{TDirecaoRegistro::Saida, "lote", "7", TDesfechoRegistro::Falhou, "e"}}, linhas);
    const QString momento = MomentoDoRegistro(arquivo);
    EXPECT_EQ(Exporta(arquivo, TFormatoHistorico::Texto).saida,
              momento + QStringLiteral("  Bruma  enviado  lote  7  falhou  e\n    Erro. Lote 7\n    Causa: \"x\", y\n"));
    EXPECT_EQ(Exporta(arquivo, TFormatoHistorico::Csv).saida,
              Cabecalho + momento + QStringLiteral(",Bruma,enviado,lote,7,falhou,\"Erro. Lote 7\n\nCausa: \"\"x\"\", y\n\",e\n"));
    const QJsonArray lido = QJsonDocument::fromJson(Exporta(arquivo, TFormatoHistorico::Json).saida.toUtf8()).array();
    ASSERT_EQ(lido.size(), 1);
    EXPECT_EQ(lido[0].toObject()["linha"].toString(), linhas);
}

// --desde and --ate are local days: a record at the last millisecond of a
// day belongs to it, one at midnight to the next. Newest first, records of
// different days separated as JSON separates them.
TEST(ConsultaHistorico, DiasLocaisNosLimites)
{
    const QDate dia(2026, 3, 14);
    const QString arquivo = Diario({{TDirecaoRegistro::Saida, "lote", "antes", TDesfechoRegistro::Enviado, {}},
                                    {TDirecaoRegistro::Saida, "lote", "ultimo", TDesfechoRegistro::Enviado, {}},
                                    {TDirecaoRegistro::Saida, "lote", "meia-noite", TDesfechoRegistro::Enviado, {}}});
    MoveRegistros(arquivo, {TDiario::Momento(QDateTime(dia, QTime(0, 0)).addMSecs(-1)),
                            TDiario::Momento(QDateTime(dia.addDays(1), QTime(0, 0)).addMSecs(-1)),
                            TDiario::Momento(QDateTime(dia.addDays(1), QTime(0, 0)))});
    auto chaves = [&arquivo](const QDate& desde, const QDate& ate) {
        TFiltroHistorico filtro;
        filtro.Desde = desde;
        filtro.Ate = ate;
        QStringList lidas;
        for (const QJsonValue& registro :
             QJsonDocument::fromJson(Exporta(arquivo, TFormatoHistorico::Json, filtro).saida.toUtf8()).array())
            lidas << registro.toObject()["chave"].toString();
        return lidas;
    };
    struct TCaso {
        QDate desde, ate;
        QStringList chaves;
    };
    const TCaso casos[] = {
        {dia, dia, {"ultimo"}},
        {dia, {}, {"meia-noite", "ultimo"}},
        {{}, dia, {"ultimo", "antes"}},
        {dia.addDays(1), dia.addDays(1), {"meia-noite"}},
        {dia.addDays(-1), dia.addDays(-1), {"antes"}},
        {dia.addDays(2), {}, {}},
        {{}, {}, {"meia-noite", "ultimo", "antes"}},
    };
    for (const TCaso& caso : casos) {
        SCOPED_TRACE(caso.desde.toString(Qt::ISODate).toStdString() + ".." + caso.ate.toString(Qt::ISODate).toStdString());
        EXPECT_EQ(chaves(caso.desde, caso.ate), caso.chaves);
    }
}

} // namespace
