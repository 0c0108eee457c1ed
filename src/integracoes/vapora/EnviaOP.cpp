#include "integracoes/vapora/EnviaOP.h"

#include "base/Caracteres.h"
#include "base/Erros.h"
#include "dblayer/KoQuery.h"
#include "integracao/Configuracao.h"
#include "integracao/Relator.h"
#include "integracoes/vapora/Consultas.h"
#include "integracoes/vapora/ComponentesVapora.h"
#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/ValoresFila.h"
#include "integracoes/vapora/contratos/GerarOPWS.h"

#include <limits>

namespace {

// One row per item of the lot, with the lot's columns, the machine group,
// the bath ratios of the lot's consumptions, of its machine and of the
// machine's capacity for the lot's variant, and the item's process graph.
const QStringList LinhasDoLote = {
    QStringLiteral("SELECT FAL.*, FAL_ITEN.*, MAQ_TIN.TIPO AS GRUPO_MAQ, "),
    QStringLiteral("(SELECT MAX(BANHO.PROPORCAO) FROM TNG_CONSUMOS_001 TC "),
    QStringLiteral(" LEFT JOIN banho_001 BANHO ON (TC.BANHO = BANHO.CODIGO)"),
    QStringLiteral(" WHERE FAL.NUMERO = TC.FAL) AS PROP_CONSUMOS,"),
    QStringLiteral("(SELECT MAX(BANHO.PROPORCAO) FROM MAQ_TIN_001 QX"),
    QStringLiteral(" LEFT JOIN banho_001 BANHO ON (QX.RELAC_BANHO = BANHO.CODIGO)"),
    QStringLiteral(" WHERE FAL.MAQUINA = QX.CODIGO) AS PROP_MAQUINA,"),
    QStringLiteral("(SELECT MAX(BANHO.PROPORCAO) FROM MAQ_TIN_CAP_001 QX"),
    QStringLiteral("LEFT JOIN BANHO_001 BANHO ON (QX.RELAC_BANHO = BANHO.CODIGO)"),
    QStringLiteral("WHERE FAL.MAQUINA = QX.MAQUINA"),
    QStringLiteral("AND FAL.VARIANTE = QX.VARIANTE) AS PROP_CAPACIDADE,"),
    QStringLiteral("(SELECT MAX(PROCESSO_TIN.GRAFICO) FROM PROCESSO_TIN_001 PROCESSO_TIN"),
    QStringLiteral("WHERE PROCESSO_TIN.FAL = FAL_ITEN.FAL"),
    QStringLiteral("AND PROCESSO_TIN.ORD_IT = FAL_ITEN.ORD_IT) AS GRAFICO"),
    QStringLiteral("FROM FAL_001 FAL "),
    QStringLiteral("INNER JOIN FAL_ITEN_001 FAL_ITEN ON (FAL_ITEN.FAL = FAL.NUMERO)"),
    QStringLiteral("INNER JOIN MAQ_TIN_001 MAQ_TIN ON (FAL.MAQUINA = MAQ_TIN.CODIGO)"),
    QStringLiteral("WHERE FAL.NUMERO = :NUMERO"),
};

// Peso x PROP_CONSUMOS / the divisor: the machine's bath ratio, or with
// PorVariante its capacity's for the lot's variant when that is positive.
// The product and the quotient are worked out at extended precision; only
// the quotient is rounded to a double.
double PesoDoItem(TKoQuery& lote, bool porVariante)
{
    static_assert(std::numeric_limits<long double>::digits >= 64,
                  "the weight quotient needs a 64-bit mantissa");
    const double capacidade = NumeroDe(lote, "PROP_CAPACIDADE");
    const long double divisor = porVariante && capacidade > 0 ? capacidade : NumeroDe(lote, "PROP_MAQUINA");
    if (divisor == 0)
        throw Exception(QStringLiteral("Divisão por zero no peso do item: a proporção de banho da máquina "
                                       "do lote é zero ou não existe."));
    const long double produto = static_cast<long double>(NumeroDe(lote, "Peso")) * NumeroDe(lote, "PROP_CONSUMOS");
    return static_cast<double>(produto / divisor);
}

Vapora::itemOP MontaItem(TKoQuery& lote, bool porVariante)
{
    Vapora::itemOP item;
    item.cdAuxArtigo = PrimeirosCaracteres(TextoDe(lote, "Codigo"), 10);
    item.cdAuxTipoFio = TextoDe(lote, "variante");
    item.peso = PesoDoItem(lote, porVariante);
    item.quantidade = static_cast<qint32>(InteiroDe(lote, "Rolo"));
    return item;
}

// The lot's columns are read from the last row (the same on every row; the
// graph is the last item's); with no rows they are empty.
Vapora::op MontaOP(TKoQuery& lote, bool porVariante, bool enviaGrafico)
{
    Vapora::op ordem;
    for (lote.First(); !lote.Eof(); lote.Next())
        ordem.itens.append(MontaItem(lote, porVariante));
    ordem.cdAuxCor = PrimeirosCaracteres(TextoDe(lote, "Cor"), 10);
    ordem.cdCliente = InteiroOuZero(TextoDe(lote, "Cliente"));
    ordem.opInterna = PrimeirosCaracteres(TextoDe(lote, "Fal"), 10);
    ordem.cdGrupoMaquina = InteiroOuZero(TextoDe(lote, "Grupo_Maq"));
    if (enviaGrafico)
        ordem.referenciaSubprocesso = PrimeirosCaracteres(TextoDe(lote, "Grafico"), 20);
    ordem.reprocesso = false;
    return ordem;
}

} // namespace

const QStringList& LinhasLote()
{
    return LinhasDoLote;
}

void EnviaOP(TPassoFila& passo, const TTarefaFila& tarefa, Vapora::GerarOPWS& servico)
{
    TKoQuery& lote = passo.Dados.QryAux1;
    AbreComLote(lote, LinhasLote(), tarefa.Campo1);
    // No rows: a lot without items (whose empty order is still sent) or no
    // lot at all, for which nothing is.
    if (lote.Eof())
        ExigeLote(passo.Dados.QryLote1, tarefa.Campo1);
    const bool enviaGrafico =
        passo.Configuracao.LerIni(SecaoVapora, QStringLiteral("EnviarGrafico")) != QLatin1String("N");
    const Vapora::op ordem = MontaOP(lote, passo.Chaves.PorVariante, enviaGrafico);
    servico.gerarOP(&ordem);
    passo.Relator.AdicionaLinha(QStringLiteral("Grava FAL - ") + TextoDe(lote, "Fal"));
}
