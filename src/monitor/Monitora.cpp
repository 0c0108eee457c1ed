#include "monitor/Monitora.h"

#include "base/Erros.h"
#include "dblayer/GravaLinhaLog.h"
#include "dblayer/LogsAntigos.h"
#include "dblayer/Maquina.h"
#include "operacao/Diario.h"
#include "operacao/ChavesMonitor.h"
#include "monitor/LeitorFila.h"
#include "monitor/NucleoCiclo.h"
#include "monitor/comissionamento/VerificaConfiguracao.h"

#include <algorithm>

TMonitora::TMonitora(TRelator& relator, const TFabricasIntegracao& fabricas, const QString& pastaIni)
    : FConfiguracao(pastaIni)
    , FRelatorCiclo(relator, *this)
    , FVigiaChamadas(relator)
{
    FTimer1.setInterval(IntervaloTimer);
    FTimer1.setSingleShot(false);
    connect(&FTimer1, &QTimer::timeout, this, [this] { ExecutaCiclo(); });

    FThreadFila.Executa([this] { FLeitorFila = std::make_unique<TLeitorFila>(); });
    NoCiclo([&] { FNucleo = std::make_unique<TNucleoCiclo>(FRelatorIntegracoes, FConfiguracao, fabricas); });
    FRelatorIntegracoes.DefineObservadores(&FObservadores);
    FVigiaChamadas.DefineObservadores(&FObservadores);
    FLimiteCicloMs = qint64(LeChaveMonitor(QStringLiteral("LimiteCicloSegundos"), LimiteCicloPadraoSegundos,
                                           QStringLiteral("o limite do ciclo é de %1 s").arg(LimiteCicloPadraoSegundos)))
                   * 1000;
    for (const auto& [indice, integracao] : FNucleo->Integracoes())
        FItens << TItemSeletor{indice, integracao->Legenda()};
    if (!FItens.isEmpty())
        FIndiceTipo = FItens.front().Indice;
}

TMonitora::~TMonitora()
{
    FTimer1.stop();
    FbEncerrado = true;
    // Each thread's connections are closed and freed there; the queue's
    // after a reading still running, whose rows are no longer shown.
    FThreadFila.Executa([this] { FLeitorFila.reset(); });
    NoCiclo([this] { FNucleo.reset(); });
}

QString TMonitora::ArquivoDiario() const { return TDiario::Arquivo(FConfiguracao.Pasta()); }

void TMonitora::AdicionaObservador(TObservadorCiclo* observador)
{
    if (!FObservadores.contains(observador))
        FObservadores << observador;
}

void TMonitora::RemoveObservador(TObservadorCiclo* observador) { FObservadores.removeAll(observador); }

QString TMonitora::NomeDaConexao(const QString& componente) const
{
    if (componente == QLatin1String("KoDatabase1"))
        return QStringLiteral("ERP");
    if (componente == QLatin1String("KoDatabaseFila"))
        return QStringLiteral("Fila do ERP");
    for (const TItemSeletor& item : FItens)
        if (item.Indice == FIndiceIniciado && !item.Legenda.isEmpty())
            return item.Legenda;
    return componente;
}

TParametrosSaude TMonitora::ParametrosSaude() const
{
    return {TimerAtivo() || Ocupado(), FTimer1.interval(), FLimiteCicloMs};
}

TSaude TMonitora::Saude(const QDateTime& agora) const
{
    const TEstadoOperacao::TInstantaneo estado = FEstado.Instantaneo();
    return AvaliaSaude({ParametrosSaude(), estado.Desde, estado.UltimoCiclo, estado.CicloAtual,
                        FVigiaChamadas.SemResposta()},
                       agora);
}

// [Monitor] keys of whole numbers: one reading, one message for a bad value.
int TMonitora::LeChaveMonitor(const QString& chave, int padrao, const QString& seInvalida)
{
    return LeInteiroMonitor(FConfiguracao, chave, padrao, seInvalida,
                            [this](const QString& aviso) { FRelatorCiclo.AdicionaLinha(aviso); });
}

// Busy from construction to destruction: a tick is dropped, "Limpar fila"
// and a close wait, a tab switch is deferred.
TMonitora::TOcupacao::TOcupacao(TMonitora& monitora) : FMonitora(monitora)
{
    if (FMonitora.FOcupacoes++ == 0)
        FMonitora.AvisaMudanca();
}

TMonitora::TOcupacao::~TOcupacao()
{
    if (--FMonitora.FOcupacoes == 0)
        FMonitora.AvisaMudanca();
}

TMonitora::TTrabalho::TTrabalho(TMonitora& monitora, const QString& nome)
    : FMonitora(monitora), FAnterior(monitora.FTrabalho), FAnteriorDesde(monitora.FTrabalhoDesde)
{
    FMonitora.FTrabalho = nome;
    FMonitora.FTrabalhoDesde = QDateTime::currentDateTime();
    FMonitora.AvisaMudanca();
}

TMonitora::TTrabalho::~TTrabalho()
{
    FMonitora.FTrabalho = FAnterior;
    FMonitora.FTrabalhoDesde = FAnteriorDesde;
    FMonitora.AvisaMudanca();
}

// The busy indication (the window's wait cursor) while work actually runs:
// a handler that has nothing to do shows none.
TMonitora::TIndicaOcupado::TIndicaOcupado(TRelator& relator) : FRelator(relator)
{
    FRelator.IndicaOcupado(true);
}

TMonitora::TIndicaOcupado::~TIndicaOcupado() { FRelator.IndicaOcupado(false); }

void TMonitora::NoCiclo(const std::function<void()>& trabalho)
{
    const TOcupacao ocupacao(*this);
    const TIndicaOcupado indicacao(FRelatorCiclo);
    FThread.Executa(trabalho);
}

TKoDatabase& TMonitora::KoDatabase1() { return FNucleo->KoDatabase1; }

TKoTable& TMonitora::TbFila() { return FLeitorFila->TbFila; }

TKoDatabase& TMonitora::KoDatabaseFila() { return FLeitorFila->KoDatabaseFila; }

TIntegracao* TMonitora::Integracao(int indice) const { return FNucleo->Integracao(indice); }

const TVisaoFila* TMonitora::VisaoFila(int indice) const
{
    const TIntegracao* integracao = Integracao(indice);
    return integracao ? integracao->VisaoFila() : nullptr;
}

// The application's error guard: what escapes a handler is shown in the
// standard error box; an abort is silent.
bool TMonitora::Protegido(const std::function<void()>& passo)
{
    QString erro;
    try {
        passo();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (const std::exception& e) {
        erro = MensagemDoErro(e);
    } catch (...) {
        // Nothing may leave a handler into the event loop.
        erro = QStringLiteral("Erro inesperado.");
    }
    FRelatorCiclo.MostraErro(erro);
    return false;
}

bool TMonitora::Inicia() { return Protegido([this] { Inicio(); }); }
bool TMonitora::LimpaFila() { return Protegido([this] { Limpeza(); }); }
bool TMonitora::AtualizaTabela() { return Protegido([this] { LeTabela(); }); }
bool TMonitora::Encerra() { return Protegido([this] { Fechamento(); }); }

bool TMonitora::VerificaConfiguracao(const QList<TComandoCatalogo>& catalogo)
{
    // The window's cycle goes first: this waits for nothing.
    if (Ocupado())
        return false;
    bool passou = false;
    const TTrabalho trabalho(*this, QStringLiteral("Verificando a configuração"));
    const bool semErro = Protegido([&] {
        NoCiclo([&] {
            TVerificacao verificacao(FRelatorCiclo);
            ::VerificaConfiguracao(*FNucleo, FConfiguracao, catalogo, verificacao);
            passou = verificacao.Passou();
        });
    });
    return semErro && passou;
}

bool TMonitora::SimulaCiclo()
{
    const int indice = FIndiceTipo;
    // A simulated record was not sent: the journal keeps none of them, and
    // no counter counts them.
    const TTrabalho trabalho(*this, QStringLiteral("Simulando um ciclo"));
    FRelatorIntegracoes.DefineObservadores(nullptr);
    const bool ok = Protegido([this, indice] { NoCiclo([this, indice] { FNucleo->Simula(indice); }); });
    FRelatorIntegracoes.DefineObservadores(&FObservadores);
    FFalhasNoCiclo = FNucleo->FalhasNoCiclo();
    return ok;
}

bool TMonitora::ExecutaCiclo()
{
    // A tick that falls while other work runs (a "Limpar fila") is dropped:
    // posting a cycle behind that work would wait inside its event loop.
    if (Ocupado())
        return true;
    return Protegido([this] {
        try {
            Ciclo();
        } catch (const Exception& e) {
            if (FAposErro != TAposErro::Continua)
                throw;
            // A log that cannot be written is said after the cycle's own
            // error, never in its place.
            try {
                GravaLinhaLog(NomeMaquina(), IPLocal(), QString(), QStringLiteral("Erro no ciclo: ") + e.Message());
            } catch (const EInOutError& falhaLog) {
                throw Exception(e.Message() + QStringLiteral("\r\n") + falhaLog.Message());
            }
            throw;
        }
    });
}

bool TMonitora::SelecionaTipo(int indice)
{
    return Protegido([this, indice] {
        DefineIndiceTipo(indice);
        // Picking a machine type pauses polling until the user resumes it;
        // nothing is reconnected.
        FbMonitorando = false;
        DefineTimerAtivo(false);
        FbLimparVisivel = VisaoFila(indice) != nullptr;
        AvisaMudanca();
    });
}

bool TMonitora::DefineMonitorando(bool marcado)
{
    return Protegido([this, marcado] {
        FbMonitorando = marcado;
        // During a cycle the timer is off; the cycle's end decides.
        if (!Ocupado())
            DefineTimerAtivo(marcado);
        AvisaMudanca();
    });
}

void TMonitora::Inicio()
{
    const TTrabalho trabalho(*this, QStringLiteral("Iniciando"));
    AvisaArquivoIniAusente();
    if (!FAvisoIntervalo.isEmpty())
        FRelatorCiclo.AdicionaLinha(FAvisoIntervalo);
    TIntegracao* iniciada = nullptr;
    QString indiceIniciada;
    try {
        NoCiclo([this, &iniciada] { iniciada = FNucleo->Inicia(); });
        if (iniciada) {
            if (const TVisaoFila* visao = iniciada->VisaoFila())
                LeFilaNoInicio(*visao);
            DefineIndiceTipo(iniciada->Indice());
            FIndiceIniciado = iniciada->Indice();
        }
    } catch (...) {
        // The rest of start-up is skipped: polling does not start.
        ParaOuContinuaAposErro();
        throw;
    }
    FbLimparVisivel = VisaoFila(FIndiceTipo) != nullptr;
    AvisaMudanca();
    DefineTimerAtivo(FbMonitorando);
    RemoveLogsAntigosDoDia();
}

// [Monitor] DiasDeLog: the daily logs older than that many days go, at
// start-up and then once a day; empty or absent keeps them all.
void TMonitora::RemoveLogsAntigosDoDia()
{
    const QDate hoje = QDate::currentDate();
    if (FDiaLogsRemovidos == hoje)
        return;
    FDiaLogsRemovidos = hoje;
    const int dias = LeChaveMonitor(QStringLiteral("DiasDeLog"), 0, QStringLiteral("nenhum log diário é removido"));
    if (dias < 1)
        return;
    QStringList falhas;
    const int removidos = RemoveLogsAntigos(dias, hoje, falhas);
    if (removidos > 0)
        FRelatorCiclo.AdicionaLinha(QStringLiteral("Logs diários com mais de %1 dias removidos: %2.").arg(dias).arg(removidos));
    for (const QString& falha : falhas)
        FRelatorCiclo.AdicionaLinha(QStringLiteral("Não foi possível remover o log diário ") + falha);
}

void TMonitora::DefineIntervaloDoAmbiente(const QString& valor)
{
    bool ok = false;
    const int intervalo = valor.trimmed().toInt(&ok);
    if (ok && intervalo > 0) {
        FTimer1.setInterval(intervalo);
        FAvisoIntervalo = QStringLiteral("QUELIX_INTERVALO_MS=%1: o intervalo entre ciclos é de %1 ms, não de %2 s.")
                              .arg(intervalo)
                              .arg(IntervaloTimer / 1000);
        return;
    }
    FAvisoIntervalo = QStringLiteral("QUELIX_INTERVALO_MS=\"%1\" não é um número de milissegundos: "
                                     "o intervalo entre ciclos fica em %2 s.")
                          .arg(valor)
                          .arg(FTimer1.interval() / 1000);
}

void TMonitora::AvisaArquivoIniAusente()
{
    if (!FConfiguracao.Existe())
        FRelatorCiclo.AdicionaLinha(QStringLiteral("Arquivo de configuração não encontrado: ")
                                    + FConfiguracao.Caminho()
                                    + QStringLiteral(". Todas as chaves são lidas vazias."));
}

// One polling cycle, on the cycle's thread. The timer is off for the whole
// cycle, so cycles never overlap; it starts again when the cycle ends, while
// "Monitorando" is checked.
void TMonitora::Ciclo()
{
    RemoveLogsAntigosDoDia();
    DefineTimerAtivo(false);
    const int indice = FIndiceTipo;
    std::optional<TTrabalho> trabalho;
    trabalho.emplace(*this, QStringLiteral("Ciclo em andamento"));
    AvisaMudanca();
    // Busy until the observers have been told of the end: the health they
    // read then is that of a monitor in the middle of its polling.
    std::optional<TOcupacao> ocupacao(std::in_place, *this);
    TFimCiclo fim = AvisaInicioCiclo(indice);
    fim.IntervaloMs = FTimer1.interval();
    std::exception_ptr erro;
    // The observers keep what they keep of the cycle on its thread, before
    // the cycle counts as ended here.
    NoCiclo([this, indice, &fim, &erro] {
        FRelatorIntegracoes.IniciaCiclo(fim.Integracao);
        try {
            FNucleo->Ciclo(indice);
        } catch (...) {
            erro = std::current_exception();
        }
        CompletaFimCiclo(fim, erro);
        for (TObservadorCiclo* observador : FObservadores)
            observador->CicloConcluidoNaThread(fim);
    });
    FFalhasNoCiclo = fim.Falhas;
    trabalho.reset();
    AvisaFimCiclo(fim);
    ocupacao.reset();
    // The rows a cycle sent leave the queue: a grid in view is read again.
    if (FbTabelaVisivel)
        FbTabelaAdiada = true;
    if (erro) {
        DizConexoesFechadas(fim);
        ParaOuContinuaAposErro();
        LeTabelaAdiada();
        std::rethrow_exception(erro);
    }
    AplicaAdiados();
}

// The end of busy work: the timer follows "Monitorando" as the box shows it
// now (it may have been toggled meanwhile), and a tab switch deferred
// meanwhile is read now.
void TMonitora::AplicaAdiados()
{
    DefineTimerAtivo(FbMonitorando);
    LeTabelaAdiada();
    AvisaMudanca();
}

void TMonitora::LeTabelaAdiada()
{
    if (FbTabelaAdiada) {
        FbTabelaAdiada = false;
        LeTabela();
    }
}

// An error stopped start-up or a cycle. The window shows the truth: polling
// has stopped, so "Monitorando" is unchecked, and checking it resumes. The
// service goes on polling.
void TMonitora::ParaOuContinuaAposErro()
{
    if (FAposErro == TAposErro::Continua) {
        DefineTimerAtivo(FbMonitorando);
        return;
    }
    FbMonitorando = false;
    DefineTimerAtivo(false);
    AvisaMudanca();
}

// The question is asked here, on the window's thread, before any work is
// posted. The timer keeps its count: a tick that falls while the question
// is open or the queue is cleared is dropped (the monitor is busy), and the
// switch's state and a tab refresh asked for meanwhile are applied when it
// ends. Stopping the timer here would push the next cycle a whole interval
// back at every click, also on "Não".
void TMonitora::Limpeza()
{
    if (Ocupado())
        return;
    const int indice = FIndiceTipo;
    TIntegracao* integracao = Integracao(indice);
    if (!integracao || !integracao->VisaoFila())
        return;
    // Busy from the question on: a tick is dropped, a click on
    // "Monitorando" and a tab switch are applied at the end.
    struct TRetoma {
        TMonitora& m;
        ~TRetoma() { m.AplicaAdiados(); }
    } retoma{*this};
    const TOcupacao ocupacao(*this);
    {
        const TTrabalho pergunta(*this, QStringLiteral("Limpar fila: esperando a resposta"));
        if (!integracao->ConfirmaLimpaFila(FRelatorCiclo))
            return;
    }
    // A grid in view is read again when the queue has been cleared, also
    // after an error (the rows cleared before it are gone).
    if (FbTabelaVisivel)
        FbTabelaAdiada = true;
    const TTrabalho trabalho(*this, QStringLiteral("Limpando a fila"));
    int limpas = 0;
    NoCiclo([this, indice, &limpas] { limpas = FNucleo->LimpaFila(indice); });
    FRelatorCiclo.AdicionaLinha(QStringLiteral("Fila limpa: %1 tarefa(s) pendente(s) marcada(s) como limpas.")
                                    .arg(limpas));
}

void TMonitora::LeTabela()
{
    const TVisaoFila* visao = VisaoFila(FIndiceTipo);
    if (!visao)
        return;
    // The grid is read again when the busy work has ended.
    if (Ocupado()) {
        FbTabelaAdiada = true;
        return;
    }
    PedeLeituraFila(*visao);
}

// Start-up reads the queue before it goes on (a queue that cannot be read
// skips the rest of start-up), on the queue's thread while this one handles
// its events.
void TMonitora::LeFilaNoInicio(const TVisaoFila& visao)
{
    TLinhasFila linhas;
    TKoDatabase& erp = KoDatabase1();
    {
        const TOcupacao ocupacao(*this);
        const TIndicaOcupado indicacao(FRelatorCiclo);
        FThreadFila.Executa([this, &visao, &erp, &linhas] { linhas = FLeitorFila->Le(visao, erp); });
    }
    FModeloFila.DefineLinhas(std::move(linhas));
    AvisaMudanca();
}

// A tab switch posts the reading to the queue's thread and returns: a queue
// connection that hangs never holds this thread. The rows, or the error, come
// back here (RecebeLeituraFila). A switch while a reading runs asks for one
// more when it ends, so the grid shows the queue as it was after the switch.
void TMonitora::PedeLeituraFila(const TVisaoFila& visao)
{
    if (FbEncerrado)
        return;
    if (FbLendoFila) {
        FbRelerFila = true;
        return;
    }
    FbLendoFila = true;
    FRelatorCiclo.IndicaOcupado(true);
    AvisaMudanca();
    TKoDatabase* const erp = &KoDatabase1();
    TLeitorFila* const leitor = FLeitorFila.get();
    FThreadFila.Posta([this, leitor, visao, erp] {
        TLinhasFila linhas;
        QString erro;
        try {
            linhas = leitor->Le(visao, *erp);
        } catch (const std::exception& e) {
            erro = MensagemDoErro(e);
        } catch (...) {
            erro = QStringLiteral("Erro inesperado.");
        }
        QMetaObject::invokeMethod(
            this, [this, linhas = std::move(linhas), erro] { RecebeLeituraFila(linhas, erro); },
            Qt::QueuedConnection);
    });
}

// On the window's thread. A table that could not be read shows no rows (it
// is closed), and its error goes to the standard error box, as a handler's.
void TMonitora::RecebeLeituraFila(const TLinhasFila& linhas, const QString& erro)
{
    FbLendoFila = false;
    FRelatorCiclo.IndicaOcupado(false);
    if (FbEncerrado)
        return;
    if (erro.isEmpty())
        FModeloFila.DefineLinhas(linhas);
    else
        FModeloFila.Limpa();
    AvisaMudanca();
    if (!erro.isEmpty())
        FRelatorCiclo.MostraErro(erro);
    if (FbRelerFila) {
        FbRelerFila = false;
        AtualizaTabela();
    }
}

// On the cycle's thread, which owns the ERP connection:
// one statement at a time with the cycle, so a row is never resent halfway
// through a pass over it. The answer comes back here, unless the monitor
// is gone by then.
void TMonitora::PedeReenvio(qint64 ordem, const TAutorAcao& autor,
                            std::function<void(const TResultadoReenvio&)> resposta)
{
    const auto responde = [this, resposta](const TResultadoReenvio& resultado) {
        QMetaObject::invokeMethod(this, [resposta, resultado] { resposta(resultado); }, Qt::QueuedConnection);
    };
    if (FbEncerrado) {
        responde({false, QStringLiteral("O monitor está encerrando: nada foi reenviado.")});
        return;
    }
    const int indice = FIndiceTipo;
    FThread.Posta([this, indice, ordem, autor, responde] {
        TResultadoReenvio resultado;
        try {
            resultado = FNucleo->Reenvia(indice, ordem);
        } catch (const std::exception& e) {
            resultado = {false, QStringLiteral("A tarefa ORDEM %1 não foi reenviada: %2").arg(ordem).arg(MensagemDoErro(e))};
        } catch (...) {
            resultado = {false, QStringLiteral("A tarefa ORDEM %1 não foi reenviada: erro inesperado.").arg(ordem)};
        }
        if (resultado.Feito) {
            const TIntegracao* integracao = FNucleo->Integracao(indice);
            const QString linha = QStringLiteral("Reenviar pedido por %1 (%2): %3")
                                      .arg(autor.Usuario, autor.Endereco, resultado.Texto);
            FRelatorCiclo.AdicionaLinha(linha);
            const TRegistroTratado acao{TDirecaoRegistro::Acao, QStringLiteral("reenvio"), QString::number(ordem),
                                        TDesfechoRegistro::Feito, {}};
            for (TObservadorCiclo* observador : FObservadores)
                observador->AcaoRegistrada(integracao ? integracao->Legenda() : QString(), acao, linha);
        }
        responde(resultado);
    });
}

void TMonitora::PedeFilaConsole(std::function<void(const TFilaConsole&)> resposta)
{
    const TVisaoFila* visao = VisaoFila(FIndiceTipo);
    if (FbEncerrado || !visao || visao->FiltroReenviaveis.isEmpty()) {
        QMetaObject::invokeMethod(this, [resposta] { resposta({}); }, Qt::QueuedConnection);
        return;
    }
    const QString integracao = Integracao(FIndiceTipo)->Legenda();
    TKoDatabase* const erp = &KoDatabase1();
    TLeitorFila* const leitor = FLeitorFila.get();
    const QString diario = ArquivoDiario();
    FThreadFila.Posta([this, leitor, visao = *visao, erp, integracao, diario, resposta] {
        TFilaConsole fila;
        try {
            fila = leitor->LeConsole(visao, *erp, integracao, diario, MaximoReenviaveisConsole);
        } catch (const std::exception& e) {
            fila = {};
            fila.Integracao = integracao;
            fila.Erro = MensagemDoErro(e);
        } catch (...) {
            fila = {};
            fila.Integracao = integracao;
            fila.Erro = QStringLiteral("Erro inesperado.");
        }
        QMetaObject::invokeMethod(this, [resposta, fila = std::move(fila)] { resposta(fila); }, Qt::QueuedConnection);
    });
}

void TMonitora::AnotaExecucao()
{
    FbExecucaoAnotada = true;
    NoCiclo([this] {
        const QDateTime inicio = QDateTime::currentDateTime();
        for (TObservadorCiclo* observador : FObservadores)
            observador->ExecucaoIniciada(inicio);
    });
}

void TMonitora::Fechamento()
{
    const TTrabalho trabalho(*this, QStringLiteral("Encerrando"));
    DefineTimerAtivo(false);
    FbEncerrado = true;
    // Noted before the connections close: a close that fails still ends
    // the run.
    NoCiclo([this] {
        if (FbExecucaoAnotada) {
            const QDateTime parada = QDateTime::currentDateTime();
            for (TObservadorCiclo* observador : FObservadores)
                observador->ExecucaoParada(parada);
        }
        FNucleo->EncerraIntegracoes();
    });
    // The queue view reads a copy of the ERP connection: it goes first,
    // after a reading still running.
    {
        const TOcupacao ocupacao(*this);
        FThreadFila.Executa([this] { FLeitorFila->Fecha(); });
    }
    NoCiclo([this] { FNucleo->FechaErp(); });
}

void TMonitora::DefineTimerAtivo(bool ativo)
{
    // As a toolkit timer: enabling an enabled timer does not restart its count.
    if (ativo == FTimer1.isActive())
        return;
    if (ativo)
        FTimer1.start();
    else
        FTimer1.stop();
    FbTimerAtivo = ativo;
    AvisaMudanca();
}

void TMonitora::DefineIndiceTipo(int indice)
{
    const bool registrado = std::any_of(FItens.cbegin(), FItens.cend(),
                                        [indice](const TItemSeletor& item) { return item.Indice == indice; });
    if (!registrado)
        throw Exception(QStringLiteral("Tipo de máquina inválido: %1").arg(indice));
    FIndiceTipo = indice;
}

void TMonitora::AvisaMudanca()
{
    if (EstadoMudou)
        EstadoMudou();
}

// The observers of each polling cycle: the core's own counters first.
TFimCiclo TMonitora::AvisaInicioCiclo(int indice)
{
    TFimCiclo fim;
    const TIntegracao* integracao = Integracao(indice);
    fim.Integracao = integracao ? integracao->Legenda() : QString();
    fim.Inicio = QDateTime::currentDateTime();
    for (TObservadorCiclo* observador : FObservadores)
        observador->CicloIniciado({fim.Integracao, fim.Inicio});
    return fim;
}

// On the cycle's thread, when its work is done: what it left. `erro` is
// what escaped the cycle, null when nothing did.
void TMonitora::CompletaFimCiclo(TFimCiclo& fim, std::exception_ptr erro)
{
    fim.Fim = QDateTime::currentDateTime();
    fim.Falhas = FNucleo->FalhasNoCiclo();
    if (erro) {
        const QString mensagem = MensagemDoErro(erro);
        fim.Erro = mensagem.isEmpty() ? QStringLiteral("Ciclo interrompido.") : mensagem;
    }
    fim.Conexoes = FNucleo->EstadoConexoes();
    fim.Pendentes = FNucleo->Pendentes();
    if (FRelatorIntegracoes.Registros() > 0)
        fim.Enviados = FRelatorIntegracoes.Enviados();
}

// Back on the monitor's thread: the core's counters (the state the window
// shows) and the other observers.
void TMonitora::AvisaFimCiclo(const TFimCiclo& fim)
{
    for (TObservadorCiclo* observador : FObservadores)
        observador->CicloTerminado(fim);
}

// Said in the log just before the error box of a cycle, whose text is the
// error's own ("Erro KoQuery.Open: Conexão fechada"): which connections the
// cycle found or left closed.
void TMonitora::DizConexoesFechadas(const TFimCiclo& fim)
{
    QStringList fechadas;
    for (const TEstadoConexao& conexao : fim.Conexoes)
        if (!conexao.Ativa)
            fechadas << conexao.Nome;
    FRelatorCiclo.AdicionaLinha(
        QStringLiteral("O ciclo de %1 parou: %2 ").arg(fim.Integracao, fim.Erro.simplified())
        + (fechadas.isEmpty() ? QStringLiteral("(todas as conexões estão abertas).")
                              : QStringLiteral("(conexão fechada: %1).").arg(fechadas.join(QStringLiteral(", ")))));
}
