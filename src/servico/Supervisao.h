#pragma once

#include "servico/AvisoSystemd.h"
#include "operacao/EstadoOperacao.h"
#include "operacao/ObservadorCiclo.h"
#include "operacao/RegraSaude.h"

#include <memory>

class TConfiguracao;
class TMonitora;
class TRelator;
class TServidorMetricas;

// What the site's monitoring sees of one monitor: the counters and state of
// its cycles (TEstadoOperacao), the HTTP endpoint of [Monitor] Metricas
// (off when the key is empty or missing), and the notifications of a
// systemd service. It observes the monitor's cycles and lives, with the
// monitor, on the thread of the process's main loop.
//
// [Monitor] LimiteCicloSegundos (default 1800) bounds a cycle: past it the
// watchdog is no longer fed and the health is "falha".
class TSupervisao : public TObservadorCiclo {
public:
    static constexpr int LimiteCicloPadraoSegundos = 1800;

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

    // Where each record handled is counted.
    TEstadoOperacao& Estado() { return FEstado; }
    TParametrosSaude Parametros() const;
    TSaude Saude() const;

    void CicloIniciado(const QString& integracao, const QDateTime& inicio) override;
    void CicloTerminado(const TFimCiclo& fim) override;
    void RegistroTratado(const QString& integracao, const TRegistroTratado& registro) override;

private:
    void IniciaServidor(TRelator& relator, const QString& endereco);
    bool CicloDentroDoLimite() const;

    TMonitora& FMonitora;
    TEstadoOperacao FEstado;
    qint64 FLimiteCicloMs;
    std::unique_ptr<TServidorMetricas> FServidor;
    TAvisoSystemd FSystemd;
};
