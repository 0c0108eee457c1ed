// Every column type goes to the server and back with its exact value.

#include "BancoFirebird.h"
#include "dblayer/firebird/DriverFirebird.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString kTabela = QStringLiteral(
    "CREATE TABLE TIPOS (ID INTEGER NOT NULL PRIMARY KEY, C CHAR(5), V VARCHAR(20), S SMALLINT,"
    " I INTEGER, B BIGINT, N NUMERIC(15,3), N2 NUMERIC(4,2), D DECIMAL(18,4), F FLOAT,"
    " DP DOUBLE PRECISION, DT DATE, TM TIME, TS TIMESTAMP, BO BOOLEAN, BT BLOB SUB_TYPE TEXT,"
    " BB BLOB SUB_TYPE BINARY, O CHAR(4) CHARACTER SET OCTETS);");

struct Caso {
    const char* coluna;
    QVariant enviado;
    QVariant esperado;
};

QByteArray todosOsBytes()
{
    QByteArray bytes;
    for (int i = 0; i < 256 * 300; ++i)
        bytes += static_cast<char>(i % 256);
    return bytes;
}

QList<Caso> casos()
{
    const QString textoLongo = QString(40000, QChar(0x00E1)) + QStringLiteral("fim");
    return {
        {"C", QStringLiteral("ab"), QStringLiteral("ab   ")},
        {"C", QStringLiteral("ção"), QStringLiteral("ção  ")},
        {"V", QStringLiteral("olá, mundo "), QStringLiteral("olá, mundo ")},
        {"S", 32000, 32000},
        {"I", -5, -5},
        {"I", QStringLiteral("42"), 42},
        {"B", qint64(9000000000000000000LL), qint64(9000000000000000000LL)},
        {"N", QStringLiteral("12.5"), QStringLiteral("12.500")},
        {"N", 12.5, QStringLiteral("12.500")},
        {"N", 0.1, QStringLiteral("0.100")},
        {"N", QStringLiteral("-0.05"), QStringLiteral("-0.050")},
        {"N", QStringLiteral("12.3456"), QStringLiteral("12.346")},
        {"N", 7, QStringLiteral("7.000")},
        {"N", QStringLiteral("999999999999.999"), QStringLiteral("999999999999.999")},
        {"N2", QStringLiteral("-0.05"), QStringLiteral("-0.05")},
        {"D", QStringLiteral("12345678901234.5678"), QStringLiteral("12345678901234.5678")},
        {"F", 1.5, 1.5},
        {"DP", 0.1, 0.1},
        {"DT", QDate(2024, 2, 29), QDate(2024, 2, 29)},
        {"DT", QStringLiteral("2024-01-31"), QDate(2024, 1, 31)},
        {"DT", QDate(1858, 11, 16), QDate(1858, 11, 16)},
        {"TM", QTime(13, 45, 10, 123), QTime(13, 45, 10, 123)},
        {"TS", QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59, 999)),
         QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59, 999))},
        {"BO", true, true},
        {"BO", false, false},
        {"BT", textoLongo, textoLongo},
        {"BB", todosOsBytes(), todosOsBytes()},
        {"O", QByteArray("\x00\x01\xfe\xff", 4), QByteArray("\x00\x01\xfe\xff", 4)},
        {"N", QVariant(QMetaType(QMetaType::Double)), QVariant(QMetaType(QMetaType::QString))},
        {"DT", QVariant(QMetaType(QMetaType::QDate)), QVariant(QMetaType(QMetaType::QDate))},
        {"I", QVariant(QMetaType(QMetaType::QString)), QVariant(QMetaType(QMetaType::Int))},
    };
}

class ValoresFirebird : public TesteFirebird {};

TEST_P(ValoresFirebird, CadaTipoVoltaComOValorExato)
{
    QSqlDatabase db = conecta(criaBanco(kTabela));
    const QList<Caso> tabela = casos();
    for (int id = 0; id < tabela.size(); ++id) {
        const Caso& caso = tabela.at(id);
        SCOPED_TRACE(std::string(caso.coluna) + " <- " + caso.enviado.toString().left(40).toStdString());
        QSqlQuery grava(db);
        ASSERT_TRUE(grava.prepare(QStringLiteral("INSERT INTO TIPOS (ID, %1) VALUES (?, ?)").arg(caso.coluna)));
        grava.addBindValue(id);
        grava.addBindValue(caso.enviado);
        ASSERT_TRUE(grava.exec()) << grava.lastError().text().toStdString();
        EXPECT_EQ(grava.numRowsAffected(), 1);

        QSqlQuery le(db);
        le.setNumericalPrecisionPolicy(QSql::HighPrecision);
        ASSERT_TRUE(le.exec(QStringLiteral("SELECT %1 FROM TIPOS WHERE ID = %2").arg(caso.coluna).arg(id)));
        ASSERT_TRUE(le.next());
        const QVariant lido = le.value(0);
        EXPECT_EQ(lido.metaType(), caso.esperado.metaType());
        EXPECT_EQ(lido.isNull(), caso.esperado.isNull());
        if (!caso.esperado.isNull()) {
            EXPECT_EQ(lido, caso.esperado);
        }
    }
}

TEST_P(ValoresFirebird, NumericoEscaladoEmBaixaPrecisaoEhDouble)
{
    QSqlDatabase db = conecta(criaBanco(kTabela));
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO TIPOS (ID, N, N2) VALUES (1, 12.5, -0.05)")));
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT N, N2 FROM TIPOS")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0), QVariant(12.5));
    EXPECT_EQ(q.value(1), QVariant(-0.05));
}

TEST_P(ValoresFirebird, RegistroDescreveAsColunas)
{
    QSqlDatabase db = conecta(criaBanco(kTabela));
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT ID AS CODIGO, C, N, BT FROM TIPOS")));
    const QSqlRecord registro = q.record();
    ASSERT_EQ(registro.count(), 4);
    EXPECT_EQ(registro.fieldName(0), QStringLiteral("CODIGO"));
    EXPECT_EQ(registro.field(0).requiredStatus(), QSqlField::Required);
    EXPECT_EQ(registro.field(1).requiredStatus(), QSqlField::Optional);
    EXPECT_EQ(registro.field(1).length(), 5);
    EXPECT_EQ(registro.field(2).precision(), 3);
    EXPECT_EQ(registro.field(2).metaType(), QMetaType(QMetaType::Double));
    EXPECT_EQ(registro.field(3).metaType(), QMetaType(QMetaType::QString));
}

TEST_P(ValoresFirebird, InstrucaoPreparadaReexecutaComNovosValores)
{
    QSqlDatabase db = conecta(criaBanco(kTabela));
    QSqlQuery grava(db);
    ASSERT_TRUE(grava.prepare(QStringLiteral("INSERT INTO TIPOS (ID, N, V) VALUES (:id, :n, :v)")));
    for (int i = 1; i <= 200; ++i) {
        grava.bindValue(QStringLiteral(":id"), i);
        grava.bindValue(QStringLiteral(":n"), QStringLiteral("0.001"));
        grava.bindValue(QStringLiteral(":v"), QStringLiteral("linha %1").arg(i));
        ASSERT_TRUE(grava.exec()) << grava.lastError().text().toStdString();
    }
    QSqlQuery altera(db);
    ASSERT_TRUE(altera.exec(QStringLiteral("UPDATE TIPOS SET S = 1 WHERE ID > 150")));
    EXPECT_EQ(altera.numRowsAffected(), 50);

    QSqlQuery le(db);
    le.setNumericalPrecisionPolicy(QSql::HighPrecision);
    ASSERT_TRUE(le.exec(QStringLiteral("SELECT SUM(N), MAX(V) FROM TIPOS")));
    ASSERT_TRUE(le.next());
    EXPECT_EQ(le.value(0).toString(), QStringLiteral("0.200"));
    EXPECT_EQ(le.value(1).toString(), QStringLiteral("linha 99"));
}

TEST_P(ValoresFirebird, NavegaParaTrasEmResultadoRolavel)
{
    QSqlDatabase db = conecta(criaBanco(kTabela));
    QSqlQuery q(db);
    ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO TIPOS (ID) SELECT RDB$RELATION_ID FROM RDB$RELATIONS")));
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT ID FROM TIPOS ORDER BY ID")));
    ASSERT_TRUE(q.last());
    const int ultimo = q.value(0).toInt();
    const int posicao = q.at();
    ASSERT_TRUE(q.first());
    EXPECT_EQ(q.value(0).toInt(), 0);
    ASSERT_TRUE(q.seek(posicao));
    EXPECT_EQ(q.value(0).toInt(), ultimo);
    ASSERT_TRUE(q.previous());
    EXPECT_LT(q.value(0).toInt(), ultimo);
}

TEST_P(ValoresFirebird, TextoMaiorQueAColunaDaErroDoServidor)
{
    QSqlDatabase db = conecta(criaBanco(kTabela));
    QSqlQuery q(db);
    ASSERT_TRUE(q.prepare(QStringLiteral("INSERT INTO TIPOS (ID, C) VALUES (1, ?)")));
    q.addBindValue(QStringLiteral("longo demais"));
    EXPECT_FALSE(q.exec());
    EXPECT_TRUE(q.lastError().text().contains(QStringLiteral("truncation"))) << q.lastError().text().toStdString();
    EXPECT_NE(q.lastError().nativeErrorCode(), QString());
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) FROM TIPOS")));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 0);
}

INSTANCIA_NAS_DUAS_FORMAS(ValoresFirebird);

} // namespace
