// The structured payloads and the text and numbers they carry, as the
// service receives them.
#include "ArvoreXml.h"
#include "ServicoVaporaTeste.h"

#include "integracoes/vapora/contratos/ArtigoWS.h"
#include "integracoes/vapora/contratos/GerarOPWS.h"
#include "integracoes/vapora/contratos/ProgramacaoWS.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

using namespace Vapora;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

class TiposVapora : public ServicoVapora {
protected:
    // The parameter element of the one request received.
    static TNoXml ParametroRecebido(const char* nome)
    {
        return OperacaoDoEnvelope(UnicaChamada().Corpo).Filho(QString::fromLatin1(nome));
    }

    void EnviaOP(const op* ordem)
    {
        ObtemGerarOPWS(true, Servico().LocalDescricao(QStringLiteral("GerarOPWS")), &FCliente)->gerarOP(ordem);
    }
    void Programa(const programacao& prog)
    {
        ObtemProgramacaoWS(true, Servico().LocalDescricao(QStringLiteral("ProgramacaoWS")), &FCliente)
            ->programar(prog);
    }

    TClienteVapora FCliente;
};

// No element of a document/literal message carries a namespace or a type.
void ConfereSemTipoNemEspaco(const TNoXml& no)
{
    for (const TNoXml& filho : no.Filhos) {
        EXPECT_EQ(filho.Espaco, QString()) << filho.Nome.toStdString();
        EXPECT_TRUE(filho.Atributos.isEmpty()) << filho.Nome.toStdString();
        ConfereSemTipoNemEspaco(filho);
    }
}

TEST_F(TiposVapora, OpCompletaNaOrdemDeclaradaComItensSemEnvoltorio)
{
    op ordem;
    ordem.reprocesso = false;          // set out of order on purpose
    ordem.referenciaSubprocesso = S("SUB-1");
    ordem.opInterna = S("4711");
    ordem.cdGrupoMaquina = 12;
    ordem.cdCliente = 345;
    ordem.cdAuxCor = S("AZ");
    itemOP completo;
    completo.cdAuxArtigo = S("ART");
    completo.cdAuxTipoFio = S("TF");
    completo.peso = 12.5;
    completo.quantidade = 3;
    itemOP soPeso;
    soPeso.peso = 0.25;
    ordem.itens = {completo, soPeso};
    EnviaOP(&ordem);

    const TNoXml no = ParametroRecebido("op");
    ConfereSemTipoNemEspaco(no);
    EXPECT_EQ(no.NomesFilhos(), QStringList({"cdAuxCor", "cdCliente", "cdGrupoMaquina", "itens", "itens",
                                             "opInterna", "referenciaSubprocesso", "reprocesso"}));
    EXPECT_EQ(no.Filho(QStringLiteral("cdCliente")).Texto, QLatin1String("345"));
    EXPECT_EQ(no.Filho(QStringLiteral("reprocesso")).Texto, QLatin1String("false"));
    const auto itens = no.FilhosChamados(QStringLiteral("itens"));
    EXPECT_EQ(itens[0]->NomesFilhos(), QStringList({"cdAuxArtigo", "cdAuxTipoFio", "peso", "quantidade"}));
    EXPECT_EQ(itens[0]->Filho(QStringLiteral("peso")).Texto, QLatin1String("12.5"));
    EXPECT_EQ(itens[0]->Filho(QStringLiteral("quantidade")).Texto, QLatin1String("3"));
    EXPECT_EQ(itens[1]->NomesFilhos(), QStringList({"peso"}));
}

TEST_F(TiposVapora, OpcionalAusenteQuandoNaoDefinidoEVazioQuandoDefinidoVazio)
{
    op semNada;
    EnviaOP(&semNada);
    EXPECT_TRUE(ParametroRecebido("op").Filhos.isEmpty());

    Servico().Limpa();
    op comVazio;
    comVazio.referenciaSubprocesso = QString();
    comVazio.itens = {}; // set, but with no entries
    EnviaOP(&comVazio);
    const TNoXml no = ParametroRecebido("op");
    EXPECT_EQ(no.NomesFilhos(), QStringList({"referenciaSubprocesso"}));
    EXPECT_EQ(no.Filho(QStringLiteral("referenciaSubprocesso")).Texto, QString());

    Servico().Limpa();
    EnviaOP(nullptr);
    EXPECT_TRUE(OperacaoDoEnvelope(UnicaChamada().Corpo).Filhos.isEmpty());
}

TEST_F(TiposVapora, ProdutoSempreLevaAutomaticoESeqPreparacao)
{
    programacao prog;
    prog.cdMaquina = 7;
    prog.cdAuxMaquina = 70;
    prog.opInternas = {S("4711"), S("4712")};
    prog.produtos.append(produto{}); // nothing set
    produto completo;
    completo.automatico = true;
    completo.cdAuxProduto = S("P1");
    completo.intensidade = 1.5;
    completo.peso = 0.0125;
    completo.seqPreparacao = 2;
    completo.volume = 300;
    prog.produtos.append(completo);
    prog.seqProgramacao = 9;
    prog.podeIniciar = false;
    Programa(prog);

    const TNoXml no = ParametroRecebido("programacao");
    ConfereSemTipoNemEspaco(no);
    EXPECT_EQ(no.NomesFilhos(), QStringList({"cdMaquina", "cdAuxMaquina", "opInternas", "opInternas", "produtos",
                                             "produtos", "seqProgramacao", "podeIniciar"}));
    EXPECT_EQ(no.FilhosChamados(QStringLiteral("opInternas"))[1]->Texto, QLatin1String("4712"));
    const auto produtos = no.FilhosChamados(QStringLiteral("produtos"));
    EXPECT_EQ(produtos[0]->NomesFilhos(), QStringList({"automatico", "seqPreparacao"}));
    EXPECT_EQ(produtos[0]->Filho(QStringLiteral("automatico")).Texto, QLatin1String("false"));
    EXPECT_EQ(produtos[0]->Filho(QStringLiteral("seqPreparacao")).Texto, QLatin1String("0"));
    EXPECT_EQ(produtos[1]->NomesFilhos(),
              QStringList({"automatico", "cdAuxProduto", "intensidade", "peso", "seqPreparacao", "volume"}));
    EXPECT_EQ(produtos[1]->Filho(QStringLiteral("automatico")).Texto, QLatin1String("true"));
    EXPECT_EQ(produtos[1]->Filho(QStringLiteral("volume")).Texto, QLatin1String("300.0"));
    EXPECT_EQ(no.Filho(QStringLiteral("podeIniciar")).Texto, QLatin1String("false"));
}

TEST_F(TiposVapora, ListasVaziasNaoEscrevemNada)
{
    programacao prog;
    prog.seqProgramacao = 1;
    Programa(prog);
    EXPECT_EQ(ParametroRecebido("programacao").NomesFilhos(), QStringList({"seqProgramacao"}));

    Servico().Limpa();
    ObtemProgramacaoWS(true, Servico().LocalDescricao(QStringLiteral("ProgramacaoWS")), &FCliente)
        ->atualizarPodeIniciar(opPodeIniciar{});
    EXPECT_TRUE(ParametroRecebido("opPodeIniciar").Filhos.isEmpty());
}

TEST_F(TiposVapora, RealChegaExato)
{
    const double valores[] = {0.1, 1.0 / 3.0, 1e-300, 123456789.123, -0.0, 6.02214076e23, 2.0 / 7.0};
    op ordem;
    for (double valor : valores) {
        itemOP item;
        item.peso = valor;
        ordem.itens.append(item);
    }
    EnviaOP(&ordem);

    const auto itens = ParametroRecebido("op").FilhosChamados(QStringLiteral("itens"));
    ASSERT_EQ(itens.size(), qsizetype(std::size(valores)));
    for (size_t i = 0; i < std::size(valores); ++i) {
        const QString texto = itens[qsizetype(i)]->Filho(QStringLiteral("peso")).Texto;
        const double lido = std::strtod(texto.toLatin1().constData(), nullptr);
        EXPECT_EQ(std::memcmp(&lido, &valores[i], sizeof lido), 0) << texto.toStdString();
    }
}

TEST_F(TiposVapora, TextoHostilChegaIntacto)
{
    const QString hostis[] = {
        S("<op>&amp;\"'</op>"), S("a]]>b"), S("Ação Têxtil ñ"), S("色 織物 Ткань"),
        S("fio 🧵 corante 🎨"), S("linha\r\nlinha\ttab"), S("&#0; &#x41;")};
    for (const QString& texto : hostis) {
        Servico().Limpa();
        ObtemArtigoWS(true, Servico().LocalDescricao(QStringLiteral("ArtigoWS")), &FCliente)->save(texto, texto);
        EXPECT_EQ(ParametroRecebido("nome").Texto, texto);

        Servico().Limpa();
        op ordem;
        ordem.referenciaSubprocesso = texto;
        EnviaOP(&ordem);
        EXPECT_EQ(ParametroRecebido("op").Filho(QStringLiteral("referenciaSubprocesso")).Texto, texto);
    }
}

} // namespace
