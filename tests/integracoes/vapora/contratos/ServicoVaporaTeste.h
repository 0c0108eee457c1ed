#pragma once

#include "ServicoSoapTeste.h"

#include "integracoes/vapora/contratos/InterfaceVapora.h"

#include <gtest/gtest.h>

#include <memory>

using ServicoVapora = ComServicoSoap;

// The service's interface through its own Obtem...WS operation.
std::unique_ptr<Vapora::TInterfaceVapora> ObtemPorServico(Vapora::TServicoVapora servico,
                                                         bool useDescription, const QString& location,
                                                         Vapora::TClienteVapora* client);
