#pragma once

#include <QList>
#include <QString>

#include <chrono>

// The calls to a database server in progress in the process, whatever the
// thread: what names a call that stops answering. Some client libraries
// offer no bound on every call (a server frozen mid-commit holds it), so the
// monitor looks at this list and says which call it is waiting for.
struct TChamadaEmCurso {
    quint64 Id = 0;             // unique for the life of the process
    QString Conexao;            // the connection component's object name
    QString Operacao;           // "comando", "commit", ...
    int LimiteMs = 0;           // how long the call should have taken at most
    std::chrono::steady_clock::time_point Inicio;
    QString Quem;               // what waits for it (TQuemEspera); empty for the cycle
};

// Names, for the life of the object, what the calls made on this thread
// hold up ("a verificação da configuração"), so that a call that stops
// answering is said with what really waits for it.
class TQuemEspera {
public:
    explicit TQuemEspera(const QString& quem);
    ~TQuemEspera();
    TQuemEspera(const TQuemEspera&) = delete;
    TQuemEspera& operator=(const TQuemEspera&) = delete;

private:
    QString FAnterior;
};

// One call, registered for the life of the object.
class TChamadaAoServidor {
public:
    TChamadaAoServidor(const QString& conexao, const QString& operacao, int limiteMs);
    ~TChamadaAoServidor();
    TChamadaAoServidor(const TChamadaAoServidor&) = delete;
    TChamadaAoServidor& operator=(const TChamadaAoServidor&) = delete;

private:
    quint64 FId;
};

QList<TChamadaEmCurso> ChamadasEmCurso();
