#pragma once

#include "operacao/ObservadorCiclo.h"
#include "operacao/TextosCiclo.h"

#include <QDateTime>
#include <QMutex>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <set>
#include <tuple>

// What the site's monitoring reads of a running monitor: counters of
// cycles and records, the last cycle, the cycle in progress and the state
// of each connection. An observer of the monitor's cycles: their start and
// end come on the monitor's thread, each record from the cycle's; read as a
// copy, from any thread.
class TEstadoOperacao : public TObservadorCiclo {
public:
    // Upper bounds, in seconds, of the cycle-duration histogram's buckets.
    static constexpr std::array<double, 10> LimitesDuracao{0.5, 1, 5, 15, 30, 60, 120, 300, 600, 1800};

    struct TChaveRegistro {
        QString Integracao;
        QString Direcao;   // "enviado" or "recebido"
        QString Desfecho;  // "enviado", "falhou", "ignorado", "pendente", "incerto"
        bool operator<(const TChaveRegistro& outra) const
        {
            return std::tie(Integracao, Direcao, Desfecho) < std::tie(outra.Integracao, outra.Direcao, outra.Desfecho);
        }
    };

    struct TInstantaneo {
        QDateTime Desde;  // when the process began to be watched
        std::map<TDesfechoCiclo, quint64> Ciclos;
        std::map<TChaveRegistro, quint64> Registros;
        std::map<QString, quint64> FalhasPorIntegracao;
        std::optional<TFimCiclo> UltimoCiclo;
        QDateTime FimUltimoSucesso;  // of the last cycle no error escaped
        std::optional<TCicloEmAndamento> CicloAtual;
        std::array<quint64, LimitesDuracao.size()> BaldesDuracao{};  // cumulative
        quint64 ContagemDuracao = 0;
        double SomaDuracao = 0;
        std::map<QString, bool> Conexoes;
        // By integration: the most cycles in a row one same record has
        // failed, among those that failed in its last cycle (0: none).
        std::map<QString, int> FalhasSeguidasMaximo;
    };

    explicit TEstadoOperacao(const QDateTime& desde = QDateTime::currentDateTime());

    void CicloIniciado(const TCicloEmAndamento& ciclo) override;
    void CicloTerminado(const TFimCiclo& fim) override;
    void RegistroTratado(const QString& integracao, const TRegistroTratado& registro, const QString& linhas) override;

    TInstantaneo Instantaneo() const;

private:
    void ContaFalhasSeguidas(const QString& integracao);

    using TRegistro = std::pair<QString, QString>;  // type and key

    mutable QMutex FMutex;
    TInstantaneo FEstado;
    // The records that failed in the cycle in progress, and by integration
    // those that failed in its last cycle with how many cycles in a row:
    // never more than one cycle's records.
    std::set<TRegistro> FFalharamNoCiclo;
    std::map<QString, std::map<TRegistro, int>> FFalhasSeguidas;
};
