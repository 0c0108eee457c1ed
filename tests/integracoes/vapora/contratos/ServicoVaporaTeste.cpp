#include "ServicoVaporaTeste.h"

#include "integracoes/vapora/contratos/ArtigoWS.h"
#include "integracoes/vapora/contratos/ClasseProdutoWS.h"
#include "integracoes/vapora/contratos/ClienteWS.h"
#include "integracoes/vapora/contratos/CorWS.h"
#include "integracoes/vapora/contratos/GerarOPWS.h"
#include "integracoes/vapora/contratos/ProdutoWS.h"
#include "integracoes/vapora/contratos/ProgramacaoWS.h"
#include "integracoes/vapora/contratos/SubClasseProdutoWS.h"
#include "integracoes/vapora/contratos/TipoFioWS.h"

using namespace Vapora;

std::unique_ptr<TInterfaceVapora> ObtemPorServico(TServicoVapora servico, bool useDescription,
                                                  const QString& location, TClienteVapora* client)
{
    switch (servico) {
    case TServicoVapora::Artigo: return ObtemArtigoWS(useDescription, location, client);
    case TServicoVapora::Cliente: return ObtemClienteWS(useDescription, location, client);
    case TServicoVapora::Cor: return ObtemCorWS(useDescription, location, client);
    case TServicoVapora::ClasseProduto: return ObtemClasseProdutoWS(useDescription, location, client);
    case TServicoVapora::SubClasseProduto: return ObtemSubClasseProdutoWS(useDescription, location, client);
    case TServicoVapora::Produto: return ObtemProdutoWS(useDescription, location, client);
    case TServicoVapora::GerarOP: return ObtemGerarOPWS(useDescription, location, client);
    case TServicoVapora::Programacao: return ObtemProgramacaoWS(useDescription, location, client);
    case TServicoVapora::TipoFio: return ObtemTipoFioWS(useDescription, location, client);
    }
    return nullptr;
}
