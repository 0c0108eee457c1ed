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
    InsereLotes({S("4711"), S(" 4712 "), S("4713"), S("4714"), S("4715")});
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
    Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("save"), QStringLiteral("falha"), S("cor recusada"));
    Servico().DefineModo(QStringLiteral("ProgramacaoWS"), QStringLiteral("atualizarPodeIniciar"),
                         QStringLiteral("falha"), S("lote em uso"));
    Prepara();
    InsereLotes({S("4711")});
    InsereFila({
        {1, "AR", "S", S("A1-MUITO-LONGO"), S("Algodão")},
        {2, "CO", "S", S("AZ"), S("Azul"), S("255")},
        {3, "TF", "D", S("12A"), S("Fio")},
        {4, "PI", "S", S("4711"), S("T")},
        {5, "SP", "S", S("SC1"), S("Reativos"), S("CL")},
    });

    RodaPasso();

    // The start permission's line gives its reason; the others' message
    // boxes do.
    const QStringList linhasFalha = {
        S("Erro no envio do Artigo - A1-MUITO-L - Algodão"),
        S("Erro no envio da Cor - AZ - Azul"),
        S("Erro no envio do TipoFio - 12A - Fio"),
        S("Erro na atualização do pode iniciar - 4711 - T lote em uso"),
    };
    EXPECT_EQ(FRelator.Linhas, linhasFalha + QStringList{S("Grava SubClasse Produto - SC1 - Reativos - CL")});
    ASSERT_EQ(FRelator.Mensagens.size(), 4) << FRelator.Mensagens.join(u'\n').toStdString();
    // Line, a blank and the error's own text; the start permission shows
    // its line, the same text as in the log.
    EXPECT_EQ(FRelator.Mensagens[0], linhasFalha[0] + u' ' + falhaArtigo);
    EXPECT_EQ(FRelator.Mensagens[1], linhasFalha[1] + S(" cor recusada"));
    EXPECT_EQ(FRelator.Mensagens[2], linhasFalha[2] + S(" '12A' is not a valid integer value"));
    EXPECT_EQ(FRelator.Mensagens[3], linhasFalha[3]);

    EXPECT_EQ(StatusFila(), QStringList({"1:2", "2:2", "3:2", "4:2", "5:1"}));
    EXPECT_EQ(FContexto->FalhasNoCiclo, 4);
    // The yarn type whose code is not a number was never sent.
    const QStringList chamadas = Chamadas();
    EXPECT_EQ(chamadas.size(), 4);
    EXPECT_FALSE(chamadas.join(u'\n').contains(QLatin1String("TipoFioWS")));
}

// A service out of reach (a refused connection, a 502, 503 or 504, a
// description that cannot be had or is an HTML page) and a call whose fate
// is not known (no status line within the limit, the connection closed
// before any answer) fail no row: the row and every row after it stay
// pending, the pass ends with one line, and the next cycle, with the service
// back, delivers each row once, in order. Not knowing says the service may
// have the row, and the journal records it as "incerto".
TEST_F(FilaVapora, ServicoInalcancavelOuEnvioIncertoDeixaAsLinhasPendentesParaOProximoCiclo)
{
    QTcpServer fechado;
    ASSERT_TRUE(fechado.listen(QHostAddress::LocalHost));
    const QString recusado = QStringLiteral("Cliente=http://127.0.0.1:%1/integracao/ClienteWS?wsdl\n")
                                 .arg(fechado.serverPort());
    fechado.close();
    const QString inalcancavel = S("Serviço inalcançável (tarefa CL): ");
    const QString incerto = S("Envio incerto (tarefa CL, ORDEM 2): ");
    const struct {
        const char* nome;
        QString ini;
        const char* modo;
        int status;
        bool descricao;
        QString inicio;
        const char* trecho;
        const char* desfecho;
    } casos[] = {
        {"recusado", recusado, "sucesso", 0, false, inalcancavel, "não pôde ser lida", "pendente"},
        {"http 503", {}, "http", 503, false, inalcancavel, "HTTP 503", "pendente"},
        {"http 502", {}, "http", 502, false, inalcancavel, "HTTP 502", "pendente"},
        {"http 504", {}, "http", 504, false, inalcancavel, "HTTP 504", "pendente"},
        {"descrição html", {}, "html", 0, true, inalcancavel, "não é uma descrição de serviço", "pendente"},
        {"descrição 404", {}, "http", 404, true, inalcancavel, "HTTP 404", "pendente"},
        {"mudo", {}, "mudo", 0, false, incerto, "tempo limite esgotado) depois do envio: o serviço pode ter recebido",
         "incerto"},
        {"fecha", {}, "fecha", 0, false, incerto, "o serviço pode ter recebido o pedido", "incerto"},
    };
    const TLimiteTransferenciaSoap limite(1s);
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        TearDown();
        SetUp();
        FRelator.Linhas.clear();
        FRelator.Mensagens.clear();
        FRelator.Registros.clear();
        TServicoSoapTeste::TOpcoesModo opcoes;
        opcoes.Status = caso.status;
        opcoes.Descricao = caso.descricao;
        Servico().DefineModo(QStringLiteral("ClienteWS"), caso.descricao ? QString() : QStringLiteral("save"),
                             QLatin1String(caso.modo), opcoes);
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
        EXPECT_TRUE(linha.startsWith(caso.inicio)) << linha.toStdString();
        EXPECT_TRUE(linha.contains(S(caso.trecho))) << linha.toStdString();
        EXPECT_TRUE(linha.endsWith(S(" 3 tarefa(s) pendente(s) aguardam o próximo ciclo."))) << linha.toStdString();
        EXPECT_TRUE(FRelator.Mensagens.isEmpty());
        EXPECT_EQ(FContexto->FalhasNoCiclo, 1);
        EXPECT_EQ(FRelator.Registros, QStringList({S("1 enviado"), S("2 ") + QLatin1String(caso.desfecho)}));

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

// A 2xx status line confirms the call whatever follows it: the row is
// marked 1 at once, its line says the answer came incomplete, and it is
// never posted again (five cycles, one call), though the monitor could not
// read the answer.
TEST_F(FilaVapora, DoisXXConfirmaALinhaMesmoComARespostaIncompleta)
{
    const char* const modos[] = {"cortada", "cortada-sem-tamanho", "cortada-chunked", "lixo", "vazia", "html"};
    for (const char* modo : modos) {
        SCOPED_TRACE(modo);
        TearDown();
        SetUp();
        FRelator.Limpa();
        FRelator.Registros.clear();
        Servico().DefineModo(QStringLiteral("ClienteWS"), QStringLiteral("save"), QLatin1String(modo));
        Prepara();
        InsereFila({{1, "CL", "S", S("7"), S("Malharia")}, {2, "AR", "S", S("A1"), S("Algodão")}});

        for (int ciclo = 0; ciclo < 5; ++ciclo)
            RodaPasso();

        EXPECT_EQ(Chamadas(), QStringList({S("ClienteWS.save(codigo=7, nome=Malharia)"),
                                           S("ArtigoWS.save(aux=A1, nome=Algodão)")}));
        EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:1"}));
        ASSERT_EQ(FRelator.Linhas.size(), 3) << FRelator.Linhas.join(u'\n').toStdString();
        EXPECT_EQ(FRelator.Linhas[0], S("Grava Cliente - 7 - Malharia"));
        EXPECT_TRUE(FRelator.Linhas[1].startsWith(S("Resposta incompleta (tarefa CL, ORDEM 1): a resposta de ")
                                                  + Servico().Endereco(QStringLiteral("ClienteWS"))
                                                  + S(" (HTTP 200 OK) veio incompleta: ")))
            << FRelator.Linhas[1].toStdString();
        EXPECT_TRUE(FRelator.Linhas[1].endsWith(S("O status confirmou a chamada: a tarefa fica marcada como enviada.")))
            << FRelator.Linhas[1].toStdString();
        EXPECT_EQ(FRelator.Linhas[2], S("Grava Artigo - A1 - Algodão"));
        EXPECT_TRUE(FRelator.Mensagens.isEmpty());
        EXPECT_EQ(FContexto->FalhasNoCiclo, 0);
        EXPECT_EQ(FRelator.Registros, QStringList({S("1 enviado"), S("2 enviado")}));
    }
}

// A service that refuses one row without a fault (a bare 400, a 500 with no
// fault) holds that row and the rows behind it, in order, for at most
// TentativasRecusa cycles (3 by default), each with its line; at the last
// the row fails with the status and the start of the body in its line, and
// the rows behind go on in the same pass.
TEST_F(FilaVapora, RecusaSemFalhaEsperaTentativasRecusaCiclosEDepoisFalha)
{
    const struct {
        const char* nome;
        QString ini;
        int status;
        int tentativas;
    } casos[] = {
        {"400, padrão", {}, 400, 3},
        {"500 sem falha, 2 tentativas", S("TentativasRecusa=2\n"), 500, 2},
        {"404, 1 tentativa", S("TentativasRecusa=1\n"), 404, 1},
        {"400, valor ilegível vale 3", S("TentativasRecusa=muitas\n"), 400, 3},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        TearDown();
        SetUp();
        FRelator.Limpa();
        FRelator.Registros.clear();
        // Only the row of customer 7 is refused.
        TServicoSoapTeste::TOpcoesModo recusa;
        recusa.Status = caso.status;
        recusa.Contem = S(">7<");
        Servico().DefineModo(QStringLiteral("ClienteWS"), QStringLiteral("save"), QStringLiteral("http"), recusa);
        EscreveIni(caso.ini);
        Prepara();
        InsereFila({
            {1, "AR", "S", S("A1"), S("Algodão")},
            {2, "CL", "S", S("7"), S("Malharia")},
            {3, "CL", "S", S("8"), S("Tecelagem")},
        });

        for (int ciclo = 1; ciclo < caso.tentativas; ++ciclo) {
            FRelator.Limpa();
            RodaPasso();
            EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:", "3:"})) << "ciclo " << ciclo;
            ASSERT_FALSE(FRelator.Linhas.isEmpty());
            const QString linha = FRelator.Linhas.last();
            EXPECT_TRUE(linha.startsWith(S("Tarefa recusada pelo serviço (tarefa CL, ORDEM 2), tentativa %1 de %2: ")
                                             .arg(ciclo).arg(caso.tentativas)))
                << linha.toStdString();
            EXPECT_TRUE(linha.contains(S("HTTP %1").arg(caso.status))) << linha.toStdString();
            EXPECT_TRUE(linha.endsWith(S(" 2 tarefa(s) pendente(s) aguardam o próximo ciclo."))) << linha.toStdString();
            EXPECT_TRUE(FRelator.Mensagens.isEmpty());
        }
        FRelator.Limpa();
        RodaPasso();

        EXPECT_EQ(StatusFila(), QStringList({"1:1", "2:2", "3:1"}));
        // The article's line comes first when the first pass is the last.
        const QStringList linhas = FRelator.Linhas.mid(caso.tentativas == 1 ? 1 : 0);
        ASSERT_EQ(linhas.size(), 2) << FRelator.Linhas.join(u'\n').toStdString();
        const QString& falha = linhas[0];
        EXPECT_TRUE(falha.startsWith(S("Erro no envio do Cliente - 7 - Malharia Recusada por ")
                                     + Servico().Endereco(QStringLiteral("ClienteWS")) + S(" sem falha SOAP: HTTP %1 ")
                                           .arg(caso.status)))
            << falha.toStdString();
        EXPECT_TRUE(falha.endsWith(S(": Erro simulado (%1ª tentativa)").arg(caso.tentativas))) << falha.toStdString();
        EXPECT_EQ(FRelator.Mensagens, QStringList({falha}));
        EXPECT_EQ(linhas[1], S("Grava Cliente - 8 - Tecelagem"));
        int postados = 0;
        for (const TPedidoRecebido& chamada : Servico().Chamadas())
            postados += chamada.Corpo.contains(S(">7<"));
        EXPECT_EQ(postados, caso.tentativas);
    }
}

// A row whose ORDEM is 0 or NULL could never be marked: it is never posted,
// every cycle says so naming its kind and CAMPO1 and counts it as failed,
// and the pass goes on with the other rows.
TEST_F(FilaVapora, LinhaSemOrdemNuncaEhEnviadaEOPassoContinua)
{
    Prepara();
    InsereFila({
        {0, "AR", "S", S("A0"), S("sem ordem")},
        {5, "AR", "S", S("A5"), S("com ordem")},
        {0, "OP", "S", S("4711"), S("nula")},
    });
    ExecutaEmOutraConexao(QStringLiteral("UPDATE QX_INTEGRA SET ORDEM = NULL WHERE TIPO = 'OP'"));

    for (int ciclo = 1; ciclo <= 2; ++ciclo) {
        FRelator.Limpa();
        FContexto->FalhasNoCiclo = 0;
        RodaPasso();
        const QStringList esperadas = {
            S("Tarefa AR - A0 sem ORDEM: não foi enviada, pois não pode ser marcada sem ORDEM."),
            S("Tarefa OP - 4711 sem ORDEM: não foi enviada, pois não pode ser marcada sem ORDEM."),
        };
        EXPECT_EQ(FRelator.Linhas.filter(S("sem ORDEM")), esperadas) << "ciclo " << ciclo;
        EXPECT_EQ(FContexto->FalhasNoCiclo, 2);
    }
    EXPECT_EQ(Chamadas(), QStringList({S("ArtigoWS.save(aux=A5, nome=com ordem)")}));
    EXPECT_EQ(StatusFila(), QStringList({"0:", "5:1", ":"}));
}

// An order, a programme or a start permission for a lot the ERP does not
// have posts nothing: the row fails, its line saying the lot was not found.
// A lot that exists without items or consumptions still sends its empty
// order or programme.
TEST_F(FilaVapora, LoteQueOErpNaoTemNaoEhEnviadoEFalha)
{
    Prepara();
    InsereLotes({S("4714")});
    InsereFila({
        {1, "OP", "S", S("9999"), S("ordem")},
        {2, "PG", "S", S("9999")},
        {3, "PI", "S", S("9999"), S("T")},
        {4, "PG", "S", S("4714")},
    });

    RodaPasso();

    const QString naoEncontrado = S(" Lote 9999 não encontrado no ERP; nada foi enviado.");
    const QStringList falhas = {
        S("Erro na geração da OP - 9999 - ordem") + naoEncontrado,
        S("Erro na geração da Programação - 9999 - ") + naoEncontrado,
        S("Erro na atualização do pode iniciar - 9999 - T") + naoEncontrado,
    };
    EXPECT_EQ(FRelator.Linhas, falhas + QStringList{S("Grava Programação FAL - ")});
    EXPECT_EQ(FRelator.Mensagens, falhas);
    EXPECT_EQ(Chamadas().size(), 1);
    EXPECT_TRUE(Chamadas().value(0).startsWith(S("ProgramacaoWS.programar("))) << Chamadas().value(0).toStdString();
    EXPECT_EQ(StatusFila(), QStringList({"1:2", "2:2", "3:2", "4:1"}));
    EXPECT_EQ(FContexto->FalhasNoCiclo, 3);
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
    const QString lote = S("O'<&>\"x\"🧵DESCENDING");  // as long as a lot number may be
    Prepara();
    InsereLotes({lote});
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

// Each row's record keeps its call as the service got it: the envelope the
// service received, byte for byte, with its SOAP action, then the status the
// service answered and, for a fault, its fault string. A refusal without a
// fault keeps its status alone.
TEST_F(FilaVapora, RegistroGuardaOEnvelopeRecebidoComStatusEFalha)
{
    Servico().DefineModo(QStringLiteral("ClienteWS"), QStringLiteral("save"), QStringLiteral("falha"),
                         S("Cliente 7 já existe"));
    Servico().DefineModo(QStringLiteral("CorWS"), QStringLiteral("save"), QStringLiteral("http"), {}, 400);
    Prepara();
    InsereFila({
        {1, "AR", "S", S("A1"), S("Algodão <penteado> & cia")},
        {2, "CL", "S", S("7"), S("Malharia")},
        {3, "CO", "S", S("AZ"), S("Azul"), S("255")},
    });

    RodaPasso();

    const QList<TPedidoRecebido> chamadas = Servico().Chamadas();
    ASSERT_EQ(chamadas.size(), 3);
    ASSERT_EQ(FRelator.Tratados.size(), 3);
    const struct {
        const char* status;
        QString falha;
    } esperados[] = {{"HTTP 200", {}}, {"HTTP 500", S("Cliente 7 já existe")}, {"HTTP 400", {}}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const QString& conteudo = FRelator.Tratados[i].Conteudo;
        const QString envio = S("SOAPAction: ") + chamadas[i].Cabecalho("soapaction") + S("\n\n") + chamadas[i].Corpo
                            + S("\n\n");
        const qsizetype onde = conteudo.indexOf(envio);
        ASSERT_GT(onde, 0) << conteudo.toStdString();
        EXPECT_EQ(conteudo.left(onde), S("POST ") + Servico().Endereco(chamadas[i].Servico) + u'\n');
        const QStringList resposta = conteudo.mid(onde + envio.size()).split(u'\n');
        EXPECT_TRUE(resposta.value(0).startsWith(S(esperados[i].status))) << conteudo.toStdString();
        EXPECT_EQ(resposta.size(), esperados[i].falha.isEmpty() ? 1 : 2) << conteudo.toStdString();
        if (!esperados[i].falha.isEmpty())
            EXPECT_EQ(resposta.value(1), S("Falha SOAP: ") + esperados[i].falha);
    }
    EXPECT_EQ(FRelator.Tratados[1].Desfecho, TDesfechoRegistro::Falhou);
    EXPECT_EQ(FRelator.Tratados[2].Desfecho, TDesfechoRegistro::Pendente);
}
