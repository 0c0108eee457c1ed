#include "integracoes/bruma/LinhaOB.h"

#include "integracoes/bruma/HoraParaDecimal.h"
#include "integracoes/bruma/TextoSql.h"
#include "dblayer/KoQuery.h"

int TEncadeamento::TotalReceitas() const
{
    int total = 0;
    for (const QString& receita : Receitas)
        total += receita.isEmpty() ? 0 : 1;
    return total;
}

namespace {

QString Texto(TKoQuery& lote, const char* coluna)
{
    return lote.FieldByName(QLatin1String(coluna)).AsString();
}

} // namespace

TLinhaOB MontaLinhaOB(TKoQuery& lote, const TEncadeamento& encadeamento, int posicao,
                      TRelator& relator)
{
    TLinhaOB linha;
    linha.NumeroOB = NumeroOB(Texto(lote, "NUMERO"));
    linha.Pecas = Texto(lote, "PECAS");
    linha.Maquina = Texto(lote, "MAQUINA");
    linha.Cliente = Texto(lote, "NOME").left(50);
    linha.Peso = Texto(lote, "PESO");
    linha.Encadeamento = Texto(lote, "COR");
    linha.Cor = linha.Encadeamento;
    linha.Rgb = lote.FieldByName(QStringLiteral("COR_SIS")).AsInteger();
    linha.Posicao = posicao;
    linha.DataProg = DataHoraLocal();
    linha.DataInicio = DataHoraLocal();
    linha.DataFim = DataHoraLocal();
    linha.TotalReceitas = encadeamento.TotalReceitas();
    linha.Receitas = encadeamento.Receitas;
    linha.TempoTotal = 0;
    linha.TempoProg = MinutosProgramados(HoraParaDecimal(Texto(lote, "TEMPO"), relator));
    return linha;
}

QStringList ValoresOB(const TLinhaOB& linha)
{
    QStringList valores{
        LiteralSql(linha.NumeroOB),
        LiteralSql(linha.Pecas),
        LiteralSql(linha.Maquina),
        LiteralSql(linha.Cliente),
        LiteralSql(linha.Peso),
        LiteralSql(linha.Encadeamento),
        LiteralSql(linha.Cor),
        QString::number(linha.Rgb),
        LiteralSql(linha.StatusTermino),
        QString::number(linha.Posicao),
        LiteralSql(linha.DataProg),
        LiteralSql(linha.DataInicio),
        LiteralSql(linha.DataFim),
        LiteralSql(QString::number(linha.TotalReceitas)),
    };
    for (const QString& receita : linha.Receitas)
        valores << LiteralSql(receita);
    valores << QString::number(linha.TempoTotal) << QString::number(linha.TempoProg);
    return valores;
}

void AdicionaInsertOB(TListaLinhas& sql, const TLinhaOB& linha)
{
    sql.Add(QStringLiteral("INSERT INTO OB "));
    sql.Add(QStringLiteral("(NUMEROOB, PECAS, MAQUINA, CLIENTE, PESO, ENCADEAMENTO, COR, RGB, "));
    sql.Add(QStringLiteral("STATUSTERMINO, POSICAO, DATAPROG, DATAINICIO, DATAFIM, "));
    sql.Add(QStringLiteral("TOTALRECEITAS, RECEITA01, RECEITA02, RECEITA03, RECEITA04, RECEITA05, TEMPOTOTAL, TEMPOPROG) "));
    sql.Add(QStringLiteral("VALUES"));

    const QStringList valores = ValoresOB(linha);
    for (qsizetype i = 0; i < valores.size(); ++i) {
        const QString abertura = i == 0 ? QStringLiteral("(") : QStringLiteral(",");
        const QString fecho = i == valores.size() - 1 ? QStringLiteral(")") : QString();
        sql.Add(abertura + valores[i] + fecho);
    }
}
