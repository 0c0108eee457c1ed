#pragma once

// The time limits of statement execution. Production code never changes
// them; tests shorten them to see a cancel and the retries without waiting
// minutes.
struct TLimitesExecucao {
    int FirebirdMs = 60000;           // driver id "FB"
    int OutrosMs = 30000;             // every other driver id
    int EsperaEntreTentativasMs = 1000;
};

TLimitesExecucao& LimitesExecucao();
