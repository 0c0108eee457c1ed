#pragma once

#include "integracao/Relator.h"
#include "monitor/ObservadorCiclo.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <functional>
#include <map>
#include <optional>

// The journal of what the monitor did: one SQLite file in Logs/ (WAL, so
// that the window's history and `quelix --historico` read it while the
// monitor writes), with one row per cycle (CICLOS) and one per record an
// integration handled (REGISTROS). Moments are kept in UTC, as ISO text that
// sorts as time does.
//
// It is written on the cycle's thread, through a connection of its own.
// A monitor that polls until it is stopped also notes its run (EXECUCOES):
// when it started and when it stopped cleanly, so that a reader tells a
// stopped monitor from one waiting for its next cycle.
//
// Writing it never fails a cycle: an error is said once through `avisa`,
// the journal is closed, and the next cycle tries to open it again.
//
// Records are committed in groups: with the first record written
// MaximoSemConfirmarMs or more after the group began, and at the cycle's
// end, so that a record costs the pass little. A process killed in a cycle
// loses the journal's records of the group in progress, never a record
// already committed.
class TDiario {
public:
    static constexpr int DiasHistoricoPadrao = 90;
    static constexpr int MaximoSemConfirmarMs = 500;

    // The journal of a monitor's folder.
    static QString Arquivo(const QString& pasta);
    // A moment as the journal keeps it, and back (local time).
    static QString Momento(const QDateTime& momento);
    static QDateTime LeMomento(const QString& texto);

    TDiario(const QString& arquivo, std::function<void(const QString&)> avisa);
    ~TDiario();
    TDiario(const TDiario&) = delete;
    TDiario& operator=(const TDiario&) = delete;

    void CicloIniciado(const QString& integracao, const QDateTime& inicio);
    // `linhas`: the lines of the log pane the record wrote.
    void RegistraRegistro(const QString& integracao, const TRegistroTratado& registro, const QString& linhas);
    // `intervaloMs`: the polling interval then, which tells a reader when
    // the next cycle was due.
    void CicloTerminado(const TFimCiclo& fim, const QString& desfecho, int intervaloMs);

    // The run of a polling monitor: its start, and its clean stop.
    void ExecucaoIniciada(const QDateTime& inicio);
    void ExecucaoParada(const QDateTime& parada);

    // Rows older than `dias` days go, at most once a day.
    void Poda(int dias, const QDate& hoje = QDate::currentDate());

    bool Aberto() const { return FBanco.isOpen(); }

private:
    bool Abre();
    void Falhou(const QString& onde, const QString& erro);
    void Executa(QSqlQuery& comando, const char* onde);
    void Confirma();
    QString ConexoesComoTexto(const QList<TEstadoConexao>& conexoes, const QDateTime& agora);

    QString FArquivo;
    std::function<void(const QString&)> FAvisa;
    QString FNomeConexao;
    QSqlDatabase FBanco;
    std::optional<QSqlQuery> FInsereRegistro;
    qint64 FCiclo = 0;   // the row of the cycle in progress; 0 outside one
    qint64 FExecucao = 0;  // the row of this run; 0 when none was noted
    bool FAvisado = false;
    QElapsedTimer FGrupo;  // valid while records wait for their commit
    QDate FDiaPoda;
    // Since when each connection has been in its state.
    std::map<QString, std::pair<bool, QDateTime>> FConexoesDesde;
};
