// The entry of quelix: the window by default; --ciclo, --sem-janela,
// --verifica and --simula run the same monitor without one.
#include "app/Integracoes.h"
#include "app/Versao.h"
#include "base/UsuarioSistema.h"
#include "dblayer/GravaLinhaLog.h"
#include "integracao/Configuracao.h"
#include "janela/FmMonitora.h"
#include "janela/Traducoes.h"
#include "operacao/ChavesMonitor.h"
#include "operacao/Diario.h"
#include "operacao/ObservadorDiario.h"
#include "operacao/RegraSaude.h"
#include "servico/ConsultaHistorico.h"
#include "servico/RelatorConsole.h"
#include "servico/SemJanela.h"
#include "servico/SinaisDeParada.h"
#include "servico/Supervisao.h"
#include "servico/TravaPasta.h"
#include "servico/console/AcoesConsole.h"
#include "servico/console/PaginasDiario.h"
#include "servico/console/ServidorConsole.h"
#include "servico/console/UsuarioTerminal.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMessageBox>
#include <QStyle>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

enum class TModo { Janela, Ciclo, SemJanela, Verifica, Simula, Historico, Estado, UsuarioConsole, Reenvia };

struct TOpcoes {
    TModo Modo = TModo::Janela;
    TFiltroHistorico Filtro;
    TFormatoHistorico Formato = TFormatoHistorico::Texto;
    qint64 Ordem = 0;  // --reenvia
    // The folder of QX.ini, Logs/ and the lock file; empty for the
    // executable's own.
    QString Pasta;
    QString UsuarioConsole;  // of --usuario-console
};

// Which application object to make is decided before the options are read
// strictly. The window needs a display; --help, the modes without a window
// and a wrong option do not. A command line of the window's toolkit alone
// (-platform offscreen, -style fusion...) opens the window, which takes
// those options out of it; --pasta, which the window also takes, keeps it.
bool SemTela(int argc, char** argv)
{
    static const QByteArrayList opcoesDaJanela = {
        "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-style", "-stylesheet",
        "-session", "-display", "-geometry", "-qwindowgeometry", "-qwindowtitle", "-reverse",
        "--pasta", "-pasta"};
    for (int i = 1; i < argc; ++i) {
        const QByteArray opcao = QByteArray(argv[i]).split('=').front();
        if (!opcoesDaJanela.contains(opcao))
            return true;
        if (!QByteArray(argv[i]).contains('=') && opcao != "-reverse")
            ++i;  // its value
    }
    return false;
}

// The folder --pasta names, absolute, so that every message names the same
// place whatever the working directory; empty when it is not a folder.
QString PastaDaOpcao(const QString& valor)
{
    const QFileInfo pasta(valor);
    return pasta.isDir() ? QDir::cleanPath(pasta.absoluteFilePath()) : QString();
}

struct TOpcoesHistorico {
    const QCommandLineOption &chave, &desde, &ate, &falhas, &formato, &conteudo;
};

// A day as --desde and --ate take it; false (said) when it is not one.
bool LeDia(const QCommandLineParser& parser, const QCommandLineOption& opcao, QDate& dia)
{
    if (!parser.isSet(opcao))
        return true;
    dia = QDate::fromString(parser.value(opcao), Qt::ISODate);
    if (dia.isValid())
        return true;
    std::fprintf(stderr, "quelix: --%s: \"%s\" não é um dia AAAA-MM-DD\n", qPrintable(opcao.names().front()),
                 qPrintable(parser.value(opcao)));
    return false;
}

int LeFiltroHistorico(const QCommandLineParser& parser, TOpcoes& opcoes, const TOpcoesHistorico& o)
{
    opcoes.Filtro.Chave = parser.value(o.chave);
    opcoes.Filtro.SoFalhas = parser.isSet(o.falhas);
    if (!LeDia(parser, o.desde, opcoes.Filtro.Desde) || !LeDia(parser, o.ate, opcoes.Filtro.Ate))
        return 2;
    const QString formato = parser.isSet(o.formato) ? parser.value(o.formato) : QStringLiteral("texto");
    static const QMap<QString, TFormatoHistorico> formatos = {{QStringLiteral("texto"), TFormatoHistorico::Texto},
                                                              {QStringLiteral("csv"), TFormatoHistorico::Csv},
                                                              {QStringLiteral("json"), TFormatoHistorico::Json}};
    if (!formatos.contains(formato)) {
        std::fprintf(stderr, "quelix: --formato: \"%s\" não é texto, csv nem json\n", qPrintable(formato));
        return 2;
    }
    opcoes.Formato = formatos.value(formato);
    if (parser.isSet(o.conteudo)) {
        if (parser.isSet(o.formato)) {
            std::fputs("quelix: use --conteudo ou --formato, não os dois\n", stderr);
            return 2;
        }
        opcoes.Formato = TFormatoHistorico::Conteudo;
    }
    return -1;
}

// Reads the options of the application object's command line; -1 to go on,
// or the exit status of a run that ends here (help, version, a bad option).
int LeOpcoes(TOpcoes& opcoes)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Monitor de integração da tinturaria. Sem opção, abre a janela e monitora a cada 59 segundos "
        "enquanto \"Monitorando\" está marcado.\n"
        "A configuração é lida do QX.ini ao lado do executável, ou da pasta que --pasta indica.\n\n"
        "Uma linha de comando errada termina com status 2."));
    const QCommandLineOption ciclo(QStringLiteral("ciclo"),
        QStringLiteral("Sem janela: inicia, roda um ciclo do modelo configurado e sai; as linhas do log vão "
                       "para a saída padrão, as mensagens para a saída de erro, precedidas de \"Quelix: \" "
                       "(status 0: ciclo concluído; 1: erro no início ou no ciclo; 3: ciclo concluído com "
                       "registros que falharam e esperam o próximo ciclo)."));
    const QCommandLineOption semJanela(QStringLiteral("sem-janela"),
        QStringLiteral("Sem janela: monitora a cada 59 segundos até SIGINT ou SIGTERM; um erro num ciclo "
                       "vai para a saída de erro e para o log do dia, e o monitoramento continua. O sinal "
                       "deixa o ciclo em andamento terminar; se uma chamada não volta, o processo termina "
                       "8 segundos depois do sinal mesmo assim, com status 128 + o sinal."));
    const QCommandLineOption pasta(QStringLiteral("pasta"),
        QStringLiteral("A pasta do QX.ini, dos Logs/ e da trava quelix.lock (sem ela, a pasta do executável)."),
        QStringLiteral("PASTA"));
    const QCommandLineOption versao(QStringLiteral("versao"), QStringLiteral("Mostra a versão e o commit e sai."));
    const QCommandLineOption verifica(QStringLiteral("verifica"),
        QStringLiteral("Sem janela: confere o QX.ini do modelo ativo com os bancos e serviços (conexões, "
                       "comandos preparados sem rodar, índices, serviços, Logs/), uma linha por verificação; "
                       "não grava em banco nenhum (status 0: tudo ok; 1: alguma FALHA)."));
    const QCommandLineOption simula(QStringLiteral("simula"),
        QStringLiteral("Sem janela: roda um ciclo como --ciclo e mostra o que ele gravaria e enviaria, sem "
                       "confirmar nada: ao fim, tudo é desfeito em cada banco; nenhum serviço é chamado "
                       "(o status de --ciclo)."));
    const QCommandLineOption historico(QStringLiteral("historico"),
        QStringLiteral("Mostra os registros do histórico (Logs/historico.sqlite), do mais novo ao mais antigo, "
                       "mesmo com um monitor rodando na pasta."));
    const QCommandLineOption chave(QStringLiteral("chave"), QStringLiteral("Com --historico: só registros cuja chave contém X."),
                                   QStringLiteral("X"));
    const QCommandLineOption desde(QStringLiteral("desde"), QStringLiteral("Com --historico: a partir desse dia."),
                                   QStringLiteral("AAAA-MM-DD"));
    const QCommandLineOption ate(QStringLiteral("ate"), QStringLiteral("Com --historico: até esse dia, inclusive."),
                                 QStringLiteral("AAAA-MM-DD"));
    const QCommandLineOption falhas(QStringLiteral("falhas"),
        QStringLiteral("Com --historico: só registros que falharam, ficaram pendentes ou têm envio incerto."));
    const QCommandLineOption formato(QStringLiteral("formato"), QStringLiteral("Com --historico: texto (padrão), csv ou json."),
                                     QStringLiteral("texto|csv|json"));
    const QCommandLineOption conteudo(QStringLiteral("conteudo"),
        QStringLiteral("Com --historico: mostra, abaixo de cada registro, o que ele enviou ou recebeu (a linha "
                       "gravada na máquina, o registro do EAS, o envelope SOAP com o status HTTP e a falha)."));
    const QCommandLineOption estado(QStringLiteral("estado"),
        QStringLiteral("Mostra o último ciclo, o próximo e as conexões, pelo histórico (status 0: monitorando; "
                       "1: monitoramento parado ou com erro; 2: sem histórico)."));
    const QCommandLineOption usuarioConsole(QStringLiteral("usuario-console"),
        QStringLiteral("Cria o usuário NOME do console web, ou troca a sua senha: pede a senha duas vezes no "
                       "terminal, sem mostrá-la, e grava só o seu hash em ConsoleUsuarios.ini, ao lado do QX.ini."),
        QStringLiteral("NOME"));
    const QCommandLineOption reenvia(QStringLiteral("reenvia"),
        QStringLiteral("Sem janela: volta para a fila (STATUS 0) a tarefa Vapora dessa ORDEM que falhou (STATUS 2) "
                       "ou foi limpa (STATUS 3), para que o próximo ciclo a envie; o histórico guarda quem pediu. "
                       "Funciona com um monitor rodando na pasta (status 0: reenviada; 1: não)."),
        QStringLiteral("ORDEM"));
    parser.addOptions({ciclo, semJanela, verifica, simula, pasta, versao, historico, chave, desde, ate, falhas, formato,
                       conteudo, estado, usuarioConsole, reenvia});
    const QCommandLineOption ajuda = parser.addHelpOption();

    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString erro = parser.errorText().isEmpty()
            ? QStringLiteral("argumento inesperado: ") + parser.positionalArguments().join(u' ')
            : parser.errorText();
        std::fprintf(stderr, "quelix: %s\n%s", qPrintable(erro), qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(ajuda)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(versao)) {
        std::printf("quelix %s (commit %s)\n", qPrintable(VersaoQuelix()), qPrintable(CommitQuelix()));
        return 0;
    }
    if (int(parser.isSet(ciclo)) + int(parser.isSet(semJanela)) + int(parser.isSet(verifica)) + int(parser.isSet(simula))
            + int(parser.isSet(historico)) + int(parser.isSet(estado)) + int(parser.isSet(usuarioConsole))
            + int(parser.isSet(reenvia)) > 1) {
        std::fputs("quelix: use só um de --ciclo, --sem-janela, --verifica, --simula, --historico, --estado, "
                   "--usuario-console e --reenvia\n", stderr);
        return 2;
    }
    if (parser.isSet(pasta)) {
        opcoes.Pasta = PastaDaOpcao(parser.value(pasta));
        if (opcoes.Pasta.isEmpty()) {
            std::fprintf(stderr, "quelix: --pasta: \"%s\" não é uma pasta\n", qPrintable(parser.value(pasta)));
            return 2;
        }
    }
    opcoes.Modo = parser.isSet(ciclo)     ? TModo::Ciclo
                : parser.isSet(semJanela) ? TModo::SemJanela
                : parser.isSet(verifica)  ? TModo::Verifica
                : parser.isSet(simula)    ? TModo::Simula
                : parser.isSet(historico) ? TModo::Historico
                : parser.isSet(estado)    ? TModo::Estado
                : parser.isSet(usuarioConsole) ? TModo::UsuarioConsole
                : parser.isSet(reenvia)   ? TModo::Reenvia
                                          : TModo::Janela;
    opcoes.UsuarioConsole = parser.value(usuarioConsole);
    for (const QCommandLineOption* deHistorico : {&chave, &desde, &ate, &falhas, &formato, &conteudo})
        if (parser.isSet(*deHistorico) && opcoes.Modo != TModo::Historico) {
            std::fprintf(stderr, "quelix: --%s só vale com --historico\n", qPrintable(deHistorico->names().front()));
            return 2;
        }
    if (opcoes.Modo == TModo::Historico)
        return LeFiltroHistorico(parser, opcoes, {chave, desde, ate, falhas, formato, conteudo});
    if (opcoes.Modo == TModo::Reenvia) {
        bool numero = false;
        opcoes.Ordem = parser.value(reenvia).trimmed().toLongLong(&numero);
        if (!numero || opcoes.Ordem <= 0) {
            std::fprintf(stderr, "quelix: --reenvia: \"%s\" não é uma ORDEM (um número maior que zero)\n",
                         qPrintable(parser.value(reenvia)));
            return 2;
        }
    }
    return -1;
}

// Everything the monitor keeps in its folder follows --pasta: QX.ini (given
// to the monitor), the lock file, and the daily logs of Logs/.
QString PastaDeTrabalho(const TOpcoes& opcoes)
{
    const QString pasta = TConfiguracao(opcoes.Pasta).Pasta();
    DefinePastaDoExecutavel(pasta);
    return pasta;
}

// Tests and benchmarks that drive the executable (with or without the
// window) shorten the 59 seconds between cycles with QUELIX_INTERVALO_MS;
// nothing else reads it. When it is set, the monitor says so at start-up.
void AplicaIntervaloDeTeste(TMonitora& monitora)
{
    if (qEnvironmentVariableIsSet("QUELIX_INTERVALO_MS"))
        monitora.DefineIntervaloDoAmbiente(qEnvironmentVariable("QUELIX_INTERVALO_MS"));
}

// One monitor per folder: the second one says who holds it and ends.
bool ObtemPasta(TTravaPasta& trava, bool comJanela)
{
    if (trava.Obtem())
        return true;
    std::fprintf(stderr, "Quelix: %s\n", qPrintable(trava.Motivo()));
    if (comJanela)
        QMessageBox::critical(nullptr, QStringLiteral("Quelix"), trava.Motivo());
    return false;
}

// The statements the integration tests saw the system send, built into the
// executable from the catalogue committed beside the code.
QList<TComandoCatalogo> CatalogoEmbutido()
{
    QFile arquivo(QStringLiteral(":/ComandosEnviados.jsonl"));
    if (!arquivo.open(QIODevice::ReadOnly))
        throw std::runtime_error("o catálogo de comandos não está no executável");
    return LeCatalogoComandos(arquivo.readAll());
}

// --verifica checks the folder's lock as one of its lines, and goes on
// without it: it writes nothing.
int Verifica(const TOpcoes& opcoes)
{
    TTravaPasta trava(PastaDeTrabalho(opcoes));
    const QString ocupada = trava.Obtem() ? QString() : trava.Motivo();
    TRelatorConsole relator;
    TMonitora monitora(relator, Integracoes(), opcoes.Pasta);
    return ExecutaVerificacao(monitora, relator, CatalogoEmbutido(), ocupada, TConfiguracao(opcoes.Pasta));
}

int ExecutaSemTela(int argc, char** argv)
{
    QCoreApplication aplicacao(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quelix"));
    // The parser's own texts (Uso:, Opções:) in the language of the rest;
    // without the translations installed they stay in English.
    CarregaTraducoesQt(aplicacao);
    TOpcoes opcoes;
    if (const int status = LeOpcoes(opcoes); status >= 0)
        return status;
    if (opcoes.Modo == TModo::Verifica)
        return Verifica(opcoes);
    if (opcoes.Modo == TModo::UsuarioConsole)
        return ExecutaUsuarioConsole(PastaDeTrabalho(opcoes), opcoes.UsuarioConsole);
    // The journal is read beside a monitor that may be running: no lock.
    if (opcoes.Modo == TModo::Historico)
        return ExecutaHistorico(TDiario::Arquivo(PastaDeTrabalho(opcoes)), opcoes.Filtro, opcoes.Formato);
    if (opcoes.Modo == TModo::Estado)
        return ExecutaEstado(TDiario::Arquivo(PastaDeTrabalho(opcoes)),
                             qint64(LeInteiroMonitor(TConfiguracao(opcoes.Pasta), QStringLiteral("LimiteCicloSegundos"),
                                                     LimiteCicloPadraoSegundos, {}, {}))
                                 * 1000);
    // A resend goes beside a monitor that may be running: no lock either.
    if (opcoes.Modo == TModo::Reenvia) {
        PastaDeTrabalho(opcoes);
        TRelatorConsole relator;
        TObservadorDiario diario(TConfiguracao(opcoes.Pasta), [&relator](const QString& linha) { relator.AdicionaLinha(linha); });
        TMonitora monitora(relator, Integracoes(), opcoes.Pasta);
        monitora.AdicionaObservador(&diario);
        return ExecutaReenvio(monitora, relator, opcoes.Ordem, {UsuarioDoSistema(), QStringLiteral("linha de comando")});
    }
    TTravaPasta trava(PastaDeTrabalho(opcoes));
    if (!ObtemPasta(trava, false))
        return 1;
    TRelatorConsole console;
    // The lines of a "Verificar configuração" asked from the web console
    // are shown there too.
    TRelatorComCaptura relator(console);
    // The journal outlives the monitor, which tells it of its cycles.
    TObservadorDiario diario(TConfiguracao(opcoes.Pasta), [&relator](const QString& linha) { relator.AdicionaLinha(linha); });
    TMonitora monitora(relator, Integracoes(), opcoes.Pasta);
    monitora.AdicionaObservador(&diario);
    AplicaIntervaloDeTeste(monitora);
    if (opcoes.Modo == TModo::Ciclo)
        return int(ExecutaUmCiclo(monitora));
    if (opcoes.Modo == TModo::Simula)
        return int(ExecutaSimulacao(monitora));
    TSupervisao supervisao(monitora, relator, TConfiguracao(opcoes.Pasta));
    TFontesConsole fontes;
    LigaAcoesDoMonitor(fontes, monitora, relator, CatalogoEmbutido());
    LigaPaginasDoDiario(fontes, monitora);
    const auto servidorConsole = TServidorConsole::Inicia(TConfiguracao(opcoes.Pasta), std::move(fontes), relator);
    monitora.AnotaExecucao();
    return ExecutaSemJanela(monitora, supervisao);
}

int ExecutaComJanela(int argc, char** argv)
{
    QApplication aplicacao(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quelix"));
    QApplication::setWindowIcon(aplicacao.style()->standardIcon(QStyle::SP_ComputerIcon));
    if (!CarregaTraducoesQt(aplicacao))
        std::fputs("Quelix: as traduções do Qt (pacote qt6-translations-l10n) não foram encontradas; "
                   "os botões do Qt ficam em inglês.\n", stderr);
    TOpcoes opcoes;
    if (const int status = LeOpcoes(opcoes); status >= 0)
        return status;
    TTravaPasta trava(PastaDeTrabalho(opcoes));
    if (!ObtemPasta(trava, true))
        return 1;
    // The window's reporter, with the lines of a "Verificar configuração"
    // asked from the web console kept for it.
    std::unique_ptr<TRelatorComCaptura> relatorDaJanela;
    TFmMonitora FmMonitora([&opcoes, &relatorDaJanela](TRelator& relator) {
        relatorDaJanela = std::make_unique<TRelatorComCaptura>(relator);
        auto monitora = std::make_unique<TMonitora>(*relatorDaJanela, Integracoes(), opcoes.Pasta);
        AplicaIntervaloDeTeste(*monitora);
        return monitora;
    });
    FmMonitora.Monitora().AnotaExecucao();
    FmMonitora.DefineCatalogoComandos(CatalogoEmbutido());
    // The window's cycles are watched as the service's are ([Monitor] Metricas),
    // and its console is the service's too ([Monitor] Console).
    TSupervisao supervisao(FmMonitora.Monitora(), FmMonitora, TConfiguracao(opcoes.Pasta));
    TFontesConsole fontes;
    LigaAcoesDoMonitor(fontes, FmMonitora.Monitora(), *relatorDaJanela, CatalogoEmbutido());
    LigaPaginasDoDiario(fontes, FmMonitora.Monitora());
    const auto servidorConsole = TServidorConsole::Inicia(TConfiguracao(opcoes.Pasta), std::move(fontes), FmMonitora);
    supervisao.InicioConcluido();
    // SIGINT and SIGTERM close the window, with its ordinary shut-down.
    const auto aviso = AvisaParadaNoLaco([&FmMonitora] { FmMonitora.close(); });
    FmMonitora.show();
    const int status = QApplication::exec();
    supervisao.Encerrando();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    BloqueiaSinaisDeParada();
    try {
        return SemTela(argc, argv) ? ExecutaSemTela(argc, argv) : ExecutaComJanela(argc, argv);
    } catch (const std::exception& e) {
        // What start-up refuses (a registration of the composition root, say).
        std::fprintf(stderr, "Quelix: %s\n", e.what());
        return 1;
    }
}
