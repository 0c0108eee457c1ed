// The queue pass end to end: rows of QX_INTEGRA in a real ERP database, the
// calls as the test SOAP service received them, the log pane, the message
// boxes and the committed status of every row.
#include "FilaVaporaTeste.h"

#include "soap/LimiteTransferencia.h"
#include "soap/TransporteHttp.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>

using namespace std::chrono_literals;

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

// One row and what it must become: the call the service receives (empty:
// none) and the log line.
struct CasoTarefa {
    TLinhaFila linha;
    QString chamada;
    QString linhaLog;
};

TEST_F(FilaVapora, CadaTipoEOperacaoChegaComoOContratoDizComSuaLinha)
{
    const QString nome36 = S("Azul marinho profundo reativo 5G ext");  // 36 characters
    const QString codigo13 = S("123456789🧵XYZ");                       // the 10th character outside the BMP
    const QString fio25 = S("FIO-PENTEADO-30/1-ALGODA");
    const QString nome120 = QString(120, u'n');
    const CasoTarefa casos[] = {
        {{1, "AR", "S", S("A1"), S("Algodão penteado")},
         S("ArtigoWS.save(aux=A1, nome=Algodão penteado)"), S("Grava Artigo - A1 - Algodão penteado")},
        {{2, "AR", "D", codigo13, nome36},
         S("ArtigoWS.delete(aux=123456789🧵)"),
         S("Deleta Artigo - 123456789🧵 - ") + nome36.left(30)},
        {{3, "CL", "S", S("ABC"), S("Malharia")},
         S("ClienteWS.save(codigo=0, nome=Malharia)"), S("Grava Cliente - ABC - Malharia")},
        {{4, "CL", "S", S("000000000042"), S("Malharia")},
         S("ClienteWS.save(codigo=42, nome=Malharia)"), S("Grava Cliente - 000000000042 - Malharia")},
        {{5, "CL", "D", S("000000000042"), S("Malharia")},
         S("ClienteWS.delete(codigo=42)"), S("Deleta Cliente - 0000000000 - Malharia")},
        {{6, "CO", "S", S("AZ"), S("Azul"), S("255")},
         S("CorWS.save(aux=AZ, nome=Azul, cdCliente=0, red=255, green=0, blue=0)"),
         S("Grava Cor - AZ - Azul - 255 - 0 - 0")},
        {{7, "CO", "S", S("VD"), nome36, S("256")},
         S("CorWS.save(aux=VD, nome=") + nome36.left(30) + S(", cdCliente=0, red=0, green=1, blue=0)"),
         S("Grava Cor - VD - ") + nome36.left(35) + S(" - 0 - 1 - 0")},
        {{8, "CO", "D", S("BR"), S("Branco"), S("-1")},
         S("CorWS.delete(aux=BR)"), S("Deleta Cor - BR - Branco - 255 - 255 - 255")},
        {{9, "CO", "S", S("XX"), S("Nada"), S("azul")},
         S("CorWS.save(aux=XX, nome=Nada, cdCliente=0, red=0, green=0, blue=0)"),
         S("Grava Cor - XX - Nada - 0 - 0 - 0")},
        {{10, "CP", "S", S("CL1"), S("Corantes")},
         S("ClasseProdutoWS.save(aux=CL1, nome=Corantes)"), S("Grava Classe Produto - CL1 - Corantes")},
        {{11, "CP", "D", S("CL1"), S("Corantes")},
         S("ClasseProdutoWS.delete(aux=CL1)"), S("Deleta Classe Produto - CL1 - Corantes")},
        {{12, "SP", "S", S("SC1"), S("Reativos"), S("CL1")},
         S("SubClasseProdutoWS.save(aux=SC1, nome=Reativos, auxClasse=CL1)"),
         S("Grava SubClasse Produto - SC1 - Reativos - CL1")},
        {{13, "SP", "D", S("SC1"), S("Reativos"), S("CL1")},
         S("SubClasseProdutoWS.delete(aux=SC1)"), S("Deleta SubClasse Produto - SC1 - Reativos - CL1")},
        {{14, "PR", "S", S("P1"), S("Azul 5G"), S("SC1-LONGO-DEMAIS")},
         S("ProdutoWS.save(aux=P1, nome=Azul 5G, auxSubClasse=SC1-LONGO-)"),
         S("Grava Produto - P1 - Azul 5G - SC1-LONGO-")},
        {{15, "PR", "D", S("P1"), S("Azul 5G"), S("SC1")},
         S("ProdutoWS.delete(aux=P1)"), S("Deleta Produto - P1 - Azul 5G - SC1")},
        {{16, "OP", "D", S("4711"), S("ordem cancelada")},
         S("GerarOPWS.excluir(opInterna=4711)"), S("Deleta FAL - 4711 - ordem cancelada")},
        {{17, "PG", "D", S("4711")},
         S("ProgramacaoWS.excluirProgramacao(opInterna=4711)"), S("Deleta Programação FAL - 4711 - ")},
        {{18, "TF", "S", fio25, nome120},
         S("TipoFioWS.save(aux=") + fio25.left(20) + S(", nome=") + nome120.left(100) + u')',
         S("Grava TipoFio - ") + fio25.left(20) + S(" - ") + nome120.left(100)},
        {{19, "TF", "D", S("42"), S("Fio 30/1")},
         S("TipoFioWS.delete(aux=42)"), S("Deleta TipoFio - 42 - Fio 30/1")},
        {{20, "PI", "X", S("4711"), S("True")},
         S("ProgramacaoWS.atualizarPodeIniciar(opPodeIniciar{opInternas=4711, podeIniciar=true})"),
         S("Atualiza Pode Iniciar FAL - 4711 - True")},
        {{21, "PI", "", S(" 4712 "), S("y")},
         S("ProgramacaoWS.atualizarPodeIniciar(opPodeIniciar{opInternas= 4712 , podeIniciar=true})"),
         S("Atualiza Pode Iniciar FAL -  4712  - y")},
        {{22, "PI", "S", S("4713"), S("S")},
         S("ProgramacaoWS.atualizarPodeIniciar(opPodeIniciar{opInternas=4713, podeIniciar=false})"),
         S("Atualiza Pode Iniciar FAL - 4713 - S")},
        {{23, "PI", "D", S("4714"), S("1")},
         S("ProgramacaoWS.atualizarPodeIniciar(opPodeIniciar{opInternas=4714, podeIniciar=false})"),
         S("Atualiza Pode Iniciar FAL - 4714 - 1")},
        {{24, "PI", "S", S("4715"), S("")},
         S("ProgramacaoWS.atualizarPodeIniciar(opPodeIniciar{opInternas=4715, podeIniciar=false})"),
         S("Atualiza Pode Iniciar FAL - 4715 - ")},
    };
    Prepara();
    QList<TLinhaFila> linhas;
    QStringList chamadas, linhasLog, status;
    for (const CasoTarefa& caso : casos) {
        linhas << caso.linha;
        chamadas << caso.chamada;
        linhasLog << caso.linhaLog;
        status << QString::number(caso.linha.Ordem) + QStringLiteral(":1");
    }
    InsereFila(linhas);

    RodaPasso();

    EXPECT_EQ(Chamadas(), chamadas);
    EXPECT_EQ(FRelator.Linhas, linhasLog);
    EXPECT_TRUE(FRelator.Mensagens.isEmpty()) << FRelator.Mensagens.join(u'\n').toStdString();
    EXPECT_EQ(StatusFila(), status);
    EXPECT_EQ(FContexto->FalhasNoCiclo, 0);

    // Marked rows are not read again.
    Servico().Limpa();
    RodaPasso();
    EXPECT_TRUE(Chamadas().isEmpty());
}

TEST_F(FilaVapora, LinhaQueNaoPedeEnvioSoEhMarcada)
{
    Prepara();
    InsereFila({
        {1, "XX", "S", S("A1"), S("código que não existe")},
        {2, "ar", "S", S("A1"), S("código em minúsculas")},
        {3, "AR", "s", S("A1"), S("operação em minúsculas")},
        {4, "AR", "I", S("A1"), S("outra operação")},
        {5, "CL", "", S("7")},
        {6, "OP", "D", S("   ")},
        {7, "PG", "D", S("")},
        {8, "OP", "D", S("          4711")},  // its first 10 characters are blank
        {9, "PI", "S", S(" \t ")},
        {10, "PI", "S", S("")},
        {11, "AR", "S", S("A1"), S("ainda pendente"), {}, S("0")},
    });

    RodaPasso();

    EXPECT_EQ(Chamadas(), QStringList({S("ArtigoWS.save(aux=A1, nome=ainda pendente)")}));
    EXPECT_EQ(FRelator.Linhas, QStringList({S("Grava Artigo - A1 - ainda pendente")}));
    EXPECT_TRUE(FRelator.Mensagens.isEmpty());
    EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:1", "3:1", "4:1", "5:1", "6:1", "7:1", "8:1", "9:1",
                                         "10:1", "11:1"}));
}

TEST_F(FilaVapora, FalhaMarcaDoisRelataEOPassoContinua)
{
    const QString falhaArtigo = S("Artigo <A1> & \"A2\" já existe — código 🧵");
    Servico().DefineModo(QStringLiteral("ArtigoWS"), QStringLiteral("save"), QStringLiteral("falha"), falhaArtigo);
    Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("save"), QStringLiteral("lixo"));
    Servico().DefineModo(QStringLiteral("ProgramacaoWS"), QStringLiteral("atualizarPodeIniciar"),
                         QStringLiteral("falha"), S("lote em uso"));
    Prepara();
    InsereFila({
        {1, "AR", "S", S("A1-MUITO-LONGO"), S("Algodão")},
        {2, "CO", "S", S("AZ"), S("Azul"), S("255")},
        {3, "TF", "D", S("12A"), S("Fio")},
        {4, "PI", "S", S("4711"), S("T")},
        {5, "SP", "S", S("SC1"), S("Reativos"), S("CL")},
    });

    RodaPasso();

    const QStringList linhasFalha = {
        S("Erro no envio do Artigo - A1-MUITO-L - Algodão"),
        S("Erro no envio da Cor - AZ - Azul"),
        S("Erro no envio do TipoFio - 12A - Fio"),
        S("Erro na atualização do pode iniciar - 4711 - T"),
    };
    EXPECT_EQ(FRelator.Linhas, linhasFalha + QStringList{S("Grava SubClasse Produto - SC1 - Reativos - CL")});
    ASSERT_EQ(FRelator.Mensagens.size(), 4) << FRelator.Mensagens.join(u'\n').toStdString();
    // Line, a blank and the error's own text; the start permission shows
    // the line alone.
    EXPECT_EQ(FRelator.Mensagens[0], linhasFalha[0] + u' ' + falhaArtigo);
    EXPECT_TRUE(FRelator.Mensagens[1].startsWith(linhasFalha[1] + S(" Resposta ilegível")))
        << FRelator.Mensagens[1].toStdString();
    EXPECT_EQ(FRelator.Mensagens[2], linhasFalha[2] + S(" '12A' is not a valid integer value"));
    EXPECT_EQ(FRelator.Mensagens[3], linhasFalha[3]);

    EXPECT_EQ(StatusFila(), QStringList({"1:2", "2:2", "3:2", "4:2", "5:1"}));
    EXPECT_EQ(FContexto->FalhasNoCiclo, 4);
    // The yarn type whose code is not a number was never sent.
    const QStringList chamadas = Chamadas();
    EXPECT_EQ(chamadas.size(), 4);
    EXPECT_FALSE(chamadas.join(u'\n').contains(QLatin1String("TipoFioWS")));
}

// A service out of reach (a refused connection, a bare HTTP error, no answer
// within the limit, an answer cut off halfway) fails no row: the row and every row after it stay
// pending, the pass ends with one line, and the next cycle, with the
// service back, delivers each row once, in order.
TEST_F(FilaVapora, ServicoInalcancavelDeixaAsLinhasPendentesParaOProximoCiclo)
{
    QTcpServer fechado;
    ASSERT_TRUE(fechado.listen(QHostAddress::LocalHost));
    const QString recusado = QStringLiteral("Cliente=http://127.0.0.1:%1/integracao/ClienteWS?wsdl\n")
                                 .arg(fechado.serverPort());
    fechado.close();
    const struct {
        const char* nome;
        QString ini;
        const char* modo;
        const char* trecho;
    } casos[] = {
        {"recusado", recusado, "sucesso", "não pôde ser lida"},
        {"http 503", {}, "http", "HTTP 503"},
        {"mudo", {}, "mudo", "tempo limite esgotado"},
        {"cortada", {}, "cortada", "Resposta interrompida"},
    };
    const TLimiteTransferenciaSoap limite(1s);
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        TearDown();
        SetUp();
        FRelator.Linhas.clear();
        FRelator.Mensagens.clear();
        Servico().DefineModo(QStringLiteral("ClienteWS"), QStringLiteral("save"), QLatin1String(caso.modo), {}, 503);
        EscreveIni(caso.ini);
        Prepara();
        InsereFila({
            {1, "AR", "S", S("A1"), S("Algodão")},
            {2, "CL", "S", S("7"), S("Malharia")},
            {3, "CO", "S", S("AZ"), S("Azul"), S("255")},
            {4, "AR", "S", S("A2"), S("Linho")},
        });

        RodaPasso();

        EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:", "3:", "4:"}));
        ASSERT_EQ(FRelator.Linhas.size(), 2) << FRelator.Linhas.join(u'\n').toStdString();
        const QString& linha = FRelator.Linhas[1];
        EXPECT_TRUE(linha.startsWith(S("Serviço inalcançável (tarefa CL): "))) << linha.toStdString();
        EXPECT_TRUE(linha.contains(S(caso.trecho))) << linha.toStdString();
        EXPECT_TRUE(linha.endsWith(S(" 3 tarefa(s) pendente(s) aguardam o próximo ciclo."))) << linha.toStdString();
        EXPECT_TRUE(FRelator.Mensagens.isEmpty());
        EXPECT_EQ(FContexto->FalhasNoCiclo, 1);

        Servico().Limpa();
        EscreveIni();
        RodaPasso();
        EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:1", "3:1", "4:1"}));
        QStringList enviados;
        for (const TPedidoRecebido& chamada : Servico().Chamadas())
            enviados << chamada.Servico;
        EXPECT_EQ(enviados, QStringList({"ClienteWS", "CorWS", "ArtigoWS"}));
    }
}

TEST_F(FilaVapora, DuasLinhasComAMesmaOrdemSaoTratadasEAPrimeiraMarcaAsDuas)
{
    Servico().DefineModo(QStringLiteral("ClasseProdutoWS"), QStringLiteral("save"), QStringLiteral("falha"),
                         S("recusado"));
    Prepara();
    InsereFila({{5, "AR", "S", S("A1"), S("Algodão")}, {5, "CP", "S", S("CL"), S("Corantes")}});

    RodaPasso();

    EXPECT_EQ(Chamadas(), QStringList({S("ArtigoWS.save(aux=A1, nome=Algodão)"),
                                       S("ClasseProdutoWS.save(aux=CL, nome=Corantes)")}));
    // The second row failed, but the update after the first had already
    // marked both, so it found nothing pending.
    EXPECT_EQ(FRelator.Linhas, QStringList({S("Grava Artigo - A1 - Algodão"),
                                            S("Erro no envio da Classe Produto - CL - Corantes")}));
    EXPECT_EQ(StatusFila(), QStringList({"5:1", "5:1"}));
}

TEST_F(FilaVapora, LinhaQueOutroEscritorMarcouTresFicaTres)
{
    Prepara();
    InsereFila({{8, "AR", "S", S("A8"), S("x")}, {9, "AR", "S", S("A9"), S("y")}});
    FRelator.AoAdicionarLinha = [this](const QString& linha) {
        if (linha == QLatin1String("Grava Artigo - A9 - y"))
            ExecutaEmOutraConexao(QStringLiteral("UPDATE QX_INTEGRA SET STATUS = 3 WHERE ORDEM = 9"));
    };

    RodaPasso();

    EXPECT_EQ(Chamadas().size(), 2);
    EXPECT_EQ(StatusFila(), QStringList({"8:1", "9:3"}));
}

TEST_F(FilaVapora, TextoHostilChegaIntactoAoServicoEAoLog)
{
    const QString codigo = S("<&>\"'🧵ç");
    const QString nome = S("O'B \"Tec\" <b>&amp; ]]> 漢字 Ação");  // 30 characters: sent whole
    const QString lote = S("O'1 <&> \"x\" 漢字 🧵 DESCENDING");
    Prepara();
    InsereFila({{1, "AR", "S", codigo, nome}, {2, "PI", "S", lote, S("Yes")}});

    RodaPasso();

    EXPECT_EQ(Chamadas(), QStringList({S("ArtigoWS.save(aux=") + codigo + S(", nome=") + nome + u')',
                                       S("ProgramacaoWS.atualizarPodeIniciar(opPodeIniciar{opInternas=") + lote
                                           + S(", podeIniciar=true})")}));
    EXPECT_EQ(FRelator.Linhas, QStringList({S("Grava Artigo - ") + codigo + S(" - ") + nome,
                                            S("Atualiza Pode Iniciar FAL - ") + lote + S(" - Yes")}));
    EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:1"}));
}

// A description that lacks the service or the port named by the contract
// fails its row, saying what is missing; nothing is sent.
TEST_F(FilaVapora, DescricaoSemOServicoOuAPortaFalhaALinha)
{
    const auto escreveDescricao = [&](const QString& interface, const QString& de, const QString& para) {
        const TRespostaHttp http = ExecutaHttp(Servico().LocalDescricao(interface), {}, nullptr);
        const QString caminho = QDir(FPastaIni).filePath(interface + QStringLiteral(".wsdl"));
        QFile arquivo(caminho);
        EXPECT_TRUE(arquivo.open(QIODevice::WriteOnly));
        arquivo.write(QString::fromUtf8(http.Corpo).replace(de, para).toUtf8());
        return caminho;
    };
    const QString semServico = escreveDescricao(QStringLiteral("CorWS"), QStringLiteral("name=\"CorWSService\""),
                                                QStringLiteral("name=\"OutroService\""));
    const QString semPorta = escreveDescricao(QStringLiteral("ArtigoWS"), QStringLiteral("port name=\"ArtigoWSPort\""),
                                              QStringLiteral("port name=\"OutraPort\""));
    EscreveIni(QStringLiteral("Cor=%1\nArtigo=%2\n").arg(semServico, semPorta));
    Prepara();
    InsereFila({{1, "CO", "S", S("AZ"), S("Azul"), S("1")}, {2, "AR", "S", S("A1"), S("Algodão")}});

    RodaPasso();

    EXPECT_TRUE(Chamadas().isEmpty());
    ASSERT_EQ(FRelator.Mensagens.size(), 2);
    EXPECT_EQ(FRelator.Mensagens[0], S("Erro no envio da Cor - AZ - Azul A descrição do serviço em ") + semServico
                                         + S(" não tem o serviço \"CorWSService\"."));
    EXPECT_EQ(FRelator.Mensagens[1], S("Erro no envio do Artigo - A1 - Algodão A descrição do serviço em ")
                                         + semPorta + S(" não tem a porta \"ArtigoWSPort\" no serviço \"ArtigoWSService\"."));
    EXPECT_EQ(StatusFila(), QStringList({"1:2", "2:2"}));
}

// The description is read once per location; a location changed in QX.ini
// is read at the next row.
TEST_F(FilaVapora, DescricaoLidaUmaVezPorLocalENovaLocalNaProximaLinha)
{
    Prepara();
    InsereFila({{1, "CO", "S", S("C1"), S("a")}, {2, "CO", "S", S("C2"), S("b")}, {3, "CO", "D", S("C3"), S("c")},
                {4, "AR", "S", S("A1"), S("d")}, {5, "CO", "S", S("C4"), S("e")}});
    FRelator.AoAdicionarLinha = [this](const QString& linha) {
        if (linha.startsWith(QLatin1String("Grava Artigo")))
            EscreveIni(QStringLiteral("Cor=") + Servico().Endereco(QStringLiteral("CorWS"))
                       + QStringLiteral("?WSDL\n"));
    };

    RodaPasso();

    EXPECT_EQ(Chamadas().size(), 5);
    EXPECT_EQ(Servico().LeiturasDescricao(QStringLiteral("CorWS")), 2);
    EXPECT_EQ(Servico().LeiturasDescricao(QStringLiteral("ArtigoWS")), 1);
    EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:1", "3:1", "4:1", "5:1"}));
}

} // namespace
