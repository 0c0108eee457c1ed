#include "operacao/ObservadorDiario.h"

#include "operacao/ChavesMonitor.h"
#include "operacao/Diario.h"

#include <QThread>

#include <chrono>

TObservadorDiario::TObservadorDiario(const TConfiguracao& configuracao, std::function<void(const QString&)> avisa)
    : FConfiguracao(configuracao)
    , FArquivo(TDiario::Arquivo(configuracao.Pasta()))
    , FAvisa(std::move(avisa))
    , FThread([this] { Laco(); })
{
}

TObservadorDiario::~TObservadorDiario()
{
    {
        const std::lock_guard trava(FMutex);
        FbSaindo = true;
    }
    FSinal.notify_all();
    FThread.join();
    EntregaAvisos();
}

// The journal's thread: what is queued, in order; between writes, the open
// group is committed once it is due, so that nothing holds the file's write
// lock while nothing is written.
void TObservadorDiario::Laco()
{
    QThread::currentThread()->setObjectName(QStringLiteral("diario"));
    TDiario diario(FArquivo, [this](const QString& aviso) { Avisa(aviso); });
    std::unique_lock trava(FMutex);
    const auto haTrabalho = [this] { return !FFila.empty() || FbSaindo; };
    for (;;) {
        if (FFila.empty()) {
            if (FbSaindo)
                break;
            const std::optional<qint64> prazo = diario.MsAteConfirmar();
            if (!prazo) {
                FSinal.wait(trava, haTrabalho);
                continue;
            }
            if (*prazo > 0 && FSinal.wait_for(trava, std::chrono::milliseconds(*prazo), haTrabalho))
                continue;
            trava.unlock();
            diario.ConfirmaGrupo();
            trava.lock();
            continue;
        }
        const std::function<void(TDiario&)> escrita = std::move(FFila.front());
        FFila.pop_front();
        trava.unlock();
        escrita(diario);
        trava.lock();
        ++FEscritas;
        FSinalEscrito.notify_all();
    }
    trava.unlock();
    diario.ConfirmaGrupo();
}

void TObservadorDiario::Posta(std::function<void(TDiario&)> escrita)
{
    {
        const std::lock_guard trava(FMutex);
        FFila.push_back(std::move(escrita));
        ++FPostadas;
    }
    FSinal.notify_one();
}

bool TObservadorDiario::Espera(int limiteMs)
{
    std::unique_lock trava(FMutex);
    const quint64 alvo = FPostadas;
    return FSinalEscrito.wait_for(trava, std::chrono::milliseconds(limiteMs), [this, alvo] { return FEscritas >= alvo; });
}

// On the journal's thread: passed on to the observer's, in order.
void TObservadorDiario::Avisa(const QString& aviso)
{
    {
        const std::lock_guard trava(FMutex);
        FAvisos << aviso;
    }
    QMetaObject::invokeMethod(&FContexto, [this] { EntregaAvisos(); }, Qt::QueuedConnection);
}

void TObservadorDiario::EntregaAvisos()
{
    QStringList avisos;
    {
        const std::lock_guard trava(FMutex);
        avisos.swap(FAvisos);
    }
    for (const QString& aviso : avisos)
        FAvisa(aviso);
}

// [Monitor] DiasHistorico: read at each cycle; a value that is not a number
// of days is said once.
int TObservadorDiario::DiasHistorico()
{
    const bool avisar = !FbDiasAvisado;
    bool avisado = false;
    const int dias = LeInteiroMonitor(
        FConfiguracao, QStringLiteral("DiasHistorico"), TDiario::DiasHistoricoPadrao,
        QStringLiteral("o histórico guarda %1 dias").arg(TDiario::DiasHistoricoPadrao),
        [this, avisar, &avisado](const QString& aviso) {
            avisado = true;
            if (avisar)
                FAvisa(aviso);
        });
    FbDiasAvisado = FbDiasAvisado || avisado;
    return dias;
}

void TObservadorDiario::CicloIniciado(const TCicloEmAndamento& ciclo)
{
    const int dias = DiasHistorico();
    Posta([dias, ciclo](TDiario& diario) {
        diario.Poda(dias);
        diario.CicloIniciado(ciclo);
    });
}

void TObservadorDiario::RegistroTratado(const QString& integracao, const TRegistroTratado& registro,
                                        const QString& linhas)
{
    Posta([integracao, registro, linhas](TDiario& diario) { diario.RegistraRegistro(integracao, registro, linhas); });
}

void TObservadorDiario::AcaoRegistrada(const QString& integracao, const TRegistroTratado& registro,
                                       const QString& linhas)
{
    Posta([integracao, registro, linhas](TDiario& diario) { diario.RegistraAcao(integracao, registro, linhas); });
}

void TObservadorDiario::CicloConcluidoNaThread(const TFimCiclo& fim)
{
    Posta([fim](TDiario& diario) { diario.CicloTerminado(fim); });
    Espera(EsperaMaximaMs);
}

void TObservadorDiario::ExecucaoIniciada(const QDateTime& inicio)
{
    Posta([inicio](TDiario& diario) { diario.ExecucaoIniciada(inicio); });
    Espera(EsperaMaximaMs);
}

void TObservadorDiario::ExecucaoParada(const QDateTime& parada)
{
    Posta([parada](TDiario& diario) { diario.ExecucaoParada(parada); });
    Espera(EsperaMaximaMs);
}

void TObservadorDiario::ChamadaSemResposta(const TChamadaSemResposta& chamada)
{
    Posta([chamada](TDiario& diario) { diario.ChamadaSemResposta(chamada); });
}

void TObservadorDiario::ChamadaTerminada(const TChamadaSemResposta& chamada)
{
    const QDateTime fim = QDateTime::currentDateTime();
    Posta([chamada, fim](TDiario& diario) { diario.ChamadaTerminada(chamada, fim); });
}
