#include "servico/console/AcoesConsole.h"

#include "monitor/Monitora.h"
#include "servico/console/LayoutConsole.h"
#include "servico/console/PaginaFila.h"
#include "servico/console/ServidorConsole.h"

#include <QCoreApplication>

#include <utility>

QString CorpoAcoes(std::optional<bool> monitorando, const QByteArray& csrf, bool comReenvio)
{
    QString estado;
    if (monitorando)
        estado = *monitorando
            ? QStringLiteral("<p>Monitorando: <strong>sim</strong>.</p>"
                             "<form method=\"post\" action=\"/acoes/pausar\" class=\"linha\">%1"
                             "<button type=\"submit\" id=\"pausar\">Pausar monitoramento</button></form>")
                  .arg(CampoCsrf(csrf))
            : QStringLiteral("<p>Monitorando: <strong>não</strong> (pausado).</p>"
                             "<form method=\"post\" action=\"/acoes/continuar\" class=\"linha\">%1"
                             "<button type=\"submit\" id=\"continuar\">Continuar monitoramento</button></form>")
                  .arg(CampoCsrf(csrf));
    QString corpo = QStringLiteral("<section class=\"acao\"><h2>Monitoramento</h2>%1</section>").arg(estado);
    corpo += QStringLiteral("<section class=\"acao\"><h2>Configuração</h2>"
                            "<form method=\"post\" action=\"/acoes/verificar\" class=\"linha\">%1"
                            "<button type=\"submit\" id=\"verificar\">Verificar configuração</button></form></section>")
                 .arg(CampoCsrf(csrf));
    if (comReenvio)
        corpo += QStringLiteral("<section class=\"acao\"><h2>Reenviar</h2>"
                                "<form method=\"post\" action=\"/acoes/reenviar\" class=\"linha\" "
                                "data-confirma=\"Reenviar esta linha da fila?\">%1"
                                "<label>ORDEM <input type=\"number\" name=\"ordem\" min=\"1\" required></label>"
                                "<button type=\"submit\">Reenviar</button></form>"
                                "<p>Só uma linha com STATUS 2 (falhou) ou 3 (limpa) volta à fila.</p></section>")
                     .arg(CampoCsrf(csrf));
    return corpo;
}

QString CorpoResultado(bool ok, const QString& mensagem)
{
    return QStringLiteral("<p class=\"%1\" id=\"resultado\">%2</p><p><a href=\"/acoes\">Voltar às ações</a></p>")
        .arg(ok ? QStringLiteral("sucesso") : QStringLiteral("erro"), Escapa(mensagem));
}

QString CorpoVerificacao(const QStringList& linhas)
{
    QString texto;
    for (const QString& linha : linhas)
        texto += Escapa(linha) + u'\n';
    return QStringLiteral("<pre class=\"linhas\" id=\"verificacao\">%1</pre><p><a href=\"/acoes\">Voltar às ações</a></p>")
        .arg(texto);
}

void TRelatorComCaptura::AdicionaLinha(const QString& linha)
{
    if (FbCapturando)
        FLinhas << linha;
    FDestino.AdicionaLinha(linha);
}

void TRelatorComCaptura::MostraErro(const QString& texto)
{
    if (FbCapturando)
        FLinhas << texto;
    FDestino.MostraErro(texto);
}

void LigaAcoesDoMonitor(TFontesConsole& fontes, TMonitora& monitora, TRelatorComCaptura& relator,
                        QList<TComandoCatalogo> catalogo)
{
    fontes.Monitorando = [&monitora] { return monitora.Monitorando(); };
    fontes.Pausa = [&monitora] { return monitora.DefineMonitorando(false); };
    fontes.Continua = [&monitora] { return monitora.DefineMonitorando(true); };
    fontes.Reenvia = [&monitora](qint64 ordem, const QString& usuario, const QString& endereco,
                                 const TFontesConsole::TFimReenvio& fim) {
        monitora.PedeReenvio(ordem, {usuario, endereco},
                             [fim](const TResultadoReenvio& resultado) { fim(resultado.Feito, resultado.Texto); });
    };
    fontes.Fila = [&monitora](const QByteArray& csrf, const TFontesConsole::TFimPagina& fim) {
        monitora.PedeFilaConsole([csrf, fim](const TFilaConsole& fila) {
            fim(PaginaFila(fila, QString::fromLatin1(csrf), QStringLiteral("/acoes/reenviar")));
        });
    };
    fontes.Verifica = [&monitora, &relator, catalogo = std::move(catalogo)]() -> QStringList {
        // The cycle goes first, as in the window: nothing is waited for.
        if (monitora.Ocupado())
            return {QStringLiteral("O monitor está ocupado (%1); verifique de novo quando terminar.")
                        .arg(monitora.Trabalho())};
        relator.Captura();
        const bool passou = monitora.VerificaConfiguracao(catalogo);
        // The lines written on the cycle's thread come to this one queued
        // on the monitor: the last ones are taken before they are read.
        QCoreApplication::sendPostedEvents(&monitora, QEvent::MetaCall);
        QStringList linhas = relator.Capturadas();
        linhas << (passou ? QStringLiteral("Verificação concluída: tudo ok.")
                          : QStringLiteral("Verificação concluída: há FALHA."));
        return linhas;
    };
}
