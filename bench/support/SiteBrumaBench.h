#pragma once

#include <QString>

// The Bruma site the benchmarks run a pass over: `lotes` lots of two items
// each, over five colours and `maquinas` machines, in the ERP; the colours'
// chains in the machine queue's database. A client's name holds a quote, as
// real names do.
inline QString SqlErpBruma(int lotes, int maquinas)
{
    QString sql;
    for (int c = 1; c <= 5; ++c) {
        sql += QStringLiteral("INSERT INTO CADCORTIN_001 (CODIGO, COR_SIS) VALUES ('COR%1', '%2');\n").arg(c).arg(c * 1000);
        sql += QStringLiteral("INSERT INTO GRAFICO_001 (CODIGO, TEMPO) VALUES ('G%1', '0%1:15:00');\n").arg(c);
        sql += QStringLiteral("INSERT INTO RECEITA_001 (COR, VARIANTE, GRAFICO) VALUES ('COR%1', 'V', 'G%1');\n").arg(c);
        sql += QStringLiteral("INSERT INTO ENTIDADE_001 (CODCLI, NOME) VALUES ('C%1', 'Cliente %1 d''Ouro');\n").arg(c);
    }
    for (int lote = 1; lote <= lotes; ++lote) {
        sql += QStringLiteral("INSERT INTO FAL_001 (NUMERO, COR, MAQUINA, CLIENTE, VARIANTE) "
                              "VALUES ('%1', 'COR%2', 'M%3', 'C%2', 'V');\n")
                   .arg(100000 + lote).arg(lote % 5 + 1).arg(lote % maquinas);
        for (int item = 1; item <= 2; ++item)
            sql += QStringLiteral("INSERT INTO FAL_ITEN_001 (FAL, ORD_IT, PESO, ROLO) VALUES ('%1', %2, %3.25, %2);\n")
                       .arg(100000 + lote).arg(item).arg(lote % 97);
    }
    return sql;
}

inline QString SqlEncadeamentosBruma()
{
    QString sql;
    for (int c = 1; c <= 5; ++c)
        sql += QStringLiteral("INSERT INTO ENCADEAMENTO (NOME, RECEITA1, RECEITA2, RECEITA3, RECEITA4, RECEITA5) "
                              "VALUES ('COR%1', 'PRE', 'TINGE', 'LAVA', '', '');\n").arg(c);
    return sql;
}
