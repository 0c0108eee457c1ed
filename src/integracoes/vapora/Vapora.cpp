#include "integracoes/vapora/Vapora.h"

#include "integracao/Configuracao.h"
#include "integracoes/vapora/PassoFila.h"

TVapora::TVapora(TContextoIntegracao& contexto)
    : FContexto(contexto), FRelator(contexto.Relator), FDados(contexto.KoDatabase1)
{
}

// Each client component takes the location of its key; an empty key stays
// empty (the binding of each row then takes the service's default).
void TVapora::ConfiguraVapora()
{
    for (const Vapora::TServicoVapora servico : Vapora::ServicosVapora())
        FDados.Cliente(servico).SetLocalDescricao(
            FContexto.Configuracao.LerIni(SecaoVapora, Vapora::ContratoVapora(servico).ChaveIni));
}

void TVapora::Encerra()
{
    FDados.KoQuery1.Close();
    FDados.QryExec1.Close();
    FDados.QryAux1.Close();
    FDados.QryLote1.Close();
}
