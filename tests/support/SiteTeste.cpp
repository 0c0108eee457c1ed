#include "SiteTeste.h"

#include "AmbienteTeste.h"
#include "BancoTeste.h"

namespace SiteTeste {

QString CriaErp()
{
    return BancoTeste::criaFirebirdLocal(AmbienteTeste::nomeUnico("erp"), {"erp_firebird.sql"});
}

QString SecaoBanco1(const QString& erp)
{
    return QStringLiteral("[Banco1]\nProtocolo=firebird\nBase=%1\nUsuario=SYSDBA\nSenha=\n").arg(erp);
}

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

TSiteBruma SiteBruma(const QString& sqlErp, const QString& sqlFila, const QString& dsnNoIni)
{
    TSiteBruma site;
    site.Erp = CriaErp();
    BancoTeste::executaSqlFirebird(site.Erp, sqlErp);
    site.Dsn = CriaFilaBruma(sqlFila);
    site.Ini = SecaoBanco1(site.Erp) + SecaoBanco2(dsnNoIni.isEmpty() ? site.Dsn : dsnNoIni)
             + QStringLiteral("[ModeloAtivo]\nModelo=0\n");
    return site;
}

} // namespace SiteTeste
