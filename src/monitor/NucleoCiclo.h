#pragma once

#include "dblayer/KoDatabase.h"
#include "integracao/Integracao.h"
#include "operacao/ObservadorCiclo.h"

#include <map>
#include <memory>
#include <optional>
#include <set>

class TConfiguracao;
class TRelator;

// What lives on the cycle's thread: the ERP connection (KoDatabase1) and the
// integrations with their own connections. Every operation here runs on that
// thread (TThreadTrabalho), called by the monitor.
class TNucleoCiclo {
public:
    TNucleoCiclo(TRelator& relator, const TConfiguracao& configuracao,
                 const TFabricasIntegracao& fabricas);
    ~TNucleoCiclo();

    TKoDatabase KoDatabase1;

    TIntegracao* Integracao(int indice) const;
    const std::map<int, std::unique_ptr<TIntegracao>>& Integracoes() const { return FIntegracoes; }

    // Start-up: the ERP connection from [Banco1], then the integration of
    // the model QX.ini names. Returns that integration, if any.
    TIntegracao* Inicia();
    // The integration [ModeloAtivo] Modelo names by its first digit, if any.
    TIntegracao* IntegracaoDoModelo() const;
    void ConfiguraBanco1();

    // One polling cycle of the integration at the selector's index: its
    // connections reopened when closed or lost, its two operations, and no
    // transaction left open after it, whatever happened.
    void Ciclo(int indice);

    // The same cycle simulated (comissionamento/NucleoCicloSimulado.cpp): each write and each
    // service call shown as it goes out, nothing committed, every
    // connection's work rolled back at the end, no service called.
    void Simula(int indice);

    // "Limpar fila" of the integration of that selector index, when it keeps
    // a queue; the rows cleared.
    int LimpaFila(int indice);
    // "Reenviar" of a row of the queue of the integration of that selector
    // index: the ERP connection opened again when closed or lost, and no
    // transaction left open after it.
    TResultadoReenvio Reenvia(int indice, qint64 chave);

    // Shut-down: the integrations' connections, then the ERP's.
    void EncerraIntegracoes();
    void FechaErp();

    // Records that failed in the last cycle (their integrations count them).
    int FalhasNoCiclo() const { return FContexto.FalhasNoCiclo; }
    // The connections the last cycle used, as they stood at its end.
    const QList<TEstadoConexao>& EstadoConexoes() const { return FEstadoConexoes; }
    // The pending rows of its queue after the last cycle, when it has one
    // and they could be counted.
    std::optional<qint64> Pendentes() const { return FPendentes; }

private:
    QList<TKoDatabase*> ConexoesDe(TIntegracao* integracao);
    void ReabreSeNecessario(TKoDatabase& banco);
    void FinalizaTransacoes(const QList<TKoDatabase*>& conexoes);
    void AnotaConexoes(const QList<TKoDatabase*>& conexoes);
    std::optional<qint64> ContaPendentes(TIntegracao* integracao);

    TRelator& FRelator;
    const TConfiguracao& FConfiguracao;
    TContextoIntegracao FContexto;
    std::map<int, std::unique_ptr<TIntegracao>> FIntegracoes;
    std::set<const TKoDatabase*> FIndisponiveis;  // reported down, not yet back
    QList<TEstadoConexao> FEstadoConexoes;
    std::map<QString, std::pair<bool, QDateTime>> FConexoesDesde;  // by connection name
    std::optional<qint64> FPendentes;
};
