#include "ApoioMonitor.h"

#include "AmbienteTeste.h"
#include "BancoTeste.h"
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

const char* const ErpLote4711 =
    "INSERT INTO ENTIDADE_001 (CODCLI, NOME) VALUES ('C1', 'Malharia Alfa');\n"
    "INSERT INTO CADCORTIN_001 (CODIGO, DESCRICAO, COR_SIS) VALUES ('AZ-010', 'Azul', '16711680');\n"
    "INSERT INTO GRAFICO_001 (CODIGO, DESCRICAO, TEMPO) VALUES ('G1', 'Reativo', '01:30:00');\n"
    "INSERT INTO RECEITA_001 (COR, VARIANTE, GRAFICO) VALUES ('AZ-010', 'V1', 'G1');\n"
    "INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) VALUES ('4711', 'AZ-010', 'M01', 'C1', 'V1');\n"
    "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4711', 1, 100.5, 10);\n"
    "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('4711', 2, 120, 12);\n";
const char* const FilaLote4711 =
    "INSERT INTO ENCADEAMENTO (NOME, RECEITA1, RECEITA2) VALUES ('AZ-010', 'PREPARA', 'TINGE');";
const char* const ErpLoteRuimEBom =
    "INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('RUIM', 'não é número');\n"
    "INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('AZUL', '255');\n"
    "INSERT INTO FAL_001 (NUMERO, COR, MAQUINA) VALUES ('1', 'RUIM', 'M01');\n"
    "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('1', 1, 1, 1);\n"
    "INSERT INTO FAL_001 (NUMERO, COR, MAQUINA) VALUES ('2', 'AZUL', 'M01');\n"
    "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('2', 1, 1, 1);\n";
const char* const FilaLoteRuimEBom = "INSERT INTO ENCADEAMENTO (NOME, RECEITA1) VALUES ('RUIM', 'A'), ('AZUL', 'B');";

QString CriaFilaBruma(const QString& sql)
{
    const QString fila = BancoTeste::criaPostgres(AmbienteTeste::nomeUnico(QStringLiteral("bruma")),
                                                  {QStringLiteral("bruma_postgres.sql")});
    BancoTeste::executaSqlPostgres(fila, sql);
    return BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico(QStringLiteral("dsn")), fila);
}

QString SecaoBanco2(const QString& dsn)
{
    return QStringLiteral("[Banco2]\nProtocolo=Postgres\nBase=%1\nUsuario=%2\nSenha=%3\n")
        .arg(dsn, AmbienteTeste::pgUsuario(), AmbienteTeste::pgSenha());
}

QString StatusDoLote(const QString& erp, const QString& numero)
{
    TKoDatabase banco;
    AbreErp(banco, erp);
    TKoQuery lote;
    lote.SetDatabase(&banco);
    lote.SQL.Add(QStringLiteral("SELECT STATUS_QX FROM FAL_001 WHERE NUMERO = :NUMERO"));
    lote.ParamByName(QStringLiteral("NUMERO")).SetAsString(numero);
    lote.Open();
    return lote.Eof() ? QString() : lote.FieldByName(QStringLiteral("STATUS_QX")).AsString();
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

QString CriaErp()
{
    return BancoTeste::criaFirebirdLocal(AmbienteTeste::nomeUnico("erp"), {"erp_firebird.sql"});
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
    TKoDatabase banco;
    banco.SetDriverName(QStringLiteral("FB"));
    banco.SetDatabaseName(erp);
    banco.Open();
    TKoQuery consulta;
    consulta.SetDatabase(&banco);
    consulta.SQL.Add(QStringLiteral("SELECT STATUS FROM QX_INTEGRA ORDER BY ORDEM"));
    consulta.Open();
    QStringList status;
    for (consulta.First(); !consulta.Eof(); consulta.Next())
        status << consulta.FieldByName(QStringLiteral("STATUS")).AsString();
    consulta.Close();
    banco.Close();
    return status;
}

QString SecaoBanco1(const QString& erp)
{
    return QStringLiteral("[Banco1]\nProtocolo=firebird\nBase=%1\nUsuario=SYSDBA\nSenha=\n").arg(erp);
}

bool EsperaLeituraFila(TMonitora& monitora)
{
    const QDeadlineTimer limite(60000);
    while (monitora.LendoFila() && !limite.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return !monitora.LendoFila();
}

} // namespace ApoioMonitor
