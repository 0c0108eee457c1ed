#include "integracoes/vapora/ComponentesVapora.h"

using Vapora::TServicoVapora;

TComponentesVapora::TComponentesVapora(TKoDatabase& erp) : KoDatabase1(erp)
{
    KoQuery1.SetDatabase(&KoDatabase1);
    QryExec1.SetDatabase(&KoDatabase1);
    QryAux1.SetDatabase(&KoDatabase1);
    QryLote1.SetDatabase(&KoDatabase1);
}

QStringList TComponentesVapora::RespostasIncompletas()
{
    QStringList incompletas;
    for (const TServicoVapora servico : Vapora::ServicosVapora())
        if (!Cliente(servico).RespostaIncompleta().isEmpty())
            incompletas << Cliente(servico).RespostaIncompleta();
    return incompletas;
}

void TComponentesVapora::EsqueceRespostasIncompletas()
{
    for (const TServicoVapora servico : Vapora::ServicosVapora())
        Cliente(servico).EsqueceRespostaIncompleta();
}

QString TComponentesVapora::ConteudoDasTrocas()
{
    QString conteudo;
    for (const TServicoVapora servico : Vapora::ServicosVapora())
        for (const TTrocaSoap& troca : Cliente(servico).Trocas()) {
            if (!conteudo.isEmpty())
                conteudo += QStringLiteral("\n\n");
            conteudo += QStringLiteral("POST ") + troca.Endereco + QStringLiteral("\nSOAPAction: \"") + troca.Acao
                      + QStringLiteral("\"\n\n") + QString::fromUtf8(troca.Envelope) + QStringLiteral("\n\n");
            if (troca.Simulada)
                conteudo += QStringLiteral("Simulação: não enviado.");
            else if (troca.Status == 0)
                conteudo += QStringLiteral("Sem resposta HTTP.");
            else
                conteudo += QStringLiteral("HTTP %1 %2").arg(troca.Status).arg(troca.Frase).trimmed();
            if (!troca.Falha.isEmpty())
                conteudo += QStringLiteral("\nFalha SOAP: ") + troca.Falha;
        }
    return conteudo;
}

void TComponentesVapora::EsqueceTrocas()
{
    for (const TServicoVapora servico : Vapora::ServicosVapora())
        Cliente(servico).EsqueceTrocas();
}

Vapora::TClienteVapora& TComponentesVapora::Cliente(TServicoVapora servico)
{
    switch (servico) {
    case TServicoVapora::Artigo: return HTTPArtigo;
    case TServicoVapora::Cliente: return HTTPCliente;
    case TServicoVapora::Cor: return HTTPCor;
    case TServicoVapora::ClasseProduto: return HTTPClasseProduto;
    case TServicoVapora::SubClasseProduto: return HTTPSubClasseProduto;
    case TServicoVapora::Produto: return HTTPProduto;
    case TServicoVapora::GerarOP: return HTTPGerarOP;
    case TServicoVapora::Programacao: return HTTPProgramacao;
    case TServicoVapora::TipoFio: return HTTPTipoFio;
    }
    return HTTPArtigo;
}
