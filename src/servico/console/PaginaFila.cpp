#include "servico/console/PaginaFila.h"

#include "servico/console/LayoutConsole.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <algorithm>

namespace {

// A value as text: moments in ISO form (no regional setting), NULL empty.
QString Texto(const QVariant& valor)
{
    if (valor.isNull())
        return {};
    switch (valor.typeId()) {
    case QMetaType::QDateTime: return valor.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case QMetaType::QDate: return valor.toDate().toString(Qt::ISODate);
    case QMetaType::QTime: return valor.toTime().toString(QStringLiteral("HH:mm:ss"));
    default: return valor.toString();
    }
}

QString Cabecalho(const QStringList& colunas, const QStringList& extras = {})
{
    QString html = QStringLiteral("<thead><tr>");
    for (const QString& coluna : colunas + extras)
        html += QStringLiteral("<th>") + Escapa(coluna) + QStringLiteral("</th>");
    return html + QStringLiteral("</tr></thead>");
}

QString Celulas(const QVariantList& valores)
{
    QString html;
    for (const QVariant& valor : valores)
        html += QStringLiteral("<td>") + Escapa(Texto(valor)) + QStringLiteral("</td>");
    return html;
}

// "2026-03-02 08:00:01 saída falhou: Erro no envio da Cor (cor recusada)".
QString Registro(const std::optional<TLinhaHistorico>& registro)
{
    if (!registro)
        return QStringLiteral("<td class=\"registro\">sem registro no histórico</td>");
    const TLinhaHistorico& r = *registro;
    QString html = QStringLiteral("<td class=\"registro\"><time>")
                 + Escapa(r.Momento.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")))
                 + QStringLiteral("</time> <span class=\"desfecho\">") + Escapa(r.Desfecho)
                 + QStringLiteral("</span>");
    if (!r.Linha.isEmpty())
        html += QStringLiteral(": ") + Escapa(r.Linha);
    if (!r.Erro.isEmpty())
        html += QStringLiteral(" <span class=\"erro\">(") + Escapa(r.Erro) + QStringLiteral(")</span>");
    return html + QStringLiteral("</td>");
}

QString Formulario(const QString& chave, const QString& tokenCsrf, const QString& acao)
{
    return QStringLiteral("<td><form method=\"post\" action=\"") + Escapa(acao)
         + QStringLiteral("\"><input type=\"hidden\" name=\"csrf\" value=\"") + Escapa(tokenCsrf)
         + QStringLiteral("\"><input type=\"hidden\" name=\"ordem\" value=\"") + Escapa(chave)
         + QStringLiteral("\"><button type=\"submit\">Reenviar</button></form></td>");
}

} // namespace

QString PaginaFila(const TFilaConsole& fila, const QString& tokenCsrf, const QString& acao)
{
    if (fila.Integracao.isEmpty())
        return QStringLiteral("<section class=\"fila\"><p class=\"vazio\">A integração selecionada não tem fila de "
                              "tarefas.</p></section>");
    QString html = QStringLiteral("<section class=\"fila\">");
    if (!fila.Erro.isEmpty())
        html += QStringLiteral("<p class=\"erro\">") + Escapa(fila.Erro) + QStringLiteral("</p>");

    const qsizetype pendentes = fila.Pendentes.Linhas.size();
    html += QStringLiteral("<h2>Pendentes (%1)</h2>").arg(pendentes);
    if (pendentes == 0) {
        html += QStringLiteral("<p class=\"vazio\">Nenhuma tarefa pendente.</p>");
    } else {
        html += QStringLiteral("<table class=\"pendentes\">") + Cabecalho(fila.Pendentes.Colunas) + QStringLiteral("<tbody>");
        for (qsizetype l = 0; l < std::min<qsizetype>(pendentes, MaximoPendentesPagina); ++l)
            html += QStringLiteral("<tr>") + Celulas(fila.Pendentes.Linhas[l]) + QStringLiteral("</tr>");
        html += QStringLiteral("</tbody></table>");
        if (pendentes > MaximoPendentesPagina)
            html += QStringLiteral("<p class=\"mais\">E mais %1 tarefa(s) pendente(s), na aba Tabela da janela.</p>")
                        .arg(pendentes - MaximoPendentesPagina);
    }

    html += QStringLiteral("<h2>Falharam ou foram limpas (%1%2)</h2>")
                .arg(fila.Reenviaveis.size())
                .arg(fila.MaisReenviaveis ? QStringLiteral(" mais recentes") : QString());
    if (fila.Reenviaveis.isEmpty()) {
        html += QStringLiteral("<p class=\"vazio\">Nenhuma tarefa falhou ou foi limpa.</p>");
    } else {
        html += QStringLiteral("<table class=\"reenviaveis\">")
              + Cabecalho(fila.Colunas, {QStringLiteral("Último registro"), QString()}) + QStringLiteral("<tbody>");
        for (const TTarefaReenviavel& tarefa : fila.Reenviaveis)
            html += QStringLiteral("<tr>") + Celulas(tarefa.Valores) + Registro(tarefa.UltimoRegistro)
                  + Formulario(tarefa.Chave, tokenCsrf, acao) + QStringLiteral("</tr>");
        html += QStringLiteral("</tbody></table>");
    }
    return html + QStringLiteral("</section>");
}
