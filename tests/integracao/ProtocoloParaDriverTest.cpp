#include "integracao/ProtocoloParaDriver.h"

#include <gtest/gtest.h>

namespace {

struct CasoProtocolo {
    const char* protocolo;
    const char* driver;
};

class MapeamentoProtocolo : public ::testing::TestWithParam<CasoProtocolo> {};

TEST_P(MapeamentoProtocolo, DaOIdDoDriver)
{
    EXPECT_EQ(ProtocoloParaDriver(QString::fromUtf8(GetParam().protocolo)), GetParam().driver)
        << GetParam().protocolo;
}

INSTANTIATE_TEST_SUITE_P(Casos, MapeamentoProtocolo, ::testing::Values(
    CasoProtocolo{"oracle", "Ora"},
    CasoProtocolo{"ORACLE11G", "Ora"},
    CasoProtocolo{"SQL-MSSQL", "MSSQL"},
    CasoProtocolo{"mssql", "MSSQL"},
    CasoProtocolo{"Postgres", "PG"},
    CasoProtocolo{"POSTGRES", "PG"},
    CasoProtocolo{"PostgreSQL", "FB"},
    CasoProtocolo{" postgres", "FB"},
    CasoProtocolo{"firebird", "FB"},
    CasoProtocolo{"", "FB"},
    CasoProtocolo{"oracle mssql", "Ora"}));

} // namespace
