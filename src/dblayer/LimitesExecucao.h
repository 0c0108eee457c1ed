#pragma once

#include <QString>

// The time limits of statement execution. Production code never changes
// them; tests shorten them to see a cancel and the retries without waiting
// minutes, through TLimitesDeTeste.
struct TLimitesExecucao {
    int FirebirdMs = 60000;           // driver id "FB"
    int OutrosMs = 30000;             // every other driver id
    int EsperaEntreTentativasMs = 1000;
    int ConfereConexaoMs = 5000;      // the liveness check before a cycle
    // How long past a call's own limit a PostgreSQL link that gives no
    // answer at all (a frozen server) is cut: the server's own limits end
    // every call that it still works on before then.
    int FolgaSemRespostaMs = 5000;
};

TLimitesExecucao& LimitesExecucao();

// The statement limit of a driver id.
int LimiteDoDriver(const QString& driverId);

// Changes the limits for one scope and puts the previous ones back when it
// ends, also when a test fails or throws half-way.
class TLimitesDeTeste {
public:
    explicit TLimitesDeTeste(const TLimitesExecucao& limites) : FAnteriores(LimitesExecucao())
    {
        LimitesExecucao() = limites;
    }
    ~TLimitesDeTeste() { LimitesExecucao() = FAnteriores; }

    TLimitesDeTeste(const TLimitesDeTeste&) = delete;
    TLimitesDeTeste& operator=(const TLimitesDeTeste&) = delete;

private:
    TLimitesExecucao FAnteriores;
};
