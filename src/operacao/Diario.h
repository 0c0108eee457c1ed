#pragma once

#include "integracao/Relator.h"
#include "operacao/ObservadorCiclo.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <memory>
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
// the journal is closed, and it is opened again at the next cycle (or the
// next record, at most every MaximoSemConfirmarMs). That it is written
// again is said once, when a write has gone through: on a full disk SQLite
// opens the file and fails only when it writes. Meanwhile the records wait
// in memory (at most MaximoNaoGravados) and are written, in their order,
// when the file takes writes again.
//
// Records are committed in groups: with the first record written
// MaximoSemConfirmarMs or more after the group began, and at the cycle's
// end, so that a record costs the pass little. A pass that waits on a call
// writes no record meanwhile: a timer on the cycle's thread then commits
// the group MaximoSemConfirmarMs after it began (the thread's event loop
// runs while a call to a service waits). A process killed in a cycle loses
// the journal's records of the group in progress, never a record already
// committed.
class TDiario {
public:
    static constexpr int DiasHistoricoPadrao = 90;
    static constexpr int MaximoSemConfirmarMs = 500;
    // Records kept in memory while the file cannot be written (a full
    // disk, a folder the monitor may not write); past this the oldest go.
    static constexpr int MaximoNaoGravados = 100000;

    // The journal of a monitor's folder.
    static QString Arquivo(const QString& pasta);
    // A moment as the journal keeps it, and back (local time).
    static QString Momento(const QDateTime& momento);
    static QDateTime LeMomento(const QString& texto);

    TDiario(const QString& arquivo, std::function<void(const QString&)> avisa);
    ~TDiario();
    TDiario(const TDiario&) = delete;
    TDiario& operator=(const TDiario&) = delete;

    void CicloIniciado(const TCicloEmAndamento& ciclo);
    // `linhas`: the lines of the log pane the record wrote.
    void RegistraRegistro(const QString& integracao, const TRegistroTratado& registro, const QString& linhas);
    void CicloTerminado(const TFimCiclo& fim);

    // The run of a polling monitor: its start, and its clean stop.
    void ExecucaoIniciada(const QDateTime& inicio);
    void ExecucaoParada(const QDateTime& parada);

    // Rows older than `dias` days go, at most once a day.
    void Poda(int dias, const QDate& hoje = QDate::currentDate());

private:
    // A record as it goes into REGISTROS, kept until its group commits.
    struct TLinhaRegistro {
        QVariant Ciclo;
        QString Momento, Integracao, Direcao, Tipo, Chave, Desfecho, Linhas;
        QVariant Erro;
    };

    bool Abre();
    void Insere(const TLinhaRegistro& linha);
    void GravaNaoGravados();
    void GuardaNaoGravado(TLinhaRegistro linha);
    void CriaArquivo();
    void Falhou(const QString& onde, const QString& erro);
    void Gravou();
    void Executa(QSqlQuery& comando, const char* onde);
    void Confirma();
    void ArmaConfirmacao();
    static QString ConexoesComoTexto(const QList<TEstadoConexao>& conexoes);

    QString FArquivo;
    std::function<void(const QString&)> FAvisa;
    QString FNomeConexao;
    QSqlDatabase FBanco;
    std::optional<QSqlQuery> FInsereRegistro;
    // Records written in the open group (lost with it if its commit fails)
    // and records that wait for the file to take writes again, oldest first.
    QList<TLinhaRegistro> FNoGrupo;
    QList<TLinhaRegistro> FNaoGravados;
    qint64 FDescartados = 0;
    qint64 FCiclo = 0;   // the row of the cycle in progress; 0 outside one
    qint64 FExecucao = 0;  // the row of this run; 0 when none was noted
    bool FAvisado = false;
    QElapsedTimer FGrupo;  // valid while records wait for their commit
    std::unique_ptr<QTimer> FConfirmaGrupo;  // made on the cycle's thread at its first group
    QElapsedTimer FUltimaAbertura;
    QDate FDiaPoda;
};
