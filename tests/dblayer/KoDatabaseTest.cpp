// The connection component: the parameter list it hands to the driver, the
// split of the combined database text, the mapping rules, the Qt driver
// behind each id and the parent copy.
#include "ConexoesDeTeste.h"

#include "base/Erros.h"
#include "dblayer/ConexaoQt.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/LimitesExecucao.h"
#include "dblayer/MapRules.h"
#include "dblayer/TipoDosCampos.h"

#include <QHostAddress>
#include <QSqlField>
#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <future>
#include <atomic>
#include <chrono>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <thread>

namespace {

QStringList ParamsAoAbrir(TKoDatabase& db)
{
    try {
        db.Open();
    } catch (const EDatabaseError&) {
        // The list is built before the driver is asked; a failed opening keeps it.
    }
    return db.Params();
}

struct CasoParams {
    const char* nome;
    QString driver, host, database, usuario, senha;
    int porta;
    QStringList esperado;
};

class ParamsDoDriver : public testing::TestWithParam<CasoParams> {};

TEST_P(ParamsDoDriver, MontadosDasPropriedadesAparadas)
{
    const CasoParams& c = GetParam();
    TKoDatabase db;
    db.SetDriverName(c.driver);
    db.HostName = c.host;
    db.Database = c.database;
    db.User = c.usuario;
    db.Password = c.senha;
    db.Port = c.porta;
    EXPECT_EQ(ParamsAoAbrir(db), c.esperado);
    // Opening again rebuilds the list from scratch.
    EXPECT_EQ(ParamsAoAbrir(db), c.esperado);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, ParamsDoDriver,
    testing::Values(
        CasoParams{"FbLocal", "FB", "", "/nao/existe.fdb", "", "", 0,
                   {"Database=/nao/existe.fdb", "PageSize=4096"}},
        CasoParams{"FbServidorComTudo", "FB", " 127.0.0.1 ", " /x/y.fdb ", " SYSDBA ", " chave ", 3051,
                   {"Server=127.0.0.1", "Database=/x/y.fdb", "User_name=SYSDBA", "Password=chave",
                    "Port=3051", "Protocol=TCPIP", "PageSize=4096"}},
        CasoParams{"DatabaseVazio", "PG", "", "", "", "", 0, {"Database="}},
        CasoParams{"Oracle", "Ora", "srv", "orcl", "u", "", 0,
                   {"Server=srv", "Database=orcl", "User_name=u", "AuthMode=NORMAL"}},
        CasoParams{"MssqlSemExtras", "MSSQL", "", "fonte", "", "s", 0, {"Database=fonte", "Password=s"}}),
    [](const testing::TestParamInfo<CasoParams>& i) { return std::string(i.param.nome); });

struct CasoNome {
    QString driver, valor, hostAntes, databaseAntes, hostEsperado, databaseEsperado;
};

TEST(DatabaseName, DivideNoPrimeiroDoisPontos)
{
    const CasoNome casos[] = {
        {"FB", "srv:C:\\dados\\base.fdb", "", "", "srv", "C:\\dados\\base.fdb"},
        {"FB", "C:\\dados\\erp.fdb", "", "", "C", "\\dados\\erp.fdb"},
        {"FB", "srv: /base.fdb ", "", "", "srv", "/base.fdb"},
        {"FB", "/dados/local.fdb", "velho", "", "", "/dados/local.fdb"},
        {"SQLite", "srv:C:\\x.db", "velho", "", "", "srv:C:\\x.db"},
        {"FB", "   ", "h", "d", "h", "d"},
    };
    for (const CasoNome& c : casos) {
        TKoDatabase db;
        db.SetDriverName(c.driver);
        db.HostName = c.hostAntes;
        db.Database = c.databaseAntes;
        db.SetDatabaseName(c.valor);
        EXPECT_EQ(db.HostName, c.hostEsperado) << c.valor.toStdString();
        EXPECT_EQ(db.Database, c.databaseEsperado) << c.valor.toStdString();
        EXPECT_EQ(db.DatabaseName(), c.valor);
    }
}

// The source types the mapping rules name, as the drivers report them, and
// the type the column gets: an Oracle DATE (no fractions of a second) is a
// date, an Oracle TIMESTAMP goes by the time-stamp rule, and Oracle numbers
// by their digits and decimals.
TEST(MapRules, CadaTipoDeOrigemDasRegras)
{
    using T = TKoTipoDado;
    const auto campo = [](QMetaType::Type tipo, int tamanho, int precisao) {
        QSqlField f(QStringLiteral("C"), QMetaType(tipo));
        f.setLength(tamanho);
        f.setPrecision(precisao);
        return f;
    };
    const struct {
        const char* driver;
        QSqlField origem;
        T esperado;
    } casos[] = {
        {"Ora", campo(QMetaType::QDateTime, 19, 0), T::dtDate},         // DATE
        {"Ora", campo(QMetaType::QDateTime, 26, 6), T::dtTime},         // TIMESTAMP
        {"PG", campo(QMetaType::QDateTime, 26, 6), T::dtTime},
        {"PG", campo(QMetaType::QString, 40, -1), T::dtAnsiString},
        {"FB", campo(QMetaType::QDate, 10, 0), T::dtDate},
        // Oracle NUMBER(p,s) as ODBC reports it (a double, p digits, s
        // decimals): the decimal rules read the decimals as the field's size.
        {"Ora", campo(QMetaType::Double, 15, 2), T::dtCurrency},        // money
        {"Ora", campo(QMetaType::Double, 15, 4), T::dtCurrency},
        {"Ora", campo(QMetaType::Double, 15, 5), T::dtBCD},             // too many decimals for money
        {"Ora", campo(QMetaType::Double, 30, 6), T::dtDouble},          // wide: FmtBCD
        {"FB", campo(QMetaType::Double, 15, 2), T::dtDouble},
        {"PG", campo(QMetaType::Double, 15, 2), T::dtDouble},           // no numeric oid: a plain double
    };
    for (const auto& caso : casos)
        EXPECT_EQ(int(TipoDoCampo(caso.origem, QLatin1String(caso.driver), MapRulesDoDriver(QLatin1String(caso.driver)))),
                  int(caso.esperado))
            << caso.driver << " " << caso.origem.metaType().name() << " " << caso.origem.length() << ","
            << caso.origem.precision();
}

TEST(MapRules, InstaladasPorDriverAoAbrir)
{
    TKoDatabase db;
    db.SetDriverName("MSSQL");
    ParamsAoAbrir(db);
    EXPECT_TRUE(db.MapRules().isEmpty());
    EXPECT_FALSE(db.OwnMapRules());

    db.SetDriverName("PG");
    db.Database = "nenhum";
    ParamsAoAbrir(db);
    EXPECT_EQ(db.MapRules().size(), 7);
    EXPECT_TRUE(db.OwnMapRules());

    using T = TKoTipoDado;
    const QList<TKoMapRule> fb = MapRulesDoDriver("FB");
    EXPECT_EQ(AplicaMapRules(fb, T::dtBCD, 15, 3, 0), T::dtDouble);
    EXPECT_EQ(AplicaMapRules(fb, T::dtBCD, 9, 1, 0), T::dtBCD);  // one decimal stays exact
    EXPECT_EQ(AplicaMapRules(fb, T::dtDateTimeStamp, -1, -1, -1), T::dtTime);
    const QList<TKoMapRule> ora = MapRulesDoDriver("Ora");
    EXPECT_EQ(AplicaMapRules(ora, T::dtBCD, 9, 0, 0), T::dtInt32);
    EXPECT_EQ(AplicaMapRules(ora, T::dtBCD, 12, 2, 8), T::dtCurrency);
}

TEST(Abertura, DriverAusenteOuDesconhecidoFalhaComMensagemClara)
{
    TKoDatabase oracle;
    oracle.SetDriverName("Ora");
    oracle.Database = "orcl";
    try {
        oracle.Open();
        FAIL() << "abriu sem o driver do Oracle";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("QOCI")) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains("\"Ora\"")) << e.Message().toStdString();
    }
    EXPECT_FALSE(oracle.Connected());

    TKoDatabase outro;
    outro.SetDriverName("XYZ");
    EXPECT_THROW(outro.Open(), EDatabaseError);
}

// A loopback listener on a thread of its own that counts the connections
// made to it and closes each at once (so a client that does reach it fails
// fast instead of waiting for an answer).
class TEscutaQueFecha {
public:
    // `fecha` false: the connections are kept open and never answered.
    explicit TEscutaQueFecha(bool fecha = true)
    {
        FSocket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in endereco{};
        endereco.sin_family = AF_INET;
        endereco.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(FSocket, reinterpret_cast<sockaddr*>(&endereco), sizeof endereco);
        ::listen(FSocket, 8);
        socklen_t tamanho = sizeof endereco;
        ::getsockname(FSocket, reinterpret_cast<sockaddr*>(&endereco), &tamanho);
        FPorta = ntohs(endereco.sin_port);
        FThread = std::thread([this, fecha] {
            for (;;) {
                const int conexao = ::accept(FSocket, nullptr, nullptr);
                if (conexao < 0)
                    return;
                ++FConexoes;
                if (fecha)
                    ::close(conexao);
                else
                    FAbertas.push_back(conexao);
            }
        });
    }
    ~TEscutaQueFecha()
    {
        ::shutdown(FSocket, SHUT_RDWR);
        ::close(FSocket);
        FThread.join();
        for (const int conexao : FAbertas)
            ::close(conexao);
    }
    int Porta() const { return FPorta; }
    int Conexoes() const { return FConexoes.load(); }

private:
    int FSocket = -1;
    int FPorta = 0;
    std::atomic<int> FConexoes{0};
    std::vector<int> FAbertas;
    std::thread FThread;
};

// A Firebird server that accepts the connection and never answers: the
// opening gives up at the drivers' limit, not the client library's default
// of minutes.
TEST(Abertura, FirebirdQueNaoRespondeDesisteNoLimite)
{
    TEscutaQueFecha mudo(false);
    TLimitesExecucao limites;
    limites.OutrosMs = 2000;
    TLimitesDeTeste curtos(limites);
    TKoDatabase banco;
    banco.SetDriverName("FB");
    banco.SetDatabaseName(QStringLiteral("127.0.0.1/%1:/tmp/nada.fdb").arg(mudo.Porta()));
    banco.User = "SYSDBA";
    banco.Password = "x";
    const auto inicio = std::chrono::steady_clock::now();
    EXPECT_THROW(banco.Open(), EDatabaseError);
    const auto segundos = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - inicio);
    EXPECT_EQ(mudo.Conexoes(), 1);
    EXPECT_LT(segundos.count(), 60) << "the opening waited " << segundos.count() << " s";
}

// A user name of 32 characters or more would crash the Firebird server at a
// network login: it is refused before anything reaches the server (a
// listener stands where the server would be, and hears nothing); 31 still
// goes to the server.
TEST(Abertura, UsuarioLongoNoFirebirdEmRedeRecusadoSemContatarOServidor)
{
    const struct {
        int caracteres;
        bool recusado;
    } casos[] = {{32, true}, {2047, true}, {31, false}};
    for (const auto& caso : casos) {
        TEscutaQueFecha escuta;
        TKoDatabase banco;
        banco.SetDriverName("FB");
        banco.SetDatabaseName(QStringLiteral("127.0.0.1/%1:/tmp/nada.fdb").arg(escuta.Porta()));
        banco.User = QString(caso.caracteres, u'u');
        banco.Password = "x";
        try {
            banco.Open();
            FAIL() << "abriu com " << caso.caracteres << " caracteres";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message().startsWith(QStringLiteral("Usuário com %1 caracteres: ").arg(caso.caracteres)),
                      caso.recusado)
                << e.Message().toStdString();
        }
        // The listener's thread counts a connection a moment after the
        // client saw it closed.
        for (int i = 0; i < 100 && !caso.recusado && escuta.Conexoes() == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_EQ(escuta.Conexoes() == 0, caso.recusado) << caso.caracteres;
    }
}

TEST(Abertura, FonteOdbcAbrePeloOdbcQualquerQueSejaODriver)
{
    const BancoDeTeste banco = CriaBancoDeTeste(Servidor::OdbcPostgres);
    auto db = AbreKoDatabase(banco);
    EXPECT_TRUE(db->Connected());
    EXPECT_EQ(db->DriverName(), "FB");
    EXPECT_EQ(db->Conexao().driverName(), "QODBC");
    EXPECT_FALSE(db->InTransaction());  // opening starts no transaction
    db->Close();
    EXPECT_FALSE(db->Connected());
}

TEST(SqlServer, TextoDeConexaoOdbcDasPropriedades)
{
    struct Caso {
        const char* nome;
        QStringList params;
        QString driver, esperado;
    };
    const Caso casos[] = {
        {"tudo", {"Server=srv", "Database=erp", "User_name=sa", "Password=s3nha", "Port=1444"}, "",
         "DRIVER={FreeTDS};SERVER=srv;PORT=1444;DATABASE=erp;UID=sa;PWD=s3nha;"},
        {"porta 0 e a 1433", {"Server=srv", "Database=erp"}, "", "DRIVER={FreeTDS};SERVER=srv;PORT=1433;DATABASE=erp;"},
        {"valores entre chaves", {"Server=srv", "Database=e;rp", "User_name=s{a}", "Password= x=y "}, "",
         "DRIVER={FreeTDS};SERVER=srv;PORT=1433;DATABASE={e;rp};UID={s{a}}};PWD={ x=y };"},
        {"outro driver", {"Server=srv", "Database="}, "ODBC Driver 18 for SQL Server",
         "DRIVER={ODBC Driver 18 for SQL Server};SERVER=srv;PORT=1433;"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(ConexaoQt::TextoConexaoMssql(c.params, c.driver), c.esperado);
    }
}

// There is no SQL Server here: a listener on loopback stands in for it, and
// sees the driver's first TDS packet (a pre-login, type 0x12) arrive at the
// host and port of the configuration. It answers nothing and hangs up, so
// the opening fails with the ODBC driver's own error.
TEST(SqlServer, ConexaoVaiAoHostEPortaConfigurados)
{
    std::promise<quint16> porta;
    std::promise<QByteArray> primeiroPacote;
    std::thread servidor([&] {
        QTcpServer escuta;
        if (!escuta.listen(QHostAddress::LocalHost, 0)) {
            porta.set_value(0);
            primeiroPacote.set_value({});
            return;
        }
        porta.set_value(escuta.serverPort());
        QByteArray recebido;
        if (escuta.waitForNewConnection(30000)) {
            QTcpSocket* cliente = escuta.nextPendingConnection();
            if (cliente->waitForReadyRead(10000))
                recebido = cliente->readAll();
            cliente->abort();
        }
        primeiroPacote.set_value(recebido);
    });
    const quint16 p = porta.get_future().get();
    ASSERT_NE(p, 0);

    TKoDatabase db;
    db.SetDriverName("MSSQL");
    db.SetDatabaseName("127.0.0.1:erp");
    db.Port = p;
    db.User = "sa";
    db.Password = "x;y";
    try {
        db.Open();
        ADD_FAILURE() << "abriu sem servidor";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("FreeTDS")) << e.Message().toStdString();
    }
    EXPECT_FALSE(db.Connected());
    const QByteArray recebido = primeiroPacote.get_future().get();
    servidor.join();
    ASSERT_FALSE(recebido.isEmpty()) << "nenhuma conexão chegou a 127.0.0.1:" << p;
    EXPECT_EQ(recebido.at(0), char(0x12));

    // Another ODBC driver named on the connection is the one asked for.
    db.DriverOdbc = "Driver Que Nao Existe";
    try {
        db.Open();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("Driver Que Nao Existe")) << e.Message().toStdString();
    }
}

TEST(GetDatabase, CopiaOPaiEAbre)
{
    TKoDatabase filho;
    try {
        filho.GetDatabase(nullptr);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Conexão pai não existe.");
    }

    const BancoDeTeste banco = CriaBancoDeTeste(Servidor::FirebirdLocal);
    auto pai = AbreKoDatabase(banco);
    filho.GetDatabase(pai.get());
    EXPECT_TRUE(filho.Connected());
    EXPECT_EQ(filho.Database, pai->Database);

    TKoDatabase quebrado;
    quebrado.SetDriverName("FB");
    quebrado.SetDatabaseName("/nao/existe/base.fdb");
    TKoDatabase outro;
    try {
        outro.GetDatabase(&quebrado);
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith("Erro ao abrir a base \r")) << e.Message().toStdString();
        EXPECT_GT(e.Message().size(), QString("Erro ao abrir a base \r").size());
    }
}

TEST(GravaLog, RegistroVivoEnquantoLigado)
{
    TKoDatabase db;
    EXPECT_FALSE(db.GravaLog());
    db.SetGravaLog(true);
    ASSERT_NE(db.DadosGravaLog(), nullptr);
    EXPECT_FALSE(db.DadosGravaLog()->NrIP.isEmpty());
    db.Close();  // closing turns the flag off but keeps the record
    EXPECT_FALSE(db.GravaLog());
    EXPECT_NE(db.DadosGravaLog(), nullptr);
    db.SetGravaLog(false);
    EXPECT_EQ(db.DadosGravaLog(), nullptr);
}

} // namespace
