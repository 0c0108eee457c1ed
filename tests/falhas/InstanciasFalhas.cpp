#include "InstanciasFalhas.h"

#include "AmbienteTeste.h"
#include "AplicacaoTeste.h"
#include "BancoTeste.h"

#include <QCoreApplication>

#include <optional>
#include <stdexcept>

namespace {

// Ports below the system's range of ephemeral ports (32768 and up): a
// server started again after a crash must find its port free, and a client
// socket of any test could otherwise hold it at that moment.
const QString kEstado = QStringLiteral("/var/tmp/quelix-falhas");
constexpr int kPortaPg = 25452;
constexpr int kPortaFb = 23070;

TInstanciasPrivadas& Instancias()
{
    static TInstanciasPrivadas instancias(kEstado, kPortaPg, kPortaFb);
    return instancias;
}

bool Iniciadas = false;
std::optional<std::string> ErroAoIniciar;

// Stops the instances after the last test.
class TParaInstancias : public ::testing::Environment {
public:
    void TearDown() override
    {
        if (Iniciadas)
            Instancias().Para();
    }
};

const auto* const Aplicacao = ::testing::AddGlobalTestEnvironment(new TAplicacaoTeste<QCoreApplication>);
const auto* const Parada = ::testing::AddGlobalTestEnvironment(new TParaInstancias);

// The test servers trade durability for speed (synchronous_commit off): a
// commit PostgreSQL acknowledged could vanish in a crash, which no monitor
// can guard against. These instances keep the promise a production server
// keeps, so that a lot lost here is the monitor's fault.
void ConfirmaNoDisco()
{
    BancoTeste::executaSqlPostgres(AmbienteTeste::pgBanco(), QStringLiteral("ALTER SYSTEM SET synchronous_commit = on;\n"
                                                                             "SELECT pg_reload_conf();"));
}

} // namespace

TInstanciasPrivadas& InstanciasFalhas()
{
    if (!Iniciadas && !ErroAoIniciar) {
        try {
            Instancias().Inicia();
            Instancias().Exporta();
            Iniciadas = true;
            ConfirmaNoDisco();
        } catch (const std::exception& e) {
            ErroAoIniciar = e.what();
        }
    }
    if (ErroAoIniciar)
        throw std::runtime_error(*ErroAoIniciar);
    return Instancias();
}

::testing::AssertionResult InstanciasProntas()
{
    try {
        InstanciasFalhas();
        return ::testing::AssertionSuccess();
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure()
            << "as instâncias dos testes de falhas (PostgreSQL 127.0.0.1:" << kPortaPg << " e Firebird 127.0.0.1:"
            << kPortaFb << " em " << kEstado.toStdString() << ") não iniciaram: " << e.what();
    }
}
