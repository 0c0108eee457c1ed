// The log pane under a long life: 1 000 000 lines appended in ten rounds.
// Each round prints its cost per line and the process's resident memory;
// the pane keeps its last lines only, so both stay flat from round to round.
// Goal: the last round's cost per line and memory within 1.5x of the second's
// (the first pays for filling the pane).

#include "janela/PainelLog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>

#include <cstdio>
#include <unistd.h>

namespace {

double MemoriaResidenteMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> campos = statm.readAll().split(' ');
    return campos.size() > 1 ? campos[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : -1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication aplicacao(argc, argv);
    QPlainTextEdit* painel = CriaPainelLog(nullptr);
    painel->resize(900, 500);
    painel->show();

    constexpr int Rodadas = 10;
    constexpr int LinhasPorRodada = 100000;
    double custoSegunda = 0, memoriaSegunda = 0, custoUltima = 0, memoriaUltima = 0;
    std::printf("rodada  linhas      us/linha  memoria(MB)  linhas no painel\n");
    for (int rodada = 1; rodada <= Rodadas; ++rodada) {
        QElapsedTimer relogio;
        relogio.start();
        for (int i = 0; i < LinhasPorRodada; ++i)
            painel->appendPlainText(QStringLiteral("Erro. Programa não cadastrado na máquina para Cor AZ-090 na FAL %1")
                                        .arg((rodada - 1) * LinhasPorRodada + i));
        QApplication::processEvents();
        const double custo = relogio.nsecsElapsed() / 1000.0 / LinhasPorRodada;
        const double memoria = MemoriaResidenteMb();
        std::printf("%6d  %9d  %10.2f  %11.1f  %d\n", rodada, rodada * LinhasPorRodada, custo, memoria,
                    painel->blockCount());
        if (rodada == 2) {
            custoSegunda = custo;
            memoriaSegunda = memoria;
        }
        custoUltima = custo;
        memoriaUltima = memoria;
    }
    std::printf("razão última/segunda rodada: custo %.2f, memória %.2f (meta: até 1.5)\n", custoUltima / custoSegunda,
                memoriaUltima / memoriaSegunda);
    delete painel;
    return 0;
}
