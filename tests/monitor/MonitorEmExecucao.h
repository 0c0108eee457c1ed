#pragma once

#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>

// A running quelix (--ciclo or --sem-janela) whose log lines are read as
// they come, so that a test or a benchmark can act at a chosen point: after
// so many lots of a pass, or between two cycles.
class TMonitorEmExecucao {
public:
    // Starts `programa` with `argumentos`; `ambiente` is added to this
    // process's environment.
    TMonitorEmExecucao(const QString& programa, const QStringList& argumentos,
                       const QMap<QString, QString>& ambiente = {});
    // A monitor still running is killed.
    ~TMonitorEmExecucao();
    TMonitorEmExecucao(const TMonitorEmExecucao&) = delete;
    TMonitorEmExecucao& operator=(const TMonitorEmExecucao&) = delete;

    // Reads lines until `condicao` holds for the lines read so far (true),
    // or `limiteMs` passes or the monitor ends first (false).
    bool Espera(const std::function<bool(const QStringList&)>& condicao, int limiteMs);
    // Waits until `total` lines contain `trecho`.
    bool EsperaLinhas(const QString& trecho, int total, int limiteMs);

    // The lines of standard output so far, and how many contain `trecho`.
    const QStringList& Linhas() const { return FLinhas; }
    int Conta(const QString& trecho) const;
    // Forgets the lines read so far (a long run keeps only what it needs).
    void DescartaLinhas() { FLinhas.clear(); }
    // Standard error so far.
    const QString& Erros() const { return FErros; }

    qint64 Pid() const { return FProcesso.processId(); }
    bool Rodando() const { return FProcesso.state() != QProcess::NotRunning; }
    void Mata() { FProcesso.kill(); }           // SIGKILL: no shut-down at all
    void PedeTermino() { FProcesso.terminate(); } // SIGTERM: the ordinary shut-down
    // Waits for the end, reading what is left; the exit status, or -1 when
    // the monitor crashed, was killed or is still running after `limiteMs`.
    int Fim(int limiteMs);

private:
    void Le();

    QProcess FProcesso;
    QStringList FLinhas;
    QByteArray FParcial;
    QString FErros;
};
