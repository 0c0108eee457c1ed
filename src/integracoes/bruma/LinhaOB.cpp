#include "integracoes/bruma/LinhaOB.h"

#include "base/Caracteres.h"
#include "base/ListaLinhas.h"
#include "dblayer/KoQuery.h"
#include "integracao/Relator.h"
#include "integracoes/bruma/HoraParaDecimal.h"
#include "integracoes/bruma/NumeroOB.h"

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

// The columns of OB in the order the statement names them.
const std::array<const char*, 21> ColunasOB = {
    "NUMEROOB", "PECAS", "MAQUINA", "CLIENTE", "PESO", "ENCADEAMENTO", "COR", "RGB",
    "STATUSTERMINO", "POSICAO", "DATAPROG", "DATAINICIO", "DATAFIM", "TOTALRECEITAS",
    "RECEITA01", "RECEITA02", "RECEITA03", "RECEITA04", "RECEITA05", "TEMPOTOTAL", "TEMPOPROG",
};

} // namespace

TLinhaOB MontaLinhaOB(TKoQuery& lote, const TEncadeamento& encadeamento, int posicao,
                      TRelator& relator)
{
    TLinhaOB linha;
    linha.NumeroOB = NumeroOB(Texto(lote, "NUMERO"));
    linha.Pecas = lote.FieldByName(QStringLiteral("PECAS")).Value();
    linha.Maquina = Texto(lote, "MAQUINA");
    linha.Cliente = PrimeirosCaracteres(Texto(lote, "NOME"), 50);
    linha.Peso = lote.FieldByName(QStringLiteral("PESO")).Value();
    linha.Encadeamento = Texto(lote, "COR");
    linha.Cor = linha.Encadeamento;
    linha.Rgb = lote.FieldByName(QStringLiteral("COR_SIS")).AsInteger();
    linha.Posicao = posicao;
    linha.DataProg = QDateTime::currentDateTime();
    linha.DataInicio = QDateTime::currentDateTime();
    linha.DataFim = QDateTime::currentDateTime();
    linha.TotalReceitas = encadeamento.TotalReceitas();
    linha.Receitas = encadeamento.Receitas;
    linha.TempoTotal = 0;
    const THoraDecimal tempo = HoraParaDecimal(Texto(lote, "TEMPO"));
    for (const QString& aviso : tempo.Avisos)
        relator.MostraMensagem(aviso);
    linha.TempoProg = MinutosProgramados(tempo.Horas);
    return linha;
}

void AdicionaInsertOB(TListaLinhas& sql)
{
    sql.Add(QStringLiteral("INSERT INTO OB "));
    sql.Add(QStringLiteral("(NUMEROOB, PECAS, MAQUINA, CLIENTE, PESO, ENCADEAMENTO, COR, RGB, "));
    sql.Add(QStringLiteral("STATUSTERMINO, POSICAO, DATAPROG, DATAINICIO, DATAFIM, "));
    sql.Add(QStringLiteral("TOTALRECEITAS, RECEITA01, RECEITA02, RECEITA03, RECEITA04, RECEITA05, TEMPOTOTAL, TEMPOPROG) "));
    sql.Add(QStringLiteral("VALUES"));
    for (size_t i = 0; i < ColunasOB.size(); ++i) {
        const QString abertura = i == 0 ? QStringLiteral("(") : QStringLiteral(",");
        const QString fecho = i == ColunasOB.size() - 1 ? QStringLiteral(")") : QString();
        sql.Add(abertura + u':' + QLatin1String(ColunasOB[i]) + fecho);
    }
}

void DefineParametrosOB(TKoQuery& comando, const TLinhaOB& linha)
{
    auto valor = [&comando](const char* coluna) -> TKoParam& {
        return comando.ParamByName(QLatin1String(coluna));
    };
    valor("NUMEROOB").SetAsString(linha.NumeroOB);
    valor("PECAS").SetValue(linha.Pecas);
    valor("MAQUINA").SetAsString(linha.Maquina);
    valor("CLIENTE").SetAsString(linha.Cliente);
    valor("PESO").SetValue(linha.Peso);
    valor("ENCADEAMENTO").SetAsString(linha.Encadeamento);
    valor("COR").SetAsString(linha.Cor);
    valor("RGB").SetAsInteger(linha.Rgb);
    valor("STATUSTERMINO").SetAsString(linha.StatusTermino);
    valor("POSICAO").SetAsInteger(linha.Posicao);
    valor("DATAPROG").SetAsDateTime(linha.DataProg);
    valor("DATAINICIO").SetAsDateTime(linha.DataInicio);
    valor("DATAFIM").SetAsDateTime(linha.DataFim);
    valor("TOTALRECEITAS").SetAsInteger(linha.TotalReceitas);
    for (size_t i = 0; i < linha.Receitas.size(); ++i)
        comando.ParamByName(QStringLiteral("RECEITA%1").arg(i + 1, 2, 10, QLatin1Char('0')))
            .SetAsString(linha.Receitas[i]);
    valor("TEMPOTOTAL").SetAsInteger(linha.TempoTotal);
    valor("TEMPOPROG").SetAsInteger(linha.TempoProg);
}
