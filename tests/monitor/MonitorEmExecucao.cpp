#include "MonitorEmExecucao.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcessEnvironment>

#include <algorithm>
#include <stdexcept>

TMonitorEmExecucao::TMonitorEmExecucao(const QString& programa, const QStringList& argumentos,
                                       const QMap<QString, QString>& ambiente)
{
    QProcessEnvironment variaveis = QProcessEnvironment::systemEnvironment();
    for (auto i = ambiente.cbegin(); i != ambiente.cend(); ++i)
        variaveis.insert(i.key(), i.value());
    FProcesso.setProcessEnvironment(variaveis);
    FProcesso.setWorkingDirectory(QDir::tempPath());  // QX.ini is found beside the executable
    FProcesso.setReadChannel(QProcess::StandardOutput);
    FProcesso.start(programa, argumentos);
    if (!FProcesso.waitForStarted(30000))
        throw std::runtime_error("o monitor não iniciou: " + FProcesso.errorString().toStdString());
}

TMonitorEmExecucao::~TMonitorEmExecucao()
{
    if (Rodando()) {
        FProcesso.kill();
        FProcesso.waitForFinished(30000);
    }
}

void TMonitorEmExecucao::Le()
{
    FParcial += FProcesso.readAllStandardOutput();
    qsizetype fim;
    while ((fim = FParcial.indexOf('\n')) >= 0) {
        FLinhas << QString::fromUtf8(FParcial.left(fim));
        FParcial.remove(0, fim + 1);
    }
    FErros += QString::fromUtf8(FProcesso.readAllStandardError());
}

bool TMonitorEmExecucao::Espera(const std::function<bool(const QStringList&)>& condicao, int limiteMs)
{
    QElapsedTimer relogio;
    relogio.start();
    Le();
    while (!condicao(FLinhas)) {
        const qint64 resta = limiteMs - relogio.elapsed();
        if (resta <= 0)
            return false;
        if (!Rodando()) {
            Le();
            return condicao(FLinhas);
        }
        FProcesso.waitForReadyRead(int(std::min<qint64>(resta, 200)));
        Le();
    }
    return true;
}

bool TMonitorEmExecucao::EsperaLinhas(const QString& trecho, int total, int limiteMs)
{
    return Espera([&](const QStringList&) { return Conta(trecho) >= total; }, limiteMs);
}

int TMonitorEmExecucao::Conta(const QString& trecho) const
{
    return int(std::count_if(FLinhas.cbegin(), FLinhas.cend(),
                             [&](const QString& linha) { return linha.contains(trecho); }));
}

int TMonitorEmExecucao::Fim(int limiteMs)
{
    const bool terminou = FProcesso.state() == QProcess::NotRunning || FProcesso.waitForFinished(limiteMs);
    Le();
    if (!terminou)
        return -1;
    return FProcesso.exitStatus() == QProcess::NormalExit ? FProcesso.exitCode() : -1;
}
