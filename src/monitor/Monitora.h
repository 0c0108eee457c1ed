#pragma once

#include "dblayer/KoDatabase.h"
#include "dblayer/KoTable.h"
#include "integracao/Configuracao.h"
#include "integracao/Integracao.h"
#include "integracao/Relator.h"
#include "monitor/comissionamento/CatalogoComandos.h"
#include "monitor/LeitorFila.h"
#include "monitor/ModeloFila.h"
#include "operacao/EstadoOperacao.h"
#include "operacao/ObservadorCiclo.h"
#include "operacao/RegraSaude.h"
#include "monitor/RelatorDoCiclo.h"
#include "monitor/RelatorEntreThreads.h"
#include "monitor/ThreadTrabalho.h"
#include "monitor/VigiaChamadas.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

class TLeitorFila;
class TNucleoCiclo;

// Who asked for an action on a record, as the journal keeps it: the user
// (of the console, or of the system for the window and the command line)
// and where from (the client's address, "janela", "linha de comando").
struct TAutorAcao {
    QString Usuario;
    QString Endereco;
};

// The monitor core: everything the main window does, without the window.
// It holds the state of the window's controls (the type selector,
// "Monitorando", the visibility of "Limpar fila"), the polling timer and the
// rows of the queue tab, and runs start-up, cycles, "Limpar fila" and
// shut-down on the cycle's thread (TThreadTrabalho), which owns the ERP
// connection and the integrations. The queue tab is read on a thread of its
// own with a connection of its own (TLeitorFila). It knows the integrations
// only through TIntegracao.
//
// The event handlers are called on the thread the core was made on (the
// window's) and never wait on a database there. Each returns when its work
// is done, handling that thread's events meanwhile, so the window stays
// responsive during a cycle; the queue tab's reading is only posted, and its
// rows are shown when they arrive. While the cycle's thread works, a handler
// that would start work refuses it or defers it to the work's end.
class TMonitora : public QObject {
    Q_OBJECT
public:
    // Interval of Timer1: a cycle starts 59 s after the end of the previous one.
    static constexpr int IntervaloTimer = IntervaloCicloPadraoMs;

    // What polling does after an error escaped a cycle: the window stops
    // (and unchecks "Monitorando"); the service goes on 59 s later.
    enum class TAposErro { Para, Continua };

    // `pastaIni` is the folder of QX.ini; empty for the executable's folder.
    TMonitora(TRelator& relator, const TFabricasIntegracao& fabricas, const QString& pastaIni = {});
    ~TMonitora() override;
    TMonitora(const TMonitora&) = delete;
    TMonitora& operator=(const TMonitora&) = delete;

    // The items of the type selector: the registered integrations by index.
    struct TItemSeletor {
        int Indice;
        QString Legenda;
    };
    const QList<TItemSeletor>& ItensSeletor() const { return FItens; }

    void DefineAposErro(TAposErro aposErro) { FAposErro = aposErro; }

    // What the window's events ask of the core (start-up, a tick of Timer1,
    // the type selector, "Monitorando", "Limpar fila", the queue tab, the
    // close). Each runs under the application's error guard: an error that
    // escapes is shown in the standard error box. They return false when an
    // error escaped.
    bool Inicia();
    bool ExecutaCiclo();
    bool SelecionaTipo(int indice);
    bool DefineMonitorando(bool marcado);
    bool LimpaFila();
    bool AtualizaTabela();
    bool Encerra();
    // "Verificar configuração" (and quelix --verifica after start-up): the
    // checks of VerificaConfiguracao on the cycle's thread, one log line
    // each; true when all passed.
    bool VerificaConfiguracao(const QList<TComandoCatalogo>& catalogo);
    // quelix --simula: one cycle of the selected type as ExecutaCiclo runs
    // it, simulated (TNucleoCiclo::Simula); false when an error escaped.
    bool SimulaCiclo();

    // For a monitor that polls until it is stopped (the window, quelix
    // --sem-janela): the observers are told that its run begins now, and
    // Encerra tells them of its clean stop, so that the journal has quelix
    // --estado say it stopped rather than that its next cycle is due.
    void AnotaExecucao();

    // State of the window's controls.
    int IndiceTipo() const { return FIndiceTipo; }
    bool Monitorando() const { return FbMonitorando; }
    bool LimparVisivel() const { return FbLimparVisivel; }
    QTimer& Timer1() { return FTimer1; }
    const QTimer& Timer1() const { return FTimer1; }
    // The interval between cycles that the environment asks for instead of
    // the 59 seconds (QUELIX_INTERVALO_MS, as the entry read it): applied
    // when it is a positive number of milliseconds, and said at start-up
    // either way, so that a site never runs on a changed interval unawares.
    void DefineIntervaloDoAmbiente(const QString& valor);
    // Safe to read from the cycle's thread too.
    bool TimerAtivo() const { return FbTimerAtivo; }
    // True while the cycle's thread works (a cycle, start-up, "Limpar fila"):
    // the controls that would touch the database wait for it.
    bool Ocupado() const { return FOcupacoes > 0; }
    // What the monitor is busy with for the window ("Ciclo em andamento",
    // "Verificando a configuração", "Limpando a fila"...) and since when;
    // empty when nothing runs.
    const QString& Trabalho() const { return FTrabalho; }
    const QDateTime& TrabalhoDesde() const { return FTrabalhoDesde; }
    // The queue tab is shown: its grid is read again after each cycle and
    // after "Limpar fila", as the rows it lists change.
    void DefineTabelaVisivel(bool visivel) { FbTabelaVisivel = visivel; }
    // Records that failed in the last cycle.
    int FalhasNoCiclo() const { return FFalhasNoCiclo; }
    // How the last cycle ended, with each of its connections and since when
    // it has been in that state; none before the first cycle.
    std::optional<TFimCiclo> UltimoCiclo() const { return FEstado.Instantaneo().UltimoCiclo; }
    // The counters and state of the cycles, as the site's monitoring reads
    // them.
    const TEstadoOperacao& Estado() const { return FEstado; }
    // Whether the monitor is doing its work (the one rule, AvaliaSaude):
    // polling on, the cycles in time and within [Monitor] LimiteCicloSegundos
    // (default 1800), no call waiting past its limit.
    TParametrosSaude ParametrosSaude() const;
    TSaude Saude(const QDateTime& agora = QDateTime::currentDateTime()) const;
    // The selector index of the integration start-up connected (the model
    // QX.ini names); -1 when none was.
    int IndiceIniciado() const { return FIndiceIniciado; }
    // A connection as a person knows it: "ERP" (KoDatabase1), "Fila do ERP"
    // (the queue tab's reading of it), or the caption of the machine type
    // start-up connected; the component's name when it is none of these.
    QString NomeDaConexao(const QString& componente) const;

    // The ERP connection and the integrations live on the cycle's thread:
    // from here read only their settings and Connected(), between handlers.
    TKoDatabase& KoDatabase1();
    TIntegracao* Integracao(int indice) const;
    // Runs work on the cycle's thread and returns when it is done.
    void NoCiclo(const std::function<void()>& trabalho);

    // "Reenviar" the queue row of the selected integration with that key
    // (Vapora: ORDEM, STATUS 2 or 3 back to 0). Posted to the cycle's
    // thread, after a cycle in progress, and answered here through
    // `resposta`; a row that was resent is said in the log and kept in the
    // journal with `autor`. Never waits on the database here.
    void PedeReenvio(qint64 ordem, const TAutorAcao& autor, std::function<void(const TResultadoReenvio&)> resposta);

    // The console's queue page of the selected integration: its pending rows
    // and up to MaximoReenviaveisConsole rows that can be resent, with their
    // last journal records, read on the queue's thread and answered here.
    // An integration without such a queue answers with no caption; a queue
    // that cannot be read, with its error.
    static constexpr int MaximoReenviaveisConsole = 200;
    void PedeFilaConsole(std::function<void(const TFilaConsole&)> resposta);

    // The rows the queue tab's grid shows: the last reading that arrived.
    TModeloFila& ModeloFila() { return FModeloFila; }
    // True from a tab switch's request until its rows (or its error) arrive.
    bool LendoFila() const { return FbLendoFila; }
    // The queue table and the connection of its own it is read through. They
    // belong to the queue's thread: look at them from here only while no
    // reading runs (LendoFila() false).
    TKoTable& TbFila();
    TKoDatabase& KoDatabaseFila();

    // Called after every change of the state above, so a window can show it.
    std::function<void()> EstadoMudou;

    // Told of the start and the end of every polling cycle, of each record,
    // of the run and of the calls waiting past their limits, besides the
    // core's own counters. Whoever builds the monitor adds its observers
    // (the journal, TObservadorDiario, among them) before the first cycle
    // and removes them after the last, on the monitor's thread.
    void AdicionaObservador(TObservadorCiclo* observador);
    void RemoveObservador(TObservadorCiclo* observador);

    // QX.ini of the monitor's folder.
    const TConfiguracao& Configuracao() const { return FConfiguracao; }
    // The journal of the folder (Logs/historico.sqlite).
    QString ArquivoDiario() const;

private:
    // The same steps without the guard: errors escape to the caller.
    void Inicio();
    void Ciclo();
    void Limpeza();
    void LeTabela();
    void Fechamento();

    class TOcupacao {
    public:
        explicit TOcupacao(TMonitora& monitora);
        ~TOcupacao();
        TOcupacao(const TOcupacao&) = delete;
        TOcupacao& operator=(const TOcupacao&) = delete;

    private:
        TMonitora& FMonitora;
    };

    // Names the work in progress for its life; the previous name comes
    // back after it.
    class TTrabalho {
    public:
        TTrabalho(TMonitora& monitora, const QString& nome);
        ~TTrabalho();
        TTrabalho(const TTrabalho&) = delete;
        TTrabalho& operator=(const TTrabalho&) = delete;

    private:
        TMonitora& FMonitora;
        QString FAnterior;
        QDateTime FAnteriorDesde;
    };

    class TIndicaOcupado {
    public:
        explicit TIndicaOcupado(TRelator& relator);
        ~TIndicaOcupado();
        TIndicaOcupado(const TIndicaOcupado&) = delete;
        TIndicaOcupado& operator=(const TIndicaOcupado&) = delete;

    private:
        TRelator& FRelator;
    };

    bool Protegido(const std::function<void()>& passo);
    void DefineTimerAtivo(bool ativo);
    void DefineIndiceTipo(int indice);
    void AvisaMudanca();
    void ParaOuContinuaAposErro();
    const TVisaoFila* VisaoFila(int indice) const;
    void LeFilaNoInicio(const TVisaoFila& visao);
    void PedeLeituraFila(const TVisaoFila& visao);
    void RecebeLeituraFila(const TLinhasFila& linhas, const QString& erro);
    void AplicaAdiados();
    void LeTabelaAdiada();
    void AvisaArquivoIniAusente();
    QString FAvisoIntervalo;  // said at start-up; empty when the 59 s hold unasked
    void RemoveLogsAntigosDoDia();
    int LeChaveMonitor(const QString& chave, int padrao, const QString& seInvalida);
    TFimCiclo AvisaInicioCiclo(int indice);
    void CompletaFimCiclo(TFimCiclo& fim, std::exception_ptr erro);
    void AvisaFimCiclo(const TFimCiclo& fim);
    void DizConexoesFechadas(const TFimCiclo& fim);

    TConfiguracao FConfiguracao;
    TRelatorEntreThreads FRelatorCiclo;
    // What the integrations report through, on the cycle's thread.
    TRelatorDoCiclo FRelatorIntegracoes{FRelatorCiclo};
    TVigiaChamadas FVigiaChamadas;
    TThreadTrabalho FThread;
    std::unique_ptr<TNucleoCiclo> FNucleo;
    QList<TItemSeletor> FItens;
    QTimer FTimer1;
    TThreadTrabalho FThreadFila{QStringLiteral("fila")};
    std::unique_ptr<TLeitorFila> FLeitorFila;  // made, used and freed on FThreadFila
    TModeloFila FModeloFila;
    bool FbLendoFila = false;
    bool FbRelerFila = false;  // a switch came while a reading ran
    bool FbEncerrado = false;
    TAposErro FAposErro = TAposErro::Para;
    int FIndiceTipo = 0;
    bool FbMonitorando = true;
    bool FbLimparVisivel = false;
    std::atomic<bool> FbTimerAtivo = false;
    bool FbTabelaAdiada = false;
    int FFalhasNoCiclo = 0;
    int FOcupacoes = 0;
    QDate FDiaLogsRemovidos;
    bool FbExecucaoAnotada = false;
    TEstadoOperacao FEstado;
    QList<TObservadorCiclo*> FObservadores{&FEstado};
    qint64 FLimiteCicloMs = qint64(LimiteCicloPadraoSegundos) * 1000;
    int FIndiceIniciado = -1;
    QString FTrabalho;
    QDateTime FTrabalhoDesde;
    bool FbTabelaVisivel = false;
};
