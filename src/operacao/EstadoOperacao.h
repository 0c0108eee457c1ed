#pragma once

#include "operacao/ObservadorCiclo.h"

#include <QDateTime>
#include <QMutex>
#include <QString>

#include <array>
#include <map>
#include <optional>
#include <tuple>

// What the site's monitoring reads of a running monitor: counters of
// cycles and records, the last cycle, the cycle in progress and the state
// of each connection. Fed by the cycle's events (on the monitor's thread)
// and by one call per record handled (from any thread); read as a copy.
class TEstadoOperacao {
public:
    // Upper bounds, in seconds, of the cycle-duration histogram's buckets.
    static constexpr std::array<double, 10> LimitesDuracao{0.5, 1, 5, 15, 30, 60, 120, 300, 600, 1800};


    // A cycle's outcome, as the cycle counters name it.
    static inline const QString CicloConcluido = QStringLiteral("concluido");
    static inline const QString CicloComFalhas = QStringLiteral("com_falhas");
    static inline const QString CicloComErro = QStringLiteral("erro");

    struct TChaveRegistro {
        QString Integracao;
        QString Direcao;   // "enviado" or "recebido"
        QString Desfecho;  // "enviado", "falhou", "ignorado", "pendente"
        bool operator<(const TChaveRegistro& outra) const
        {
            return std::tie(Integracao, Direcao, Desfecho) < std::tie(outra.Integracao, outra.Direcao, outra.Desfecho);
        }
    };

    struct TInstantaneo {
        QDateTime Desde;  // when the process began to be watched
        std::map<QString, quint64> Ciclos;  // by outcome
        std::map<TChaveRegistro, quint64> Registros;
        std::map<QString, quint64> FalhasPorIntegracao;
        std::optional<TFimCiclo> UltimoCiclo;
        QString ResumoUltimoCiclo;
        QDateTime FimUltimoSucesso;  // of the last cycle no error escaped
        std::optional<QDateTime> InicioCicloAtual;
        QString IntegracaoCicloAtual;
        std::array<quint64, LimitesDuracao.size()> BaldesDuracao{};  // cumulative
        quint64 ContagemDuracao = 0;
        double SomaDuracao = 0;
        std::map<QString, bool> Conexoes;
    };

    explicit TEstadoOperacao(const QDateTime& desde = QDateTime::currentDateTime());

    void CicloIniciado(const QString& integracao, const QDateTime& inicio);
    void CicloTerminado(const TFimCiclo& fim);
    // One record handled, from whatever thread handled it.
    void ContaRegistro(const TChaveRegistro& registro);

    TInstantaneo Instantaneo() const;

    // The last cycle in one line: "14:03:12: 12 enviados, 1 falha", or its
    // error; "14:03:12: concluído, sem falhas" when no record was reported
    // one by one.
    static QString Resumo(const TFimCiclo& fim, std::optional<quint64> enviados);
    // CicloConcluido, CicloComFalhas or CicloComErro.
    static QString Desfecho(const TFimCiclo& fim);

private:
    mutable QMutex FMutex;
    TInstantaneo FEstado;
};
