#include "servico/console/PaginaHistorico.h"

#include "base/Erros.h"
#include "servico/console/LayoutConsole.h"
#include "operacao/TextosCiclo.h"

#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>
#include <QUrl>

namespace {

// Every value as the console escapes it.
QString E(const QString& texto) { return Escapa(texto); }

const QStringList Desfechos = {QStringLiteral("enviado"), QStringLiteral("falhou"), QStringLiteral("ignorado"),
                               QStringLiteral("pendente"), QStringLiteral("incerto")};
// Failed, pending or uncertain: --historico --falhas.
const QString SoFalhas = QStringLiteral("falhas");

// A name or value of a form's query: "+" is a space, then %XX; UTF-8.
std::optional<QString> Decodifica(QByteArray parte)
{
    parte.replace('+', ' ');
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texto = utf8.decode(QByteArray::fromPercentEncoding(parte));
    if (utf8.hasError())
        return std::nullopt;
    return texto;
}

std::optional<QDate> LeDia(const QString& valor)
{
    const QDate dia = QDate::fromString(valor, QStringLiteral("yyyy-MM-dd"));
    if (!dia.isValid())
        return std::nullopt;
    return dia;
}

// The filters (and the page) as a query, the values encoded as a form
// would send them; the names of those that are set only.
QString Consulta(const TPedidoHistorico& pedido, qint64 antesDe, const QString& formato)
{
    QStringList partes;
    auto junta = [&partes](const char* nome, const QString& valor) {
        if (!valor.isEmpty())
            partes << QString::fromLatin1(nome) + u'=' + QString::fromLatin1(QUrl::toPercentEncoding(valor));
    };
    const TFiltroHistorico& filtro = pedido.Filtro;
    junta("chave", filtro.Chave);
    junta("desde", filtro.Desde.isValid() ? filtro.Desde.toString(QStringLiteral("yyyy-MM-dd")) : QString());
    junta("ate", filtro.Ate.isValid() ? filtro.Ate.toString(QStringLiteral("yyyy-MM-dd")) : QString());
    junta("integracao", filtro.Integracao);
    junta("desfecho", filtro.SoFalhas ? SoFalhas : filtro.Desfecho);
    junta("antes", antesDe > 0 ? QString::number(antesDe) : QString());
    junta("formato", formato);
    return partes.join(u'&');
}

QString Endereco(const QString& caminho, const QString& consulta)
{
    return consulta.isEmpty() ? caminho : caminho + u'?' + consulta;
}

void Opcao(QString& html, const QString& valor, const QString& texto, bool escolhida)
{
    html += QStringLiteral("<option value=\"%1\"%2>%3</option>")
                .arg(E(valor), escolhida ? QStringLiteral(" selected") : QString(), E(texto));
}

void Formulario(QString& html, const TDadosHistorico& dados, const QString& caminho)
{
    const TFiltroHistorico& filtro = dados.Pedido.Filtro;
    auto dia = [](const QDate& data) { return data.isValid() ? data.toString(QStringLiteral("yyyy-MM-dd")) : QString(); };
    html += QStringLiteral("<form id=\"filtros\" method=\"get\" action=\"%1\">\n").arg(E(caminho));
    html += QStringLiteral("<label>Chave <input type=\"text\" name=\"chave\" value=\"%1\" maxlength=\"%2\"></label>\n")
                .arg(E(filtro.Chave), QString::number(MaximoChave));
    html += QStringLiteral("<label>Desde <input type=\"date\" name=\"desde\" value=\"%1\"></label>\n").arg(dia(filtro.Desde));
    html += QStringLiteral("<label>Até <input type=\"date\" name=\"ate\" value=\"%1\"></label>\n").arg(dia(filtro.Ate));
    html += QStringLiteral("<label>Integração <select name=\"integracao\">");
    Opcao(html, QString(), QStringLiteral("Todas"), filtro.Integracao.isEmpty());
    QStringList integracoes = dados.Integracoes;
    if (!filtro.Integracao.isEmpty() && !integracoes.contains(filtro.Integracao))
        integracoes << filtro.Integracao;
    for (const QString& integracao : integracoes)
        Opcao(html, integracao, integracao, integracao == filtro.Integracao);
    html += QStringLiteral("</select></label>\n<label>Desfecho <select name=\"desfecho\">");
    Opcao(html, QString(), QStringLiteral("Todos"), filtro.Desfecho.isEmpty() && !filtro.SoFalhas);
    for (const QString& desfecho : Desfechos)
        Opcao(html, desfecho, desfecho, desfecho == filtro.Desfecho);
    Opcao(html, SoFalhas, QStringLiteral("falhou, pendente ou incerto"), filtro.SoFalhas);
    html += QStringLiteral("</select></label>\n<button type=\"submit\">Filtrar</button>\n</form>\n");
}

// A record's content (what was sent or received), when the journal's
// records carry one: shown under its lines, folded.
template <typename TLinha>
void Conteudo(QString& html, const TLinha& linha)
{
    if constexpr (requires { linha.Conteudo; }) {
        if (!linha.Conteudo.isEmpty())
            html += QStringLiteral("<details class=\"conteudo\"><summary>Conteúdo</summary><pre>%1</pre></details>")
                        .arg(E(linha.Conteudo));
    }
}

void Registros(QString& html, const TDadosHistorico& dados)
{
    if (dados.Linhas.isEmpty()) {
        html += QStringLiteral("<p id=\"registros\">Nenhum registro %1.</p>\n")
                    .arg(dados.Pedido.AntesDe > 0 ? QStringLiteral("mais antigo com estes filtros")
                                                  : QStringLiteral("com estes filtros"));
        return;
    }
    html += QStringLiteral("<table id=\"registros\">\n<thead><tr><th>Momento</th><th>Integração</th><th>Direção</th>"
                           "<th>Tipo</th><th>Chave</th><th>Desfecho</th><th>Linhas</th></tr></thead>\n<tbody>\n");
    for (const TLinhaHistorico& linha : dados.Linhas) {
        html += QStringLiteral("<tr id=\"r%1\" class=\"%2\"><td>%3</td><td>%4</td><td>%5</td><td>%6</td>"
                               "<td class=\"chave\">%7</td><td>%8</td><td><pre>%9</pre>")
                    .arg(QString::number(linha.Id), E(linha.Desfecho),
                         E(linha.Momento.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"))), E(linha.Integracao),
                         E(TextoDirecao(linha.Direcao)), E(linha.Tipo), E(linha.Chave), E(linha.Desfecho),
                         E(linha.Linha));
        if (!linha.Erro.isEmpty())
            html += QStringLiteral("<p class=\"erro\">%1</p>").arg(E(linha.Erro));
        Conteudo(html, linha);
        html += QStringLiteral("</td></tr>\n");
    }
    html += QStringLiteral("</tbody>\n</table>\n");
}

} // namespace

TLeituraPedidoHistorico LePedidoHistorico(const QByteArray& consulta)
{
    TLeituraPedidoHistorico leitura;
    TPedidoHistorico& pedido = leitura.Pedido;
    auto erro = [&leitura](const QString& texto) {
        leitura.Pedido = TPedidoHistorico();
        leitura.Erro = texto;
        return leitura;
    };
    QSet<QString> vistos;
    for (const QByteArray& parte : consulta.split('&')) {
        if (parte.isEmpty())
            continue;
        const qsizetype igual = parte.indexOf('=');
        const std::optional<QString> nome = Decodifica(igual < 0 ? parte : parte.left(igual));
        const std::optional<QString> valorLido = Decodifica(igual < 0 ? QByteArray() : parte.mid(igual + 1));
        if (!nome || !valorLido)
            return erro(QStringLiteral("A consulta não está em UTF-8."));
        if (vistos.contains(*nome))
            return erro(QStringLiteral("O parâmetro \"%1\" veio mais de uma vez.").arg(*nome));
        vistos.insert(*nome);
        const QString valor = valorLido->trimmed();
        if (*nome == QLatin1String("chave")) {
            if (valor.size() > MaximoChave)
                return erro(QStringLiteral("Chave: mais de %1 caracteres.").arg(MaximoChave));
            pedido.Filtro.Chave = valor;
        } else if (*nome == QLatin1String("desde") || *nome == QLatin1String("ate")) {
            if (valor.isEmpty())
                continue;
            const std::optional<QDate> dia = LeDia(valor);
            if (!dia)
                return erro(QStringLiteral("%1: \"%2\" não é um dia AAAA-MM-DD.")
                                .arg(*nome == QLatin1String("desde") ? QStringLiteral("Desde") : QStringLiteral("Até"),
                                     valor.left(MaximoChave)));
            (*nome == QLatin1String("desde") ? pedido.Filtro.Desde : pedido.Filtro.Ate) = *dia;
        } else if (*nome == QLatin1String("integracao")) {
            if (valor.size() > MaximoIntegracao)
                return erro(QStringLiteral("Integração: mais de %1 caracteres.").arg(MaximoIntegracao));
            pedido.Filtro.Integracao = valor;
        } else if (*nome == QLatin1String("desfecho")) {
            if (valor == SoFalhas)
                pedido.Filtro.SoFalhas = true;
            else if (valor.isEmpty() || Desfechos.contains(valor))
                pedido.Filtro.Desfecho = valor;
            else
                return erro(QStringLiteral("Desfecho: \"%1\" não é %2 nem %3.")
                                .arg(valor.left(MaximoChave), Desfechos.join(QStringLiteral(", ")), SoFalhas));
        } else if (*nome == QLatin1String("antes")) {
            if (valor.isEmpty())
                continue;
            bool numero = false;
            const qint64 id = valor.toLongLong(&numero);
            if (!numero || id <= 0 || valor.front() == u'+')
                return erro(QStringLiteral("Página: \"%1\" não é o número de um registro.").arg(valor.left(MaximoChave)));
            pedido.AntesDe = id;
        } else if (*nome == QLatin1String("formato")) {
            if (valor == QLatin1String("csv"))
                pedido.Formato = TFormatoHistorico::Csv;
            else if (valor == QLatin1String("json"))
                pedido.Formato = TFormatoHistorico::Json;
            else if (!valor.isEmpty())
                return erro(QStringLiteral("Formato: \"%1\" não é csv nem json.").arg(valor.left(MaximoChave)));
        } else {
            return erro(QStringLiteral("Parâmetro desconhecido: \"%1\"; esta página aceita chave, desde, ate, "
                                       "integracao, desfecho, antes e formato.")
                            .arg(nome->left(MaximoChave)));
        }
    }
    if (pedido.Filtro.Desde.isValid() && pedido.Filtro.Ate.isValid() && pedido.Filtro.Desde > pedido.Filtro.Ate)
        return erro(QStringLiteral("Desde (%1) é depois de Até (%2).")
                        .arg(pedido.Filtro.Desde.toString(QStringLiteral("yyyy-MM-dd")),
                             pedido.Filtro.Ate.toString(QStringLiteral("yyyy-MM-dd"))));
    return leitura;
}

TDadosHistorico LeHistorico(const QString& arquivo, const TPedidoHistorico& pedido)
{
    TDadosHistorico dados;
    dados.Pedido = pedido;
    if (!QFileInfo(arquivo).isFile()) {
        dados.Erro = QStringLiteral("O histórico ainda não existe: nenhum registro foi gravado.");
        return dados;
    }
    try {
        TLeituraDiario leitura(arquivo);
        dados.Integracoes = leitura.Integracoes();
        // One more than the page shows says whether there is a next page.
        dados.Linhas = leitura.Pagina(pedido.Filtro, pedido.AntesDe, RegistrosPorPaginaHistorico + 1);
        dados.HaMais = dados.Linhas.size() > RegistrosPorPaginaHistorico;
        if (dados.HaMais)
            dados.Linhas.removeLast();
    } catch (const Exception&) {
        // The reason names the file and the database's words, which a page
        // does not show.
        dados.Linhas.clear();
        dados.Erro = QStringLiteral("O histórico não pôde ser lido.");
    }
    return dados;
}

QString PaginaHistorico(const TDadosHistorico& dados, const QString& caminho, const QString& erro)
{
    QString html;
    html.reserve(128 * 1024);
    html += QStringLiteral("<section class=\"pagina-historico\">\n");
    if (!erro.isEmpty())
        html += QStringLiteral("<p id=\"erro-pedido\" class=\"erro\">%1</p>\n").arg(E(erro));
    Formulario(html, dados, caminho);
    if (!dados.Erro.isEmpty()) {
        html += QStringLiteral("<p id=\"erro-historico\" class=\"erro\">%1</p>\n</section>\n").arg(E(dados.Erro));
        return html;
    }
    if (erro.isEmpty()) {
        html += QStringLiteral("<p id=\"downloads\">Baixar tudo o que os filtros escolhem: "
                               "<a href=\"%1\" download>CSV</a> <a href=\"%2\" download>JSON</a></p>\n")
                    .arg(E(Endereco(caminho + QStringLiteral(".csv"), Consulta(dados.Pedido, 0, QString()))),
                         E(Endereco(caminho + QStringLiteral(".json"), Consulta(dados.Pedido, 0, QString()))));
        Registros(html, dados);
    }
    QStringList paginas;
    if (dados.Pedido.AntesDe > 0)
        paginas << QStringLiteral("<a id=\"primeira-pagina\" href=\"%1\">Mais novos</a>")
                       .arg(E(Endereco(caminho, Consulta(dados.Pedido, 0, QString()))));
    if (dados.HaMais && !dados.Linhas.isEmpty())
        paginas << QStringLiteral("<a id=\"proxima-pagina\" href=\"%1\">Mais antigos</a>")
                       .arg(E(Endereco(caminho, Consulta(dados.Pedido, dados.Linhas.back().Id, QString()))));
    if (!paginas.isEmpty())
        html += QStringLiteral("<nav class=\"paginas\">%1</nav>\n").arg(paginas.join(u' '));
    html += QStringLiteral("</section>\n");
    return html;
}

TDownloadHistorico DownloadHistorico(const QString& arquivo, const TPedidoHistorico& pedido)
{
    const TFormatoHistorico formato = pedido.Formato.value_or(TFormatoHistorico::Csv);
    TDownloadHistorico download;
    download.Tipo = formato == TFormatoHistorico::Json ? QByteArrayLiteral("application/json")
                                                        : QByteArrayLiteral("text/csv; charset=utf-8");
    download.NomeArquivo = formato == TFormatoHistorico::Json ? QStringLiteral("historico.json")
                                                               : QStringLiteral("historico.csv");
    TLeituraDiario leitura(arquivo);
    EscreveHistorico(leitura, pedido.Filtro, formato,
                     [&download](const QString& texto) { download.Corpo += texto.toUtf8(); });
    return download;
}
