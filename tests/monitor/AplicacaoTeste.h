#pragma once

#include <gtest/gtest.h>

#include <memory>

// The monitor's timer and connections need an application object; each test
// executable creates one for the whole run (T: QCoreApplication or
// QApplication).
template <typename T>
class TAplicacaoTeste : public ::testing::Environment {
public:
    void SetUp() override { FAplicacao = std::make_unique<T>(FArgc, FArgv); }
    void TearDown() override { FAplicacao.reset(); }

private:
    int FArgc = 1;
    char FNome[8] = "quelix";
    char* FArgv[2] = {FNome, nullptr};
    std::unique_ptr<T> FAplicacao;
};
