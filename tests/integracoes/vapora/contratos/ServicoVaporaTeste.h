#pragma once

#include "ServicoSoapTeste.h"

#include "integracoes/vapora/contratos/InterfaceVapora.h"

#include <gtest/gtest.h>

#include <memory>

// A test service of each test suite's own; every test starts with it clean.
class ServicoVapora : public ::testing::Test {
protected:
    static void SetUpTestSuite() { FServico = new TServicoSoapTeste(); }
    static void TearDownTestSuite()
    {
        delete FServico;
        FServico = nullptr;
    }
    void SetUp() override { FServico->Limpa(); }

    static TServicoSoapTeste& Servico() { return *FServico; }

    // The one request the service received; fails the test otherwise.
    static TPedidoRecebido UnicaChamada()
    {
        const auto chamadas = FServico->Chamadas();
        EXPECT_EQ(chamadas.size(), 1);
        return chamadas.isEmpty() ? TPedidoRecebido{} : chamadas.last();
    }

private:
    inline static TServicoSoapTeste* FServico = nullptr;
};

// The service's interface through its own Obtem...WS operation.
std::unique_ptr<Vapora::TInterfaceVapora> ObtemPorServico(Vapora::TServicoVapora servico,
                                                         bool useDescription, const QString& location,
                                                         Vapora::TClienteVapora* client);
