#include "ApoioMonitor.h"

#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "OutraConexao.h"
#include "dblayer/KoDatabase.h"
#include "dblayer/KoQuery.h"
#include "monitor/Monitora.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>

namespace ApoioMonitor {

QString PastaComIni(const QString& conteudo)
{
    const QString pasta = QDir(AmbienteTeste::pastaTemporaria()).filePath(AmbienteTeste::nomeUnico("qx"));
    QDir().mkpath(pasta);
    QFile arquivo(QDir(pasta).filePath(QStringLiteral("QX.ini")));
    if (!arquivo.open(QIODevice::WriteOnly))
        throw std::runtime_error("não foi possível escrever o QX.ini de teste");
    arquivo.write(conteudo.toUtf8());
    return pasta;
}

QString InstalaExecutavel(const QString& executavel, const QString& ini)
{
    const QString copia = QDir(PastaComIni(ini)).filePath(QStringLiteral("quelix"));
    if (!QFile::copy(executavel, copia))
        throw std::runtime_error("não foi possível copiar o executável " + executavel.toStdString());
    QFile::setPermissions(copia, QFile::permissions(copia) | QFile::ExeOwner);
    return copia;
}

TSaida Executa(const QString& programa, const QStringList& argumentos, const QProcessEnvironment& ambiente)
{
    QProcess processo;
    processo.setProcessEnvironment(ambiente);
    processo.setWorkingDirectory(QDir::tempPath());
    processo.start(programa, argumentos);
    if (!processo.waitForFinished(300000))
        processo.kill();
    return {processo.exitStatus() == QProcess::NormalExit ? processo.exitCode() : -1,
            QString::fromUtf8(processo.readAllStandardOutput()), QString::fromUtf8(processo.readAllStandardError())};
}

QString StatusDoLote(const QString& erp, const QString& numero)
{
    return TOutraConexao(TOutraConexao::TServidor::Firebird, erp)
        .Coluna(QStringLiteral("SELECT STATUS_QX FROM FAL_001 WHERE NUMERO = :NUMERO"), {{QStringLiteral("NUMERO"), numero}})
        .value(0);
}

void AbrePostgres(TKoDatabase& banco, const QString& base)
{
    banco.SetDriverName(QStringLiteral("PG"));
    banco.SetDatabaseName(AmbienteTeste::pgHost() + u':' + base);
    banco.Port = AmbienteTeste::pgPorta();
    banco.User = AmbienteTeste::pgUsuario();
    banco.Password = AmbienteTeste::pgSenha();
    banco.Open();
}

// Through a connection of this process: embedded Firebird admits one process
// per database file, and the monitor under test may hold it open.
void AbreErp(TKoDatabase& banco, const QString& erp)
{
    banco.SetDriverName(QStringLiteral("FB"));
    banco.SetDatabaseName(erp);
    banco.Open();
}

void InsereFila(const QString& erp, const QStringList& status)
{
    TKoDatabase banco;
    AbreErp(banco, erp);
    TKoQuery comando;
    comando.SetDatabase(&banco);
    for (int i = 0; i < status.size(); ++i) {
        comando.Close();
        comando.SQL.Clear();
        comando.SQL.Add(QStringLiteral("INSERT INTO QX_INTEGRA (ORDEM, TIPO, OPERACAO, CAMPO1, STATUS) "
                                       "VALUES (%1, 'CL', 'I', 'C%1', %2)")
                            .arg(i + 1)
                            .arg(status[i].isEmpty() ? QStringLiteral("NULL") : status[i]));
        comando.ExecSQL();
    }
    banco.CommitRetaining();
    banco.Close();
}

QStringList LeStatusFila(const QString& erp)
{
    return TOutraConexao(TOutraConexao::TServidor::Firebird, erp)
        .Coluna(QStringLiteral("SELECT STATUS FROM QX_INTEGRA ORDER BY ORDEM"));
}

bool EsperaLeituraFila(TMonitora& monitora)
{
    const QDeadlineTimer limite(60000);
    while (monitora.LendoFila() && !limite.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !monitora.LendoFila();
}

} // namespace ApoioMonitor
