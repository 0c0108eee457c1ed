#include "dblayer/ListaColunasConexao.h"

#include "base/Erros.h"
#include "base/ListaLinhas.h"
#include "dblayer/ErroSql.h"
#include "dblayer/traducao/ExpandeAsterisco.h"

#include <QSqlError>
#include <QSqlQuery>

QStringList ListaColunasPelaConexao(const QSqlDatabase& conexao, const QString& tabela)
{
    TListaLinhas linhas;
    for (const QString& linha : SQLListaCampos(tabela, true))
        linhas.Add(linha);

    QSqlQuery consulta(conexao);
    consulta.setForwardOnly(true);
    if (!consulta.exec(linhas.Text()))
        throw EDatabaseError(QStringLiteral("Erro KoQuery.Open: ") + TextoDoErroSql(consulta.lastError()));

    QStringList colunas;
    while (consulta.next())
        colunas << consulta.value(0).toString().trimmed();
    return colunas;
}
