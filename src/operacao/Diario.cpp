#include "operacao/Diario.h"

#include "operacao/TextosCiclo.h"

#include "base/DonoDaPasta.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QVariant>

#include <stdexcept>

namespace {

const char* const kEsquema[] = {
    "CREATE TABLE IF NOT EXISTS CICLOS (ID INTEGER PRIMARY KEY, INICIO TEXT NOT NULL, FIM TEXT, "
    "INTEGRACAO TEXT, DESFECHO TEXT, ENVIADOS INTEGER, FALHAS INTEGER, ERRO TEXT, INTERVALO_MS INTEGER, "
    "CONEXOES TEXT)",
    "CREATE TABLE IF NOT EXISTS REGISTROS (ID INTEGER PRIMARY KEY, CICLO INTEGER, MOMENTO TEXT NOT NULL, "
    "INTEGRACAO TEXT, DIRECAO TEXT, TIPO TEXT, CHAVE TEXT, DESFECHO TEXT, LINHA TEXT, ERRO TEXT)",
    "CREATE TABLE IF NOT EXISTS EXECUCOES (ID INTEGER PRIMARY KEY, INICIO TEXT NOT NULL, PARADA TEXT)",
    "CREATE INDEX IF NOT EXISTS REGISTROS_MOMENTO ON REGISTROS (MOMENTO)",
    "CREATE INDEX IF NOT EXISTS REGISTROS_CHAVE ON REGISTROS (CHAVE)",
    "CREATE INDEX IF NOT EXISTS CICLOS_INICIO ON CICLOS (INICIO)",
};

// A statement of the journal's that failed.
class EDiario : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace

QString TDiario::Arquivo(const QString& pasta)
{
    return QDir(pasta).filePath(QStringLiteral("Logs/historico.sqlite"));
}

QString TDiario::Momento(const QDateTime& momento)
{
    return momento.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}

QDateTime TDiario::LeMomento(const QString& texto)
{
    return QDateTime::fromString(texto, Qt::ISODateWithMs).toLocalTime();
}

TDiario::TDiario(const QString& arquivo, std::function<void(const QString&)> avisa)
    : FArquivo(arquivo)
    , FAvisa(std::move(avisa))
    , FNomeConexao(QStringLiteral("quelix-diario-%1").arg(reinterpret_cast<quintptr>(this)))
{
}

TDiario::~TDiario()
{
    if (FBanco.isOpen())
        Confirma();
    FInsereRegistro.reset();
    FBanco.close();
    FBanco = QSqlDatabase();
    QSqlDatabase::removeDatabase(FNomeConexao);
}

// The folder and the file, when missing, made as the folder owner's: the
// file is made empty (an empty database) before SQLite opens it, so that
// the files SQLite makes beside it, made as root, are given that owner too.
void TDiario::CriaArquivo()
{
    const QString pasta = QFileInfo(FArquivo).absolutePath();
    const bool pastaExistia = QFileInfo::exists(pasta);
    if (!QDir().mkpath(pasta))
        throw EDiario("a pasta " + pasta.toStdString() + " não pode ser criada");
    if (!pastaExistia)
        DaAoDonoDaPasta(pasta);
    QFile arquivo(FArquivo);
    if (arquivo.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        arquivo.close();
        DaAoDonoDaPasta(FArquivo);
    }
}

// Opens the file, and makes its tables the first time. WAL lets readers in
// other processes read while this connection writes; NORMAL synchronous
// mode syncs at checkpoints, not at every record.
bool TDiario::Abre()
{
    if (FBanco.isOpen())
        return true;
    FUltimaAbertura.start();
    try {
        CriaArquivo();
        if (!FBanco.isValid())
            FBanco = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), FNomeConexao);
        FBanco.setDatabaseName(FArquivo);
        FBanco.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!FBanco.open())
            throw EDiario(FBanco.lastError().text().toStdString());
        QSqlQuery comando(FBanco);
        for (const char* texto : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL"}) {
            comando.prepare(QString::fromLatin1(texto));
            Executa(comando, texto);
        }
        for (const char* texto : kEsquema) {
            comando.prepare(QString::fromLatin1(texto));
            Executa(comando, "CREATE");
        }
        FInsereRegistro.emplace(FBanco);
        FInsereRegistro->prepare(QStringLiteral(
            "INSERT INTO REGISTROS (CICLO, MOMENTO, INTEGRACAO, DIRECAO, TIPO, CHAVE, DESFECHO, LINHA, ERRO) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    } catch (const EDiario& e) {
        Falhou(QStringLiteral("aberto"), QString::fromStdString(e.what()));
        return false;
    }
    return true;
}

// A write went through to the file: a failure said before is over. Opening
// proves nothing: on a full disk SQLite opens, and fails at the first write.
void TDiario::Gravou()
{
    if (!FAvisado)
        return;
    FAvisado = false;
    QString aviso = QStringLiteral("Histórico voltou a ser gravado em ") + FArquivo + u'.';
    if (FDescartados > 0)
        aviso += QStringLiteral(" %1 registro(s) mais antigo(s) não couberam na memória enquanto isso e não estão nele.")
                     .arg(FDescartados);
    FDescartados = 0;
    FAvisa(aviso);
}

void TDiario::Executa(QSqlQuery& comando, const char* onde)
{
    if (!comando.exec())
        throw EDiario(std::string(onde) + ": " + comando.lastError().text().toStdString());
}

// The records of the group become visible to readers.
void TDiario::Confirma()
{
    if (!FGrupo.isValid())
        return;
    FGrupo.invalidate();
    if (FConfirmaGrupo)
        FConfirmaGrupo->stop();
    if (!FBanco.commit())
        throw EDiario("COMMIT: " + FBanco.lastError().text().toStdString());
    FNoGrupo.clear();
    Gravou();
}

// Said once until the journal is written again; the monitor goes on.
void TDiario::Falhou(const QString& onde, const QString& erro)
{
    // The open group is rolled back with the connection: its records wait
    // again, before the ones that came after them.
    FNaoGravados = FNoGrupo + FNaoGravados;
    FNoGrupo.clear();
    FGrupo.invalidate();
    FInsereRegistro.reset();
    FBanco.close();
    FCiclo = 0;
    if (FAvisado)
        return;
    FAvisado = true;
    FAvisa(QStringLiteral("Histórico não pôde ser %1 (%2): %3. O monitoramento continua sem ele; "
                          "os registros esperam na memória até que ele volte.")
               .arg(onde, FArquivo, erro));
}

void TDiario::CicloIniciado(const TCicloEmAndamento& ciclo)
{
    FCiclo = 0;
    if (!Abre())
        return;
    try {
        Confirma();
        QSqlQuery comando(FBanco);
        comando.prepare(QStringLiteral("INSERT INTO CICLOS (INICIO, INTEGRACAO) VALUES (?, ?)"));
        comando.addBindValue(Momento(ciclo.Inicio));
        comando.addBindValue(ciclo.Integracao);
        Executa(comando, "INSERT INTO CICLOS");
        FCiclo = comando.lastInsertId().toLongLong();
        Gravou();
    } catch (const EDiario& e) {
        Falhou(QStringLiteral("gravado"), QString::fromStdString(e.what()));
    }
}

void TDiario::RegistraRegistro(const QString& integracao, const TRegistroTratado& registro, const QString& linhas)
{
    TLinhaRegistro linha{FCiclo == 0 ? QVariant() : QVariant(FCiclo),
                         Momento(QDateTime::currentDateTime()),
                         integracao,
                         registro.Direcao,
                         registro.Tipo,
                         registro.Chave,
                         registro.Desfecho,
                         linhas,
                         registro.Erro.isEmpty() ? QVariant() : QVariant(registro.Erro)};
    // A journal that failed is opened again, at most once in a group's
    // time, so that a long pass is recorded as soon as there is room again;
    // meanwhile its records wait in memory.
    if (!FInsereRegistro) {
        if ((FUltimaAbertura.isValid() && FUltimaAbertura.elapsed() < MaximoSemConfirmarMs) || !Abre()) {
            GuardaNaoGravado(std::move(linha));
            return;
        }
    }
    bool noGrupo = false;
    try {
        GravaNaoGravados();
        FNoGrupo << linha;
        noGrupo = true;
        Insere(linha);
        if (FGrupo.elapsed() >= MaximoSemConfirmarMs)
            Confirma();
    } catch (const EDiario& e) {
        if (!noGrupo)
            GuardaNaoGravado(std::move(linha));
        Falhou(QStringLiteral("gravado"), QString::fromStdString(e.what()));
    }
}

// One record into the open group (begun here when none is open).
void TDiario::Insere(const TLinhaRegistro& linha)
{
    if (!FGrupo.isValid()) {
        if (!FBanco.transaction())
            throw EDiario("BEGIN: " + FBanco.lastError().text().toStdString());
        FGrupo.start();
        ArmaConfirmacao();
    }
    QSqlQuery& insere = *FInsereRegistro;
    insere.bindValue(0, linha.Ciclo);
    insere.bindValue(1, linha.Momento);
    insere.bindValue(2, linha.Integracao);
    insere.bindValue(3, linha.Direcao);
    insere.bindValue(4, linha.Tipo);
    insere.bindValue(5, linha.Chave);
    insere.bindValue(6, linha.Desfecho);
    insere.bindValue(7, linha.Linhas);
    insere.bindValue(8, linha.Erro);
    Executa(insere, "INSERT INTO REGISTROS");
}

// A pass held by a call that does not answer (a service that took the
// request and stays silent) would otherwise keep its group open until the
// call's limit, and a stop that cannot wait for the call, or a kill, would
// lose records the other side had long confirmed. The timer fires only
// between the journal's own statements: nothing here runs an event loop.
void TDiario::ArmaConfirmacao()
{
    if (!FConfirmaGrupo) {
        FConfirmaGrupo = std::make_unique<QTimer>();
        FConfirmaGrupo->setSingleShot(true);
        QObject::connect(FConfirmaGrupo.get(), &QTimer::timeout, [this] {
            try {
                Confirma();
            } catch (const EDiario& e) {
                Falhou(QStringLiteral("gravado"), QString::fromStdString(e.what()));
            }
        });
    }
    FConfirmaGrupo->start(MaximoSemConfirmarMs);
}

// The records that waited in memory go first, in their order.
void TDiario::GravaNaoGravados()
{
    while (!FNaoGravados.isEmpty()) {
        FNoGrupo << FNaoGravados.takeFirst();
        Insere(FNoGrupo.back());
    }
}

void TDiario::GuardaNaoGravado(TLinhaRegistro linha)
{
    FNaoGravados << std::move(linha);
    if (FNaoGravados.size() > MaximoNaoGravados) {
        FNaoGravados.removeFirst();
        ++FDescartados;
    }
}

void TDiario::CicloTerminado(const TFimCiclo& fim)
{
    if (FCiclo == 0)
        return;
    try {
        if (FInsereRegistro)
            GravaNaoGravados();
        Confirma();
        QSqlQuery comando(FBanco);
        comando.prepare(QStringLiteral("UPDATE CICLOS SET FIM = ?, DESFECHO = ?, ENVIADOS = ?, FALHAS = ?, "
                                       "ERRO = ?, INTERVALO_MS = ?, CONEXOES = ? WHERE ID = ?"));
        comando.addBindValue(Momento(fim.Fim));
        comando.addBindValue(Texto(Desfecho(fim)));
        comando.addBindValue(fim.Enviados ? QVariant(*fim.Enviados) : QVariant());
        comando.addBindValue(fim.Falhas);
        comando.addBindValue(fim.Erro.isEmpty() ? QVariant() : QVariant(fim.Erro));
        comando.addBindValue(fim.IntervaloMs);
        comando.addBindValue(ConexoesComoTexto(fim.Conexoes));
        comando.addBindValue(FCiclo);
        Executa(comando, "UPDATE CICLOS");
        Gravou();
    } catch (const EDiario& e) {
        Falhou(QStringLiteral("gravado"), QString::fromStdString(e.what()));
    }
    FCiclo = 0;
}

void TDiario::ExecucaoIniciada(const QDateTime& inicio)
{
    FExecucao = 0;
    if (!Abre())
        return;
    try {
        Confirma();
        QSqlQuery comando(FBanco);
        comando.prepare(QStringLiteral("INSERT INTO EXECUCOES (INICIO) VALUES (?)"));
        comando.addBindValue(Momento(inicio));
        Executa(comando, "INSERT INTO EXECUCOES");
        FExecucao = comando.lastInsertId().toLongLong();
    } catch (const EDiario& e) {
        Falhou(QStringLiteral("gravado"), QString::fromStdString(e.what()));
    }
}

void TDiario::ExecucaoParada(const QDateTime& parada)
{
    // A run whose start could not be noted leaves its stop unsaid: a reader
    // then judges it by its cycles, as before.
    if (FExecucao == 0 || !Abre())
        return;
    try {
        Confirma();
        QSqlQuery comando(FBanco);
        comando.prepare(QStringLiteral("UPDATE EXECUCOES SET PARADA = ? WHERE ID = ?"));
        comando.addBindValue(Momento(parada));
        comando.addBindValue(FExecucao);
        Executa(comando, "UPDATE EXECUCOES");
    } catch (const EDiario& e) {
        Falhou(QStringLiteral("gravado"), QString::fromStdString(e.what()));
    }
    FExecucao = 0;
}

// Each connection with its state and since when it has been in it, as a
// JSON array: [{"nome": "KoDatabase1", "ativa": true, "desde": "..."}].
QString TDiario::ConexoesComoTexto(const QList<TEstadoConexao>& conexoes)
{
    QJsonArray lista;
    for (const TEstadoConexao& conexao : conexoes)
        lista.append(QJsonObject{{QStringLiteral("nome"), conexao.Nome},
                                 {QStringLiteral("ativa"), conexao.Ativa},
                                 {QStringLiteral("desde"), Momento(conexao.Desde)}});
    return QString::fromUtf8(QJsonDocument(lista).toJson(QJsonDocument::Compact));
}

void TDiario::Poda(int dias, const QDate& hoje)
{
    if (FDiaPoda == hoje || dias < 1 || !Abre())
        return;
    FDiaPoda = hoje;
    const QString limite = Momento(QDateTime(hoje.addDays(-dias), QTime(0, 0)));
    try {
        QSqlQuery comando(FBanco);
        comando.prepare(QStringLiteral("DELETE FROM REGISTROS WHERE MOMENTO < ?"));
        comando.addBindValue(limite);
        Executa(comando, "DELETE FROM REGISTROS");
        comando.prepare(QStringLiteral("DELETE FROM CICLOS WHERE INICIO < ?"));
        comando.addBindValue(limite);
        Executa(comando, "DELETE FROM CICLOS");
        // The run in progress stays however long it has run.
        comando.prepare(QStringLiteral("DELETE FROM EXECUCOES WHERE INICIO < ? AND ID <> ?"));
        comando.addBindValue(limite);
        comando.addBindValue(FExecucao);
        Executa(comando, "DELETE FROM EXECUCOES");
    } catch (const EDiario& e) {
        Falhou(QStringLiteral("podado"), QString::fromStdString(e.what()));
    }
}
