#pragma once

#include "integracao/Configuracao.h"
#include "operacao/ObservadorCiclo.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class TDiario;

// The journal of a monitor's folder (TDiario) as an observer of its cycles,
// written on a thread of its own: what it is told is queued and written
// there in the order it came. The cycle's thread never holds the file's
// write lock, and an open group is committed once it is MaximoSemConfirmarMs
// old even while the cycle waits on a server, so that a reader (`quelix
// --estado`, the window's history) sees the records so far and the call the
// cycle waits for.
//
// The cycle's end and a run's start and stop are waited for on the cycle's
// thread, at most EsperaMaximaMs: they are in the file before the cycle
// counts as ended, and before the connections close.
//
// Made, told of cycles and freed on the monitor's thread, which must keep
// handling events: what the journal has to say (see TDiario) is said through
// `avisa` there. Freeing it writes what is still queued.
class TObservadorDiario : public TObservadorCiclo {
public:
    static constexpr int EsperaMaximaMs = 5000;

    // The journal of the folder of `configuracao`, whose [Monitor]
    // DiasHistorico (default 90) days are kept.
    TObservadorDiario(const TConfiguracao& configuracao, std::function<void(const QString&)> avisa);
    ~TObservadorDiario() override;
    TObservadorDiario(const TObservadorDiario&) = delete;
    TObservadorDiario& operator=(const TObservadorDiario&) = delete;

    const QString& Arquivo() const { return FArquivo; }

    void CicloIniciado(const TCicloEmAndamento& ciclo) override;
    void RegistroTratado(const QString& integracao, const TRegistroTratado& registro, const QString& linhas) override;
    void AcaoRegistrada(const QString& integracao, const TRegistroTratado& registro, const QString& linhas) override;
    void CicloConcluidoNaThread(const TFimCiclo& fim) override;
    void CicloTerminado(const TFimCiclo& /*fim*/) override {}
    void ExecucaoIniciada(const QDateTime& inicio) override;
    void ExecucaoParada(const QDateTime& parada) override;
    void ChamadaSemResposta(const TChamadaSemResposta& chamada) override;
    void ChamadaTerminada(const TChamadaSemResposta& chamada) override;

    // Waits until what was queued before is written, at most `limiteMs`;
    // false when it was not.
    bool Espera(int limiteMs);

private:
    void Posta(std::function<void(TDiario&)> escrita);
    void Laco();
    void Avisa(const QString& aviso);
    void EntregaAvisos();
    int DiasHistorico();

    const TConfiguracao FConfiguracao;
    const QString FArquivo;
    std::function<void(const QString&)> FAvisa;
    bool FbDiasAvisado = false;
    QObject FContexto;  // of the thread the observer was made on

    std::mutex FMutex;
    std::condition_variable FSinal;        // something was queued, or the end
    std::condition_variable FSinalEscrito;
    std::deque<std::function<void(TDiario&)>> FFila;
    quint64 FPostadas = 0;
    quint64 FEscritas = 0;
    bool FbSaindo = false;
    QStringList FAvisos;  // said on the journal's thread, not yet passed on
    std::thread FThread;
};
