#pragma once

#include "dblayer/ChamadasEmCurso.h"
#include "integracao/Relator.h"
#include "operacao/ObservadorCiclo.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <map>

// Looks, every second on the thread that owns it, at the database calls in
// progress, and says once of each that has run past its limit which call it
// is and on which connection: a server that stops answering without closing
// (frozen, or a network that drops packets) can hold a call longer than any
// limit the client library keeps. The cycle's thread is the one waiting, so
// this runs on the monitor's own. Until such a call ends, the health rule
// names it (SemResposta), and the monitor's observers are told of it and of
// its end (the journal keeps it, so that `quelix --estado` names it too).
class TVigiaChamadas : public QObject {
    Q_OBJECT
public:
    explicit TVigiaChamadas(TRelator& relator);

    // The monitor's observers, read on this object's thread; none by default.
    void DefineObservadores(const QList<TObservadorCiclo*>* observadores) { FObservadores = observadores; }

    // One look now (the timer calls it every second).
    void Verifica();

    // "commit em KoDatabase1 espera há 75 s (limite de 60 s)": the words
    // of the line, which the status bar shows for the connection too.
    static QString TextoEspera(const TChamadaEmCurso& chamada, qint64 decorridos);
    static QString LinhaSemResposta(const TChamadaEmCurso& chamada, qint64 decorridos);
    static bool PassouDoLimite(const TChamadaEmCurso& chamada, std::chrono::steady_clock::time_point agora);

    // The calls past their limits at the last look, each as "SELECT em
    // KoDatabase2 há 40 s (limite de 30 s)"; empty when there are none.
    QStringList SemResposta() const;

private:
    struct TAvisada {
        TChamadaSemResposta Chamada;
        std::chrono::steady_clock::time_point Inicio;
    };

    TRelator& FRelator;
    const QList<TObservadorCiclo*>* FObservadores = nullptr;
    QTimer FTimer;
    std::map<quint64, TAvisada> FAvisadas;
};
