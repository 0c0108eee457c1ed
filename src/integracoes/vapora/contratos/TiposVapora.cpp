#include "integracoes/vapora/contratos/TiposVapora.h"

namespace Vapora {

TValorSoap ValorSoap(const itemOP& item)
{
    return TEstruturaSoap()
        .Opcional(QStringLiteral("cdAuxArtigo"), item.cdAuxArtigo)
        .Opcional(QStringLiteral("cdAuxTipoFio"), item.cdAuxTipoFio)
        .Opcional(QStringLiteral("peso"), item.peso)
        .Opcional(QStringLiteral("quantidade"), item.quantidade)
        .Valor();
}

TValorSoap ValorSoap(const op& ordem)
{
    return TEstruturaSoap()
        .Opcional(QStringLiteral("cdAuxCor"), ordem.cdAuxCor)
        .Opcional(QStringLiteral("cdCliente"), ordem.cdCliente)
        .Opcional(QStringLiteral("cdGrupoMaquina"), ordem.cdGrupoMaquina)
        .Repetido(QStringLiteral("itens"), ordem.itens)
        .Opcional(QStringLiteral("opInterna"), ordem.opInterna)
        .Opcional(QStringLiteral("referenciaSubprocesso"), ordem.referenciaSubprocesso)
        .Opcional(QStringLiteral("reprocesso"), ordem.reprocesso)
        .Valor();
}

TValorSoap ValorSoap(const produto& prod)
{
    return TEstruturaSoap()
        .Obrigatorio(QStringLiteral("automatico"), prod.automatico)
        .Opcional(QStringLiteral("cdAuxProduto"), prod.cdAuxProduto)
        .Opcional(QStringLiteral("intensidade"), prod.intensidade)
        .Opcional(QStringLiteral("peso"), prod.peso)
        .Obrigatorio(QStringLiteral("seqPreparacao"), prod.seqPreparacao)
        .Opcional(QStringLiteral("volume"), prod.volume)
        .Valor();
}

TValorSoap ValorSoap(const programacao& prog)
{
    return TEstruturaSoap()
        .Opcional(QStringLiteral("cdMaquina"), prog.cdMaquina)
        .Opcional(QStringLiteral("cdAuxMaquina"), prog.cdAuxMaquina)
        .Repetido(QStringLiteral("opInternas"), prog.opInternas)
        .Repetido(QStringLiteral("produtos"), prog.produtos)
        .Opcional(QStringLiteral("seqProgramacao"), prog.seqProgramacao)
        .Opcional(QStringLiteral("podeIniciar"), prog.podeIniciar)
        .Valor();
}

TValorSoap ValorSoap(const opPodeIniciar& permissao)
{
    return TEstruturaSoap()
        .Repetido(QStringLiteral("opInternas"), permissao.opInternas)
        .Opcional(QStringLiteral("podeIniciar"), permissao.podeIniciar)
        .Valor();
}

} // namespace Vapora
