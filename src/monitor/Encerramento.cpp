#include "monitor/Encerramento.h"

#include "dblayer/GravaLinhaLog.h"
#include "dblayer/Maquina.h"

#include <cstdio>
#include <cstdlib>

void EncerraSemEsperar(const QString& motivo, int status)
{
    std::fprintf(stderr, "Quelix: %s\n", motivo.toUtf8().constData());
    std::fflush(stderr);
    std::fflush(stdout);
    try {
        GravaLinhaLog(NomeMaquina(), IPLocal(), QString(), motivo);
    } catch (...) {
        // Standard error has it; the process ends all the same.
    }
    std::_Exit(status);
}
