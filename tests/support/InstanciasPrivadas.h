#pragma once

#include <QMap>
#include <QString>

// Server instances of one test executable alone (never the shared test
// servers), for the tests that kill, stop or restart a server: a PostgreSQL
// server and a Firebird server under a state folder and on ports of their
// own, without the SOAP service, run through scripts/servidores-teste.sh.
// Every method throws std::runtime_error with the script's output when it
// fails.
class TInstanciasPrivadas {
public:
    TInstanciasPrivadas(QString estado, int portaPg, int portaFb);

    // Starts what is not running (again, after Derruba) and returns the
    // environment the script prints, NAME -> value.
    QMap<QString, QString> Inicia();
    // Stops every instance, each by its own pid.
    void Para();
    // Kills the Firebird server outright ("firebird") or stops PostgreSQL at
    // once ("postgres"), as a crash would.
    void Derruba(const QString& servidor);
    // Freezes every process of that server (SIGSTOP): its connections stay
    // open and nothing answers. Descongela lets it go on (SIGCONT).
    void Congela(const QString& servidor);
    void Descongela(const QString& servidor);

    // Puts the environment of the last Inicia into this process, so that the
    // test helpers (AmbienteTeste, BancoTeste) and the programs it starts
    // use these instances.
    void Exporta() const;

    const QString& Estado() const { return FEstado; }

private:
    QString Script(const QStringList& argumentos) const;

    QString FEstado;
    int FPortaPg;
    int FPortaFb;
    QMap<QString, QString> FAmbiente;
};
