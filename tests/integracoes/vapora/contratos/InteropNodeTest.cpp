// Interoperability with an independent SOAP stack: the npm package soap,
// under node, serves the document/literal services from the same WSDL files;
// what it parsed out of our requests is compared with what was sent.
#include "integracoes/vapora/contratos/GerarOPWS.h"
#include "integracoes/vapora/contratos/ProgramacaoWS.h"
#include "integracoes/vapora/contratos/TipoFioWS.h"

#include "soap/TransporteHttp.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <memory>

using namespace Vapora;

namespace {

const QString PastaNode = QStringLiteral(QUELIX_DIR_SOAP_NODE);

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

class InteropNode : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        FErro.clear();
        const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
        if (node.isEmpty()) {
            FErro = "o comando node não foi encontrado no PATH; instale-o com "
                    "\"bash scripts/instala-dependencias.sh testar\" (que instala nodejs e npm "
                    "quando faltam e roda npm ci em ferramentas/soap-node)";
            return;
        }
        if (!QFileInfo::exists(PastaNode + QStringLiteral("/node_modules/soap/package.json"))) {
            FErro = "o pacote npm soap não está instalado em " + PastaNode.toStdString()
                  + "; instale-o com \"cd ferramentas/soap-node && npm ci\" (ou "
                    "\"bash scripts/instala-dependencias.sh testar\")";
            return;
        }
        FNode = new QProcess();
        FNode->setWorkingDirectory(PastaNode);
        FNode->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FNode->start(node, {QStringLiteral("servidor.js"), QStringLiteral("--porta"), QStringLiteral("0")});
        QByteArray saida;
        while (!saida.contains('\n') && FNode->waitForReadyRead(20000))
            saida += FNode->readAllStandardOutput();
        const auto achado = QRegularExpression(QStringLiteral("ouvindo em (http://[^/\\s]+)/"))
                                .match(QString::fromUtf8(saida));
        if (!achado.hasMatch())
            FErro = "o serviço SOAP do node (ferramentas/soap-node/servidor.js) não iniciou; saída: "
                  + saida.toStdString();
        FBase = achado.captured(1);
    }

    static void TearDownTestSuite()
    {
        if (FNode) {
            FNode->kill();
            FNode->waitForFinished(5000);
        }
        delete FNode;
        FNode = nullptr;
    }

    void SetUp() override
    {
        if (!FErro.empty())
            FAIL() << "Teste de interoperabilidade: " << FErro;
    }

    static QString Local(const char* interface)
    {
        return FBase + QStringLiteral("/integracao/") + QLatin1String(interface) + QStringLiteral("?wsdl");
    }

    // The arguments of the last call the node service received.
    static QJsonObject UltimosArgumentos(const char* operacao)
    {
        const TRespostaHttp http = ExecutaHttp(FBase + QStringLiteral("/controle/recebidos"), {}, nullptr);
        const QJsonArray recebidos = QJsonDocument::fromJson(http.Corpo).array();
        if (recebidos.isEmpty()) {
            ADD_FAILURE() << "nenhuma chamada recebida";
            return {};
        }
        const QJsonObject ultimo = recebidos.last().toObject();
        EXPECT_EQ(ultimo.value(QLatin1String("operacao")).toString(), QLatin1String(operacao));
        return ultimo.value(QLatin1String("args")).toObject();
    }

    TClienteVapora FCliente;

    inline static QProcess* FNode = nullptr;
    inline static QString FBase;
    inline static std::string FErro;
};

TEST_F(InteropNode, GerarOPComItensEOpcionais)
{
    op ordem;
    ordem.cdAuxCor = S("AZ");
    ordem.cdCliente = 345;
    ordem.opInterna = S("4711");
    ordem.referenciaSubprocesso = S("Ação <&> \"]]>\" 🧵");
    ordem.reprocesso = false;
    itemOP primeiro;
    primeiro.cdAuxArtigo = S("ART");
    primeiro.peso = 1.0 / 3.0;
    primeiro.quantidade = 3;
    itemOP segundo;
    segundo.peso = 0.1;
    ordem.itens = {primeiro, segundo};
    ObtemGerarOPWS(true, Local("GerarOPWS"), &FCliente)->gerarOP(&ordem);

    const QJsonObject o = UltimosArgumentos("gerarOP").value(QLatin1String("op")).toObject();
    EXPECT_EQ(o.value(QLatin1String("cdAuxCor")).toString(), QLatin1String("AZ"));
    EXPECT_EQ(o.value(QLatin1String("cdCliente")).toInt(), 345);
    EXPECT_FALSE(o.contains(QLatin1String("cdGrupoMaquina")));
    EXPECT_EQ(o.value(QLatin1String("opInterna")).toString(), QLatin1String("4711"));
    EXPECT_EQ(o.value(QLatin1String("referenciaSubprocesso")).toString(), *ordem.referenciaSubprocesso);
    EXPECT_EQ(o.value(QLatin1String("reprocesso")), QJsonValue(false));
    const QJsonArray itens = o.value(QLatin1String("itens")).toArray();
    ASSERT_EQ(itens.size(), 2);
    const QJsonObject item = itens[0].toObject();
    EXPECT_EQ(item.value(QLatin1String("cdAuxArtigo")).toString(), QLatin1String("ART"));
    EXPECT_FALSE(item.contains(QLatin1String("cdAuxTipoFio")));
    EXPECT_EQ(item.value(QLatin1String("peso")).toDouble(), 1.0 / 3.0);
    EXPECT_EQ(item.value(QLatin1String("quantidade")).toInt(), 3);
    EXPECT_EQ(itens[1].toObject().value(QLatin1String("peso")).toDouble(), 0.1);
    EXPECT_EQ(itens[1].toObject().keys(), QStringList({"peso"}));
}

TEST_F(InteropNode, ProgramarComProdutosEPermissao)
{
    programacao prog;
    prog.cdMaquina = 7;
    prog.opInternas = {S("4711"), S("4712")};
    produto completo;
    completo.automatico = true;
    completo.cdAuxProduto = S("P1");
    completo.peso = 0.0125;
    completo.seqPreparacao = 2;
    completo.volume = 300;
    prog.produtos = {produto{}, completo};
    prog.podeIniciar = true;
    ObtemProgramacaoWS(true, Local("ProgramacaoWS"), &FCliente)->programar(prog);

    const QJsonObject p = UltimosArgumentos("programar").value(QLatin1String("programacao")).toObject();
    EXPECT_EQ(p.value(QLatin1String("cdMaquina")).toInt(), 7);
    EXPECT_FALSE(p.contains(QLatin1String("cdAuxMaquina")));
    EXPECT_EQ(p.value(QLatin1String("opInternas")).toArray(), QJsonArray({"4711", "4712"}));
    EXPECT_EQ(p.value(QLatin1String("podeIniciar")), QJsonValue(true));
    const QJsonArray produtos = p.value(QLatin1String("produtos")).toArray();
    ASSERT_EQ(produtos.size(), 2);
    EXPECT_EQ(produtos[0].toObject(), QJsonObject({{"automatico", false}, {"seqPreparacao", 0}}));
    const QJsonObject segundo = produtos[1].toObject();
    EXPECT_EQ(segundo.value(QLatin1String("automatico")), QJsonValue(true));
    EXPECT_EQ(segundo.value(QLatin1String("cdAuxProduto")).toString(), QLatin1String("P1"));
    EXPECT_EQ(segundo.value(QLatin1String("peso")).toDouble(), 0.0125);
    EXPECT_EQ(segundo.value(QLatin1String("seqPreparacao")).toInt(), 2);
    EXPECT_EQ(segundo.value(QLatin1String("volume")).toDouble(), 300.0);
    EXPECT_FALSE(segundo.contains(QLatin1String("intensidade")));

    opPodeIniciar permissao;
    permissao.opInternas = {S("4711"), S("4713")};
    permissao.podeIniciar = false;
    ObtemProgramacaoWS(true, Local("ProgramacaoWS"), &FCliente)->atualizarPodeIniciar(permissao);
    const QJsonObject a = UltimosArgumentos("atualizarPodeIniciar").value(QLatin1String("opPodeIniciar")).toObject();
    EXPECT_EQ(a.value(QLatin1String("opInternas")).toArray(), QJsonArray({"4711", "4713"}));
    EXPECT_EQ(a.value(QLatin1String("podeIniciar")), QJsonValue(false));
}

TEST_F(InteropNode, OperacoesSimples)
{
    ObtemGerarOPWS(true, Local("GerarOPWS"), &FCliente)->excluir(S("4711"));
    EXPECT_EQ(UltimosArgumentos("excluir"), QJsonObject({{"opInterna", "4711"}}));
    ObtemProgramacaoWS(true, Local("ProgramacaoWS"), &FCliente)->excluirProgramacao(S("4712"));
    EXPECT_EQ(UltimosArgumentos("excluirProgramacao"), QJsonObject({{"opInterna", "4712"}}));
    ObtemTipoFioWS(true, Local("TipoFioWS"), &FCliente)->save(S("TF1"), S("Fio 30/1 penteado ç"));
    EXPECT_EQ(UltimosArgumentos("save"), QJsonObject({{"aux", "TF1"}, {"nome", S("Fio 30/1 penteado ç")}}));
    ObtemTipoFioWS(true, Local("TipoFioWS"), &FCliente)->delete_(42);
    EXPECT_EQ(UltimosArgumentos("delete"), QJsonObject({{"aux", 42}}));
}

TEST_F(InteropNode, FalhaDoOutroLadoViraErroComOTextoDaFalha)
{
    try {
        ObtemTipoFioWS(true, Local("TipoFioWS"), &FCliente)->save(S("FALHAR"), S("x"));
        FAIL() << "sem erro";
    } catch (const ESoapFalha& e) {
        EXPECT_EQ(e.Message(), S("FALHAR: recusado pelo serviço"));
    }
}

} // namespace
