#include "integracoes/vapora/EnviaProgramacao.h"

#include "dblayer/KoQuery.h"
#include "integracao/Configuracao.h"
#include "integracao/Relator.h"
#include "integracoes/vapora/Consultas.h"
#include "integracoes/vapora/ComponentesVapora.h"
#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/ValoresFila.h"
#include "integracoes/vapora/contratos/ProgramacaoWS.h"

namespace {

Vapora::produto MontaProduto(TKoQuery& consumos, const TChavesPasso& chaves, qint32 preparacao)
{
    Vapora::produto produto;
    produto.cdAuxProduto = TextoDe(consumos, "codigo");
    produto.intensidade = NumeroDe(consumos, "Concentracao");
    const double consumo = NumeroDe(consumos, "consumo");
    produto.peso = consumo;
    const double capacidade = NumeroDe(consumos, "PROP_CAPACIDADE");
    const double proporcao = chaves.PorVariante && capacidade > 0 ? capacidade : NumeroDe(consumos, "proporcao");
    produto.volume = consumo * proporcao;
    produto.seqPreparacao = chaves.Passo ? InteiroEstrito(TextoDe(consumos, "passo")) : preparacao;
    produto.automatico = TextoDe(consumos, "Tipo") == QLatin1String("1");
    return produto;
}

// Consumptions of one order number share a preparation number; the number
// goes up by one whenever the next row's order number differs. The machine
// and the lot are read from the last row; with no rows they are empty.
Vapora::programacao MontaProgramacao(TKoQuery& consumos, const TChavesPasso& chaves, bool enviaPodeIniciar)
{
    Vapora::programacao programa;
    qint32 preparacao = 1;
    consumos.First();
    while (!consumos.Eof()) {
        programa.produtos.append(MontaProduto(consumos, chaves, preparacao));
        const qint64 ordem = InteiroDe(consumos, "Ordem");
        consumos.Next();
        if (InteiroDe(consumos, "Ordem") != ordem)
            ++preparacao;
    }
    const qint32 maquina = InteiroOuZero(TextoDe(consumos, "Maquina"));
    programa.cdMaquina = maquina;
    if (enviaPodeIniciar)
        programa.podeIniciar = chaves.PodeIniciar;
    if (chaves.Passo)
        programa.cdAuxMaquina = maquina;
    programa.seqProgramacao = 999;
    programa.opInternas = {TextoDe(consumos, "Fal")};
    return programa;
}

} // namespace

// The lot's positive consumptions with a unit, in consumption order, with
// the material's concentration, the bath ratio of the lot's machine and that
// of the machine's capacity for the lot's variant; with Passo, only those
// with a step.
QStringList LinhasConsumos(bool porPasso)
{
    QStringList linhas = {
        QStringLiteral("SELECT TNG_CONSUMOS.*, FAL.MAQUINA, MATERIAL.CONCENTRACAO, "),
        QStringLiteral("MATERIAL.NE, BANHO.PROPORCAO, MAQUINA.RELAC_BANHO,  "),
        QStringLiteral("(SELECT MAX(BANHO.PROPORCAO) FROM MAQ_TIN_CAP_001 QX"),
        QStringLiteral("LEFT JOIN BANHO_001 BANHO ON (QX.RELAC_BANHO = BANHO.CODIGO)"),
        QStringLiteral("WHERE FAL.MAQUINA = QX.MAQUINA"),
        QStringLiteral("AND FAL.VARIANTE = QX.VARIANTE) AS PROP_CAPACIDADE"),
        QStringLiteral("FROM TNG_CONSUMOS_001 TNG_CONSUMOS "),
        QStringLiteral("INNER JOIN FAL_001 FAL ON (TNG_CONSUMOS.FAL = FAL.NUMERO)"),
        QStringLiteral("INNER JOIN MATERIAL_001 MATERIAL ON (MATERIAL.CODIGO = TNG_CONSUMOS.CODIGO)"),
        QStringLiteral("LEFT OUTER JOIN MAQ_TIN_001 MAQUINA ON (FAL.MAQUINA = MAQUINA.CODIGO)"),
        QStringLiteral("LEFT OUTER JOIN BANHO_001 BANHO ON (MAQUINA.RELAC_BANHO = BANHO.CODIGO)"),
        QStringLiteral("WHERE TNG_CONSUMOS.FAL = :NUMERO"),
        QStringLiteral("AND TNG_CONSUMOS.UNIDADE <> ''"),
        QStringLiteral("AND TNG_CONSUMOS.UNIDADE IS NOT NULL"),
        QStringLiteral("AND COALESCE(TNG_CONSUMOS.CONSUMO,0) > 0"),
    };
    if (porPasso)
        linhas << QStringLiteral("AND TNG_CONSUMOS.PASSO <> ''");
    linhas << QStringLiteral("ORDER BY TNG_CONSUMOS.ORDEM ");
    return linhas;
}

void EnviaProgramacao(TPassoFila& passo, const TTarefaFila& tarefa, Vapora::ProgramacaoWS& servico)
{
    TKoQuery& consumos = passo.Dados.QryAux1;
    AbreComLote(consumos, LinhasConsumos(passo.Chaves.Passo), tarefa.Campo1);
    // No rows: a lot without consumptions (whose empty programme is still
    // sent) or no lot at all, for which nothing is.
    if (consumos.Eof())
        ExigeLote(passo.Dados.QryLote1, tarefa.Campo1);
    // The permission is sent only when the key exists, whatever its value.
    const bool enviaPodeIniciar = passo.Configuracao.ExisteChaveIni(SecaoVapora, QStringLiteral("podeIniciar"));
    const Vapora::programacao programa = MontaProgramacao(consumos, passo.Chaves, enviaPodeIniciar);
    servico.programar(programa);
    passo.Relator.AdicionaLinha(QStringLiteral("Grava Programação FAL - ") + TextoDe(consumos, "Fal"));
}
