#include "integracoes/vapora/TarefasCadastro.h"

#include "integracao/Relator.h"
#include "integracoes/vapora/OperacaoTarefa.h"
#include "integracoes/vapora/PassoFila.h"
#include "integracoes/vapora/ValoresFila.h"
#include "integracoes/vapora/contratos/ArtigoWS.h"
#include "integracoes/vapora/contratos/ClasseProdutoWS.h"
#include "integracoes/vapora/contratos/ClienteWS.h"
#include "integracoes/vapora/contratos/CorWS.h"
#include "integracoes/vapora/contratos/ProdutoWS.h"
#include "integracoes/vapora/contratos/SubClasseProdutoWS.h"
#include "integracoes/vapora/contratos/TipoFioWS.h"

using Vapora::TServicoVapora;

namespace {

const QString Separador = QStringLiteral(" - ");

// Articles and product classes: a code and a name.
template <class TInterface>
void CodigoENome(TPassoFila& passo, const TTarefaFila& tarefa, TInterface& servico, const QString& registro)
{
    const QString aux = tarefa.Campo1Ate(10);
    const QString nome = tarefa.Campo2Ate(30);
    const QString valores = registro + Separador + aux + Separador + nome;
    PorOperacao(
        tarefa,
        [&] {
            servico.save(aux, nome);
            passo.Relator.AdicionaLinha(QStringLiteral("Grava ") + valores);
        },
        [&] {
            servico.delete_(aux);
            passo.Relator.AdicionaLinha(QStringLiteral("Deleta ") + valores);
        });
}

// Sub-classes and products: a code, a name and the code of the parent.
template <class TInterface>
void CodigoNomeEPai(TPassoFila& passo, const TTarefaFila& tarefa, TInterface& servico, const QString& registro)
{
    const QString aux = tarefa.Campo1Ate(10);
    const QString nome = tarefa.Campo2Ate(30);
    const QString pai = tarefa.Campo3Ate(10);
    const QString valores = registro + Separador + aux + Separador + nome + Separador + pai;
    PorOperacao(
        tarefa,
        [&] {
            servico.save(aux, nome, pai);
            passo.Relator.AdicionaLinha(QStringLiteral("Grava ") + valores);
        },
        [&] {
            servico.delete_(aux);
            passo.Relator.AdicionaLinha(QStringLiteral("Deleta ") + valores);
        });
}

} // namespace

void TarefaArtigo(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::Artigo, Vapora::ObtemArtigoWS);
    CodigoENome(passo, tarefa, *servico, QStringLiteral("Artigo"));
}

void TarefaClasseProduto(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::ClasseProduto, Vapora::ObtemClasseProdutoWS);
    CodigoENome(passo, tarefa, *servico, QStringLiteral("Classe Produto"));
}

void TarefaSubClasseProduto(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::SubClasseProduto, Vapora::ObtemSubClasseProdutoWS);
    CodigoNomeEPai(passo, tarefa, *servico, QStringLiteral("SubClasse Produto"));
}

void TarefaProduto(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::Produto, Vapora::ObtemProdutoWS);
    CodigoNomeEPai(passo, tarefa, *servico, QStringLiteral("Produto"));
}

// The customer's code is sent as a number (0 when campo1 is not one); the
// save line shows campo1 whole, the delete line its first 10 characters.
void TarefaCliente(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::Cliente, Vapora::ObtemClienteWS);
    const qint32 codigo = InteiroOuZero(tarefa.Campo1);
    const QString nome = tarefa.Campo2Ate(30);
    PorOperacao(
        tarefa,
        [&] {
            servico->save(codigo, nome);
            passo.Relator.AdicionaLinha(QStringLiteral("Grava Cliente - ") + tarefa.Campo1 + Separador + nome);
        },
        [&] {
            servico->delete_(codigo);
            passo.Relator.AdicionaLinha(QStringLiteral("Deleta Cliente - ") + tarefa.Campo1Ate(10) + Separador
                                        + nome);
        });
}

// campo3 holds the colour as one integer; its three low bytes are red, green
// and blue. The lines show 35 characters of the name, the call sends 30.
void TarefaCor(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::Cor, Vapora::ObtemCorWS);
    const TCorRgb rgb = CorRgb(InteiroOuZero(tarefa.Campo3));
    const QString aux = tarefa.Campo1Ate(10);
    const QString valores = aux + Separador + tarefa.Campo2Ate(35) + Separador + QString::number(rgb.Vermelho)
                          + Separador + QString::number(rgb.Verde) + Separador + QString::number(rgb.Azul);
    PorOperacao(
        tarefa,
        [&] {
            servico->save(aux, tarefa.Campo2Ate(30), 0, rgb.Vermelho, rgb.Verde, rgb.Azul);
            passo.Relator.AdicionaLinha(QStringLiteral("Grava Cor - ") + valores);
        },
        [&] {
            servico->delete_(aux);
            passo.Relator.AdicionaLinha(QStringLiteral("Deleta Cor - ") + valores);
        });
}

// Yarn types take 20 characters of the code and 100 of the name; the delete
// sends the code as an integer and fails when it is not one.
void TarefaTipoFio(TPassoFila& passo, const TTarefaFila& tarefa)
{
    const auto servico = passo.Liga(TServicoVapora::TipoFio, Vapora::ObtemTipoFioWS);
    const QString nome = tarefa.Campo2Ate(100);
    PorOperacao(
        tarefa,
        [&] {
            const QString aux = tarefa.Campo1Ate(20);
            servico->save(aux, nome);
            passo.Relator.AdicionaLinha(QStringLiteral("Grava TipoFio - ") + aux + Separador + nome);
        },
        [&] {
            const qint32 aux = InteiroEstrito(tarefa.Campo1Ate(20));
            servico->delete_(aux);
            passo.Relator.AdicionaLinha(QStringLiteral("Deleta TipoFio - ") + QString::number(aux) + Separador
                                        + nome);
        });
}
