#include "CenarioBruma.h"

#include "AmbienteTeste.h"
#include "BancoTeste.h"
#include "OutraConexao.h"

#include <QMap>

namespace {

using TServidor = TOutraConexao::TServidor;

// The lot numbers are fixed-length text, read with their padding.
QStringList Aparados(QStringList valores)
{
    for (QString& valor : valores)
        valor = valor.trimmed();
    return valores;
}

} // namespace

TCenarioBruma::TCenarioBruma()
{
    FErp = BancoTeste::criaFirebirdServidor(QStringLiteral("erp_bruma"), {QStringLiteral("erp_firebird.sql")});
    QString sqlErp;
    for (int c = 1; c <= 5; ++c)
        sqlErp += QStringLiteral("INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('COR%1', '%2');\n"
                                 "INSERT INTO GRAFICO_001 (CODIGO, TEMPO) VALUES ('G%1', '0%1:15:00');\n"
                                 "INSERT INTO RECEITA_001 (COR, VARIANTE, GRAFICO) VALUES ('COR%1', 'V', 'G%1');\n"
                                 "INSERT INTO ENTIDADE_001 (CODCLI, NOME) VALUES ('C%1', 'Cliente %1');\n")
                      .arg(c)
                      .arg(c * 1000);
    BancoTeste::executaSqlFirebird(FErp, sqlErp);

    FFila = BancoTeste::criaPostgres(QStringLiteral("fila_bruma"), {QStringLiteral("bruma_postgres.sql")});
    BancoTeste::executaSqlPostgres(
        FFila, QStringLiteral("INSERT INTO ENCADEAMENTO (NOME, RECEITA1, RECEITA2, RECEITA3) VALUES "
                              "('COR1', 'PRE', 'TINGE', 'LAVA'), ('COR2', 'PRE', 'TINGE', 'LAVA'), "
                              "('COR3', 'PRE', 'TINGE', ''), ('COR4', 'TINGE', '', ''), ('COR5', 'TINGE', 'LAVA', '');"));
    FDsn = BancoTeste::criaDsnOdbc(AmbienteTeste::nomeUnico(QStringLiteral("dsn_bruma")), FFila);
}

TCenarioBruma::~TCenarioBruma()
{
    try {
        BancoTeste::executaSqlPostgres(AmbienteTeste::pgBanco(),
                                       QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE);").arg(FFila));
    } catch (...) {
        // Dropped again at the end of the run, where that still can be.
    }
}

void TCenarioBruma::InsereLotes(int primeiro, int ultimo)
{
    QString sql;
    for (int i = primeiro; i <= ultimo; ++i) {
        sql += QStringLiteral("INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) "
                              "VALUES ('%1', 'COR%2', 'M%3', 'C%2', 'V');\n")
                   .arg(NumeroLote(i))
                   .arg(i % 5 + 1)
                   .arg(i % 10);
        for (int item = 1; item <= 2; ++item)
            sql += QStringLiteral("INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('%1', %2, %3.5, %2);\n")
                       .arg(NumeroLote(i))
                       .arg(item)
                       .arg(i % 97);
    }
    BancoTeste::executaSqlFirebird(FErp, sql);
}

void TCenarioBruma::InsereLoteSemPrograma(const QString& numero)
{
    BancoTeste::executaSqlFirebird(
        FErp, QStringLiteral("INSERT INTO FAL_001 (NUMERO, COR, MAQUINA) VALUES ('%1', 'SEM_PROGRAMA', 'M1');\n"
                             "INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('%1', 1, 1, 1);\n")
                  .arg(numero));
}

QString TCenarioBruma::Ini() const
{
    return QStringLiteral("[Banco1]\nProtocolo=firebird\nBase=%1\nUsuario=%2\nSenha=%3\n"
                          "[Banco2]\nProtocolo=Postgres\nBase=%4\nUsuario=%5\nSenha=%6\n"
                          "[ModeloAtivo]\nModelo=0\n")
        .arg(FErp, AmbienteTeste::fbUsuario(), AmbienteTeste::fbSenha(), FDsn, AmbienteTeste::pgUsuario(),
             AmbienteTeste::pgSenha());
}

void TCenarioBruma::TornaPendentes()
{
    TOutraConexao(TServidor::Postgres, FFila).Executa(QStringLiteral("DELETE FROM OB"));
    TOutraConexao(TServidor::Firebird, FErp).Executa(QStringLiteral("UPDATE FAL_001 SET STATUS_QX = NULL"));
}

int TCenarioBruma::Pendentes() const
{
    return TOutraConexao(TServidor::Firebird, FErp)
        .Coluna(QStringLiteral("SELECT COUNT(*) FROM FAL_001 WHERE STATUS_QX IS NULL OR STATUS_QX = ''"))
        .value(0)
        .toInt();
}

QStringList TCenarioBruma::NumerosNaFila() const
{
    return Aparados(TOutraConexao(TServidor::Postgres, FFila).Coluna(QStringLiteral("SELECT NUMEROOB FROM OB")));
}

QStringList TCenarioBruma::Divergencias(const QStringList& numeros) const
{
    QMap<QString, int> naFila;
    for (const QString& numero : NumerosNaFila())
        ++naFila[numero];
    const QStringList marcados = Aparados(
        TOutraConexao(TServidor::Firebird, FErp).Coluna(QStringLiteral("SELECT NUMERO FROM FAL_001 WHERE STATUS_QX = 'E'")));

    QStringList divergencias;
    for (const QString& numero : numeros) {
        const int vezes = naFila.take(numero);
        if (vezes != 1)
            divergencias << QStringLiteral("%1: %2 vezes na fila").arg(numero).arg(vezes);
        if (!marcados.contains(numero))
            divergencias << numero + QStringLiteral(": não marcado \"E\" no ERP");
    }
    for (auto i = naFila.cbegin(); i != naFila.cend(); ++i)
        divergencias << QStringLiteral("%1: %2 vezes na fila sem ser esperado").arg(i.key()).arg(i.value());
    return divergencias;
}
