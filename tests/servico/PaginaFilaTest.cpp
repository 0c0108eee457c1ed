// The body of the console's queue page, from the rows the queue reader
// hands it: a table of cases, the whole fragment compared where it shows
// the escaping.
#include "servico/console/PaginaFila.h"

#include <gtest/gtest.h>

namespace {

QString S(const char* utf8) { return QString::fromUtf8(utf8); }

TLinhaHistorico Falha(const QString& linha, const QString& erro)
{
    TLinhaHistorico registro;
    registro.Momento = QDateTime(QDate(2026, 3, 2), QTime(8, 0, 1));
    registro.Integracao = QStringLiteral("Vapora");
    registro.Direcao = QStringLiteral("enviado");
    registro.Chave = QStringLiteral("7");
    registro.Desfecho = QStringLiteral("falhou");
    registro.Linha = linha;
    registro.Erro = erro;
    return registro;
}

TFilaConsole Fila(int pendentes)
{
    TFilaConsole fila;
    fila.Integracao = QStringLiteral("Vapora");
    fila.Pendentes.Colunas = {QStringLiteral("ORDEM"), QStringLiteral("CAMPO1")};
    for (int i = 0; i < pendentes; ++i)
        fila.Pendentes.Linhas << QVariantList{i + 1, QStringLiteral("A%1").arg(i + 1)};
    fila.Colunas = {QStringLiteral("ORDEM"), QStringLiteral("STATUS")};
    return fila;
}

TEST(PaginaFila, FragmentoEscapado)
{
    TFilaConsole fila = Fila(0);
    fila.Pendentes.Linhas << QVariantList{8, S("<script>alert('x')</script>")}
                          << QVariantList{9, QVariant()};
    fila.Reenviaveis << TTarefaReenviavel{QStringLiteral("7\"><b>"), {7, 2},
                                          Falha(S("Erro no envio da Cor - AZ & \"Azul\""), S("cor <recusada>"))}
                     << TTarefaReenviavel{QStringLiteral("5"), {5, 3}, std::nullopt};

    EXPECT_EQ(PaginaFila(fila, S("tok\"en'<"), S("/fila/reenviar?x=1&y=2")),
              S("<section class=\"fila\">"
                "<h2>Pendentes (2)</h2>"
                "<table class=\"pendentes\"><thead><tr><th>ORDEM</th><th>CAMPO1</th></tr></thead><tbody>"
                "<tr><td>8</td><td>&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;</td></tr>"
                "<tr><td>9</td><td></td></tr>"
                "</tbody></table>"
                "<h2>Falharam ou foram limpas (2)</h2>"
                "<table class=\"reenviaveis\"><thead><tr><th>ORDEM</th><th>STATUS</th><th>Último registro</th><th></th>"
                "</tr></thead><tbody>"
                "<tr><td>7</td><td>2</td><td class=\"registro\"><time>2026-03-02 08:00:01</time> "
                "<span class=\"desfecho\">falhou</span>: Erro no envio da Cor - AZ &amp; &quot;Azul&quot; "
                "<span class=\"erro\">(cor &lt;recusada&gt;)</span></td>"
                "<td><form method=\"post\" action=\"/fila/reenviar?x=1&amp;y=2\">"
                "<input type=\"hidden\" name=\"csrf\" value=\"tok&quot;en&#39;&lt;\">"
                "<input type=\"hidden\" name=\"ordem\" value=\"7&quot;&gt;&lt;b&gt;\">"
                "<button type=\"submit\">Reenviar</button></form></td></tr>"
                "<tr><td>5</td><td>3</td><td class=\"registro\">sem registro no histórico</td>"
                "<td><form method=\"post\" action=\"/fila/reenviar?x=1&amp;y=2\">"
                "<input type=\"hidden\" name=\"csrf\" value=\"tok&quot;en&#39;&lt;\">"
                "<input type=\"hidden\" name=\"ordem\" value=\"5\">"
                "<button type=\"submit\">Reenviar</button></form></td></tr>"
                "</tbody></table></section>"));
}

TEST(PaginaFila, Casos)
{
    TFilaConsole semFila;
    TFilaConsole vazia = Fila(0);
    TFilaConsole grande = Fila(MaximoPendentesPagina + 3);
    TFilaConsole comErro = Fila(0);
    comErro.Erro = S("Histórico: leitura <falhou>");
    TFilaConsole recortada = Fila(0);
    recortada.Reenviaveis << TTarefaReenviavel{QStringLiteral("1"), {1, 2}, std::nullopt};
    recortada.MaisReenviaveis = true;
    TFilaConsole comData = Fila(0);
    comData.Pendentes.Linhas << QVariantList{1, QDateTime(QDate(2026, 3, 2), QTime(14, 5, 6))};

    const struct {
        const char* nome;
        const TFilaConsole& fila;
        QStringList contem;
        QStringList naoContem;
    } casos[] = {
        {"sem fila", semFila,
         {S("<section class=\"fila\"><p class=\"vazio\">A integração selecionada não tem fila de tarefas.</p></section>")},
         {S("<form")}},
        {"vazia", vazia,
         {S("<h2>Pendentes (0)</h2><p class=\"vazio\">Nenhuma tarefa pendente.</p>"),
          S("<h2>Falharam ou foram limpas (0)</h2><p class=\"vazio\">Nenhuma tarefa falhou ou foi limpa.</p>")},
         {S("<table"), S("<form")}},
        {"grande", grande,
         {S("<h2>Pendentes (503)</h2>"), S("<tr><td>500</td><td>A500</td></tr></tbody></table>"),
          S("<p class=\"mais\">E mais 3 tarefa(s) pendente(s), na aba Tabela da janela.</p>")},
         {S("<td>501</td>")}},
        {"erro", comErro, {S("<section class=\"fila\"><p class=\"erro\">Histórico: leitura &lt;falhou&gt;</p>")}, {}},
        {"recortada", recortada, {S("<h2>Falharam ou foram limpas (1 mais recentes)</h2>")}, {}},
        {"data", comData, {S("<td>2026-03-02 14:05:06</td>")}, {}},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(caso.nome);
        const QString html = PaginaFila(caso.fila, QStringLiteral("t"), QStringLiteral("/fila/reenviar"));
        for (const QString& trecho : caso.contem)
            EXPECT_TRUE(html.contains(trecho)) << trecho.toStdString() << "\n em: " << html.toStdString();
        for (const QString& trecho : caso.naoContem)
            EXPECT_FALSE(html.contains(trecho)) << trecho.toStdString();
    }
}

} // namespace
