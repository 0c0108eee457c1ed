#pragma once

#include "operacao/ObservadorCiclo.h"
#include "operacao/RegraSaude.h"
#include "servico/AvisoSystemd.h"

#include <QString>
#include <QTimer>

#include <memory>

class TConfiguracao;
class TMonitora;
class TRelator;
class TServidorMetricas;

// What the site's monitoring sees of one monitor: the HTTP endpoint of
// [Monitor] Metricas (off when the key is empty or missing) over the
// monitor's counters and health, and the notifications of a systemd
// service. It observes the monitor's cycles and lives, with the monitor, on
// the thread of the process's main loop.
//
// systemd's status is the last cycle's summary while the monitor is
// healthy, and why it is not otherwise; past [Monitor] LimiteCicloSegundos
// the watchdog is no longer fed.
class TSupervisao : public TObservadorCiclo {
public:
    // Reads its keys from the monitor's QX.ini and starts the endpoint; an
    // address that is wrong or cannot be listened on is said through
    // `relator` (the log) and the monitor goes on without it.
    TSupervisao(TMonitora& monitora, TRelator& relator, const TConfiguracao& configuracao);
    ~TSupervisao() override;
    TSupervisao(const TSupervisao&) = delete;
    TSupervisao& operator=(const TSupervisao&) = delete;

    // Start-up has ended: systemd may consider the service started.
    void InicioConcluido();
    // Shut-down begins: the watchdog stops being fed.
    void Encerrando();

    void CicloIniciado(const TCicloEmAndamento& ciclo) override;
    void CicloTerminado(const TFimCiclo& fim) override;

private:
    void IniciaServidor(TRelator& relator, const QString& endereco);
    // systemd's status line as the health rule has it now; sent when it changes.
    QString TextoStatus() const;
    void AtualizaStatus();

    TMonitora& FMonitora;
    std::unique_ptr<TServidorMetricas> FServidor;
    TAvisoSystemd FSystemd;
    QTimer FRelogioStatus;
    QString FUltimoStatus;
    bool FbPronto = false;
};
