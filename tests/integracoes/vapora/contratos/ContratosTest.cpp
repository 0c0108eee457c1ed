// Every operation of the nine services, as the service receives it.
#include "ArvoreXml.h"
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

#include <functional>

using namespace Vapora;

namespace {

struct Parametro {
    const char* nome;
    const char* tipo; // xsd type of a scalar; nullptr for a structure
    QString texto;
};

struct CasoOperacao {
    const char* interface;
    const char* operacao;
    std::function<void(TServicoSoapTeste&, TClienteVapora&)> chama;
    std::vector<Parametro> parametros;
};

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

#define LIGA(Interface) \
    Obtem##Interface(true, servico.LocalDescricao(QStringLiteral(#Interface)), &cliente)

const CasoOperacao Casos[] = {
    {"ArtigoWS", "delete", [](auto& servico, auto& cliente) { LIGA(ArtigoWS)->delete_(S("A1")); },
     {{"aux", "string", S("A1")}}},
    {"ArtigoWS", "save", [](auto& servico, auto& cliente) { LIGA(ArtigoWS)->save(S("A1"), S("Algodão")); },
     {{"aux", "string", S("A1")}, {"nome", "string", S("Algodão")}}},
    {"ClienteWS", "delete", [](auto& servico, auto& cliente) { LIGA(ClienteWS)->delete_(-7); },
     {{"codigo", "int", S("-7")}}},
    {"ClienteWS", "save", [](auto& servico, auto& cliente) { LIGA(ClienteWS)->save(42, S("Malharia")); },
     {{"codigo", "int", S("42")}, {"nome", "string", S("Malharia")}}},
    {"ClienteWS", "saveByAux",
     [](auto& servico, auto& cliente) {
         LIGA(ClienteWS)->saveByAux(S("C9"), S("Razão"), S("Fantasia"), S("12.345.678/0001-90"),
                                    S("123.456.789-09"), S("ISENTO"), S("11 5555-0000"), S("Rua A"),
                                    S("100"), S("Centro"), S("01000-000"), 3550308, 1058, S("CP 12"));
     },
     {{"cdAuxiliar", "string", S("C9")}, {"razaoSocial", "string", S("Razão")},
      {"nomeFantasia", "string", S("Fantasia")}, {"cnpj", "string", S("12.345.678/0001-90")},
      {"cpf", "string", S("123.456.789-09")}, {"ie", "string", S("ISENTO")},
      {"fone", "string", S("11 5555-0000")}, {"endereco", "string", S("Rua A")},
      {"numero", "string", S("100")}, {"bairro", "string", S("Centro")},
      {"cep", "string", S("01000-000")}, {"codigoIBGEMunicipio", "int", S("3550308")},
      {"codigoBACENPais", "int", S("1058")}, {"caixaPostal", "string", S("CP 12")}}},
    {"ClienteWS", "deleteByAux", [](auto& servico, auto& cliente) { LIGA(ClienteWS)->deleteByAux(S("C9")); },
     {{"cdAuxiliar", "string", S("C9")}}},
    {"CorWS", "delete", [](auto& servico, auto& cliente) { LIGA(CorWS)->delete_(S("AZ")); },
     {{"aux", "string", S("AZ")}}},
    {"CorWS", "save", [](auto& servico, auto& cliente) { LIGA(CorWS)->save(S("AZ"), S("Azul"), 0, 255, 128, 1); },
     {{"aux", "string", S("AZ")}, {"nome", "string", S("Azul")}, {"cdCliente", "int", S("0")},
      {"red", "int", S("255")}, {"green", "int", S("128")}, {"blue", "int", S("1")}}},
    {"ClasseProdutoWS", "delete", [](auto& servico, auto& cliente) { LIGA(ClasseProdutoWS)->delete_(S("CL")); },
     {{"aux", "string", S("CL")}}},
    {"ClasseProdutoWS", "save",
     [](auto& servico, auto& cliente) { LIGA(ClasseProdutoWS)->save(S("CL"), S("Corantes")); },
     {{"aux", "string", S("CL")}, {"nome", "string", S("Corantes")}}},
    {"SubClasseProdutoWS", "delete",
     [](auto& servico, auto& cliente) { LIGA(SubClasseProdutoWS)->delete_(S("SC")); },
     {{"aux", "string", S("SC")}}},
    {"SubClasseProdutoWS", "save",
     [](auto& servico, auto& cliente) { LIGA(SubClasseProdutoWS)->save(S("SC"), S("Reativos"), S("CL")); },
     {{"aux", "string", S("SC")}, {"nome", "string", S("Reativos")}, {"auxClasse", "string", S("CL")}}},
    {"ProdutoWS", "delete", [](auto& servico, auto& cliente) { LIGA(ProdutoWS)->delete_(S("P1")); },
     {{"aux", "string", S("P1")}}},
    {"ProdutoWS", "save",
     [](auto& servico, auto& cliente) { LIGA(ProdutoWS)->save(S("P1"), S("Amarelo 3R"), S("SC")); },
     {{"aux", "string", S("P1")}, {"nome", "string", S("Amarelo 3R")}, {"auxSubClasse", "string", S("SC")}}},
    {"GerarOPWS", "excluir", [](auto& servico, auto& cliente) { LIGA(GerarOPWS)->excluir(S("4711")); },
     {{"opInterna", "string", S("4711")}}},
    {"GerarOPWS", "gerarOP",
     [](auto& servico, auto& cliente) {
         op ordem;
         ordem.opInterna = S("4711");
         LIGA(GerarOPWS)->gerarOP(&ordem);
     },
     {{"op", nullptr, {}}}},
    {"ProgramacaoWS", "programar",
     [](auto& servico, auto& cliente) {
         programacao prog;
         prog.cdMaquina = 3;
         LIGA(ProgramacaoWS)->programar(prog);
     },
     {{"programacao", nullptr, {}}}},
    {"ProgramacaoWS", "excluirProgramacao",
     [](auto& servico, auto& cliente) { LIGA(ProgramacaoWS)->excluirProgramacao(S("4711")); },
     {{"opInterna", "string", S("4711")}}},
    {"ProgramacaoWS", "atualizarPodeIniciar",
     [](auto& servico, auto& cliente) {
         opPodeIniciar permissao;
         permissao.podeIniciar = true;
         LIGA(ProgramacaoWS)->atualizarPodeIniciar(permissao);
     },
     {{"opPodeIniciar", nullptr, {}}}},
    {"TipoFioWS", "save", [](auto& servico, auto& cliente) { LIGA(TipoFioWS)->save(S("TF1"), S("Fio 30/1")); },
     {{"aux", "string", S("TF1")}, {"nome", "string", S("Fio 30/1")}}},
    {"TipoFioWS", "delete", [](auto& servico, auto& cliente) { LIGA(TipoFioWS)->delete_(42); },
     {{"aux", "int", S("42")}}},
};

bool EhRpc(const QString& interface)
{
    return !interface.startsWith(QLatin1String("GerarOP")) && !interface.startsWith(QLatin1String("Programacao"))
        && !interface.startsWith(QLatin1String("TipoFio"));
}

class OperacaoVapora : public ServicoVapora, public ::testing::WithParamInterface<CasoOperacao> {};

TEST_P(OperacaoVapora, ChegaComoOContratoDiz)
{
    const CasoOperacao& caso = GetParam();
    const QString interface = QString::fromLatin1(caso.interface);
    const QString operacao = QString::fromLatin1(caso.operacao);
    TClienteVapora cliente;
    caso.chama(Servico(), cliente);

    const TPedidoRecebido pedido = UnicaChamada();
    EXPECT_EQ(pedido.Metodo, QLatin1String("POST"));
    EXPECT_EQ(pedido.Alvo, QStringLiteral("/integracao/") + interface);
    EXPECT_EQ(pedido.Cabecalho("content-type"), QLatin1String("text/xml; charset=utf-8"));
    const bool rpc = EhRpc(interface);
    // The rpc services' descriptions give actions; the others give none.
    const QString acao = rpc ? QStringLiteral("http://integracao.vapora/") + interface + QLatin1Char('/') + operacao
                             : QString();
    EXPECT_EQ(pedido.Cabecalho("soapaction"), QLatin1Char('"') + acao + QLatin1Char('"'));

    const TNoXml elemento = OperacaoDoEnvelope(pedido.Corpo);
    EXPECT_EQ(elemento.Nome, operacao);
    EXPECT_EQ(elemento.Espaco, QLatin1String("http://integracao.vapora/"));
    EXPECT_EQ(elemento.Atributo(EspacoSoapEnv, QStringLiteral("encodingStyle")),
              rpc ? QStringLiteral("http://schemas.xmlsoap.org/soap/encoding/") : QString());

    QStringList nomes;
    for (const Parametro& p : caso.parametros)
        nomes.append(QString::fromLatin1(p.nome));
    ASSERT_EQ(elemento.NomesFilhos(), nomes);
    for (qsizetype i = 0; i < elemento.Filhos.size(); ++i) {
        const TNoXml& filho = elemento.Filhos[i];
        const Parametro& esperado = caso.parametros[size_t(i)];
        EXPECT_EQ(filho.Espaco, QString()) << esperado.nome;
        const QString tipo = esperado.tipo && rpc ? QStringLiteral("xsd:") + QLatin1String(esperado.tipo) : QString();
        EXPECT_EQ(filho.Atributo(EspacoXsi, QStringLiteral("type")), tipo) << esperado.nome;
        if (esperado.tipo) {
            EXPECT_EQ(filho.Texto, esperado.texto) << esperado.nome;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Todas, OperacaoVapora, ::testing::ValuesIn(Casos),
                         [](const auto& caso) {
                             return std::string(caso.param.interface) + "_" + caso.param.operacao;
                         });

TEST_F(ServicoVapora, FalhaDoServicoChegaComoErroComOTextoDaFalha)
{
    Servico().DefineModo(QStringLiteral("ProgramacaoWS"), QStringLiteral("excluirProgramacao"),
                         QStringLiteral("falha"), S("OP 4711 não encontrada"));
    TClienteVapora cliente;
    try {
        ObtemProgramacaoWS(true, Servico().LocalDescricao(QStringLiteral("ProgramacaoWS")), &cliente)
            ->excluirProgramacao(S("4711"));
        FAIL() << "sem erro";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), S("OP 4711 não encontrada"));
    }
}

} // namespace
