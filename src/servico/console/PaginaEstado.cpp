#include "servico/console/PaginaEstado.h"

#include "base/Erros.h"
#include "servico/console/LayoutConsole.h"
#include "monitor/Monitora.h"
#include "operacao/TextosCiclo.h"
#include "servico/console/GraficoRegistros.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// Every value as the console escapes it.
QString E(const QString& texto) { return Escapa(texto); }

// A cycle's outcome as a person reads it.
QString TextoDesfecho(const TCicloDiario& ciclo, bool emAndamento)
{
    if (!ciclo.Fim)
        return emAndamento ? QStringLiteral("em andamento") : QStringLiteral("interrompido");
    if (ciclo.Desfecho == Texto(TDesfechoCiclo::ComFalhas))
        return QStringLiteral("com falhas");
    if (ciclo.Desfecho == Texto(TDesfechoCiclo::Erro))
        return QStringLiteral("erro");
    return QStringLiteral("concluído");
}

QString ClasseDesfecho(const TCicloDiario& ciclo, bool emAndamento)
{
    if (!ciclo.Fim)
        return emAndamento ? QStringLiteral("andamento") : QStringLiteral("interrompido");
    return ciclo.Desfecho.isEmpty() ? Texto(TDesfechoCiclo::Concluido) : ciclo.Desfecho;
}

TFimCiclo ComoFim(const TCicloDiario& ciclo)
{
    TFimCiclo fim;
    fim.Integracao = ciclo.Integracao;
    fim.Inicio = ciclo.Inicio;
    fim.Fim = ciclo.Fim.value_or(QDateTime());
    fim.Falhas = ciclo.Falhas;
    fim.Erro = ciclo.Erro;
    fim.Conexoes = ciclo.Conexoes;
    fim.Enviados = ciclo.Enviados;
    return fim;
}

// What runs now, else when the next cycle comes: the texts of the window's
// status bar.
QString TextoProximo(const TDadosEstado& dados)
{
    if (!dados.Trabalho.isEmpty()) {
        const qint64 segundos = std::max<qint64>(0, dados.TrabalhoDesde.secsTo(dados.Agora));
        return QStringLiteral("%1 há %2 s").arg(dados.Trabalho, QString::number(segundos));
    }
    if (!dados.ProximoCiclo)
        return QStringLiteral("pausado, nada em andamento");
    const qint64 segundos = std::max<qint64>(0, (dados.Agora.msecsTo(*dados.ProximoCiclo) + 500) / 1000);
    return QStringLiteral("Próximo ciclo em %1 s (%2)").arg(QString::number(segundos), Hora(*dados.ProximoCiclo, dados.Agora));
}

void Saude(QString& html, const TDadosEstado& dados)
{
    html += QStringLiteral("<h2>Saúde</h2>\n");
    if (dados.Saude.Saudavel)
        html += QStringLiteral("<p id=\"saude\" class=\"saude ok\">Monitorando, sem falhas.</p>\n");
    else
        html += QStringLiteral("<p id=\"saude\" class=\"saude falha\">Falha: %1</p>\n").arg(E(dados.Saude.Motivo));
    if (dados.CicloAtual)
        html += QStringLiteral("<p id=\"ciclo-atual\">Ciclo em andamento (%1) desde %2</p>\n")
                    .arg(E(dados.CicloAtual->Integracao), E(Hora(dados.CicloAtual->Inicio, dados.Agora)));
    html += QStringLiteral("<p id=\"ultimo-ciclo\">%1</p>\n")
                .arg(dados.UltimoCiclo ? E(QStringLiteral("Último ciclo (%1): %2")
                                               .arg(dados.UltimoCiclo->Integracao, Resumo(*dados.UltimoCiclo, dados.Agora)))
                                       : QStringLiteral("Nenhum ciclo ainda."));
    html += QStringLiteral("<p id=\"proximo-ciclo\">%1</p>\n").arg(E(TextoProximo(dados)));
}

void Conexoes(QString& html, const TDadosEstado& dados)
{
    html += QStringLiteral("<h2>Conexões</h2>\n");
    if (!dados.UltimoCiclo || dados.UltimoCiclo->Conexoes.isEmpty()) {
        html += QStringLiteral("<p id=\"conexoes\">Nenhuma conexão conhecida antes do primeiro ciclo.</p>\n");
        return;
    }
    html += QStringLiteral("<table id=\"conexoes\">\n<thead><tr><th>Conexão</th><th>Componente</th><th>Estado</th></tr></thead>\n<tbody>\n");
    for (const TEstadoConexao& conexao : dados.UltimoCiclo->Conexoes) {
        const QString nome = dados.NomesConexoes.value(conexao.Nome, conexao.Nome);
        html += QStringLiteral("<tr class=\"%1\"><td>%2</td><td>%3</td><td>%4 desde %5</td></tr>\n")
                    .arg(conexao.Ativa ? QStringLiteral("ativa") : QStringLiteral("inativa"), E(nome), E(conexao.Nome),
                         conexao.Ativa ? QStringLiteral("ativa") : QStringLiteral("inativa"),
                         E(Hora(conexao.Desde, dados.Agora)));
    }
    html += QStringLiteral("</tbody>\n</table>\n");
}

void Ciclos(QString& html, const TDadosEstado& dados)
{
    html += QStringLiteral("<h2>Últimos ciclos</h2>\n");
    if (!dados.ErroDiario.isEmpty()) {
        html += QStringLiteral("<p id=\"ciclos\" class=\"erro\">%1</p>\n").arg(E(dados.ErroDiario));
        return;
    }
    if (dados.Ciclos.isEmpty()) {
        html += QStringLiteral("<p id=\"ciclos\">Nenhum ciclo no histórico.</p>\n");
        return;
    }
    html += QStringLiteral("<table id=\"ciclos\">\n<thead><tr><th>Início</th><th>Integração</th><th>Desfecho</th>"
                           "<th>Resumo</th></tr></thead>\n<tbody>\n");
    for (qsizetype i = 0; i < dados.Ciclos.size(); ++i) {
        const TCicloDiario& ciclo = dados.Ciclos[i];
        // Only the newest cycle can still be running; an older one without
        // an end was cut short (the monitor was ended in the middle of it).
        const bool emAndamento = i == 0 && dados.CicloAtual.has_value();
        html += QStringLiteral("<tr class=\"%1\"><td>%2</td><td>%3</td><td>%4</td><td>%5</td></tr>\n")
                    .arg(E(ClasseDesfecho(ciclo, emAndamento)), E(Hora(ciclo.Inicio, dados.Agora)), E(ciclo.Integracao),
                         E(TextoDesfecho(ciclo, emAndamento)),
                         ciclo.Fim ? E(Resumo(ComoFim(ciclo), dados.Agora)) : QString());
    }
    html += QStringLiteral("</tbody>\n</table>\n");
}

void Graficos(QString& html, const TDadosEstado& dados)
{
    html += QStringLiteral("<h2>Registros por hora</h2>\n");
    if (!dados.ErroDiario.isEmpty())
        return;
    const QList<TContagemHora> dia = dados.Horas.mid(std::max<qsizetype>(0, dados.Horas.size() - 24));
    html += QStringLiteral("<figure id=\"grafico-24h\">\n%1\n<figcaption>Últimas 24 horas</figcaption>\n</figure>\n")
                .arg(GraficoRegistros(dia, QStringLiteral("Registros por hora nas últimas 24 horas")));
    html += QStringLiteral("<figure id=\"grafico-7d\">\n%1\n<figcaption>Últimos 7 dias</figcaption>\n</figure>\n")
                .arg(GraficoRegistros(dados.Horas, QStringLiteral("Registros por hora nos últimos 7 dias")));
}

} // namespace

QString PaginaEstado(const TDadosEstado& dados)
{
    QString html;
    html.reserve(64 * 1024);
    html += QStringLiteral("<section class=\"pagina-estado\">\n");
    Saude(html, dados);
    Conexoes(html, dados);
    Ciclos(html, dados);
    Graficos(html, dados);
    html += QStringLiteral("</section>\n");
    return html;
}

void LeDiarioEstado(const QString& arquivo, TDadosEstado& dados)
{
    // The hours end with the current one, whole hours of local time.
    QDateTime fim = dados.Agora.toLocalTime();
    fim.setTime(QTime(fim.time().hour(), 0));
    fim = fim.addSecs(3600);
    if (!QFileInfo(arquivo).isFile()) {
        dados.ErroDiario = QStringLiteral("O histórico ainda não existe: nenhum ciclo foi gravado.");
        return;
    }
    try {
        TLeituraDiario leitura(arquivo);
        dados.Ciclos = leitura.Ciclos(CiclosNaPaginaEstado);
        dados.Horas = leitura.RegistrosPorHora(fim, HorasNaPaginaEstado);
    } catch (const Exception&) {
        // The reason names the file and the database's words, which a page
        // does not show; the log and `quelix --estado` say them.
        dados.ErroDiario = QStringLiteral("O histórico não pôde ser lido.");
    }
}

TDadosEstado DadosEstado(const TMonitora& monitora, const QDateTime& agora)
{
    TDadosEstado dados;
    dados.Agora = agora;
    dados.Saude = monitora.Saude(agora);
    dados.Parametros = monitora.ParametrosSaude();
    const TEstadoOperacao::TInstantaneo estado = monitora.Estado().Instantaneo();
    dados.UltimoCiclo = estado.UltimoCiclo;
    dados.CicloAtual = estado.CicloAtual;
    dados.Trabalho = monitora.Trabalho();
    dados.TrabalhoDesde = monitora.TrabalhoDesde();
    if (monitora.TimerAtivo())
        dados.ProximoCiclo = agora.addMSecs(std::max(0, monitora.Timer1().remainingTime()));
    if (dados.UltimoCiclo)
        for (const TEstadoConexao& conexao : dados.UltimoCiclo->Conexoes)
            dados.NomesConexoes.insert(conexao.Nome, monitora.NomeDaConexao(conexao.Nome));
    LeDiarioEstado(monitora.ArquivoDiario(), dados);
    return dados;
}
