#pragma once

// The pause each consumption pass makes after reading its rows and before
// applying the first one: 2 seconds, slept on the cycle's thread. Tests
// shorten it with TEsperaConsumoCurta instead of sleeping.
void EsperaAntesDosConsumos();

// Shortens the pause for as long as it lives, then puts it back.
class TEsperaConsumoCurta {
public:
    explicit TEsperaConsumoCurta(int ms = 0);
    ~TEsperaConsumoCurta();
    TEsperaConsumoCurta(const TEsperaConsumoCurta&) = delete;
    TEsperaConsumoCurta& operator=(const TEsperaConsumoCurta&) = delete;

private:
    int FAnterior;
};
