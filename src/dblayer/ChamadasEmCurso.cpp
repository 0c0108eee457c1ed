#include "dblayer/ChamadasEmCurso.h"

#include <QMutex>

#include <map>

namespace {

QMutex gMutex;
std::map<quint64, TChamadaEmCurso> gChamadas;
quint64 gProximoId = 1;
thread_local QString tQuem;

} // namespace

TChamadaAoServidor::TChamadaAoServidor(const QString& conexao, const QString& operacao, int limiteMs)
{
    QMutexLocker trava(&gMutex);
    FId = gProximoId++;
    gChamadas.emplace(FId, TChamadaEmCurso{FId, conexao, operacao, limiteMs, std::chrono::steady_clock::now(), tQuem});
}

TQuemEspera::TQuemEspera(const QString& quem) : FAnterior(tQuem) { tQuem = quem; }

TQuemEspera::~TQuemEspera() { tQuem = FAnterior; }

TChamadaAoServidor::~TChamadaAoServidor()
{
    QMutexLocker trava(&gMutex);
    gChamadas.erase(FId);
}

QList<TChamadaEmCurso> ChamadasEmCurso()
{
    QMutexLocker trava(&gMutex);
    QList<TChamadaEmCurso> chamadas;
    for (const auto& [id, chamada] : gChamadas)
        chamadas << chamada;
    return chamadas;
}
