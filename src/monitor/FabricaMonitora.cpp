#include "monitor/FabricaMonitora.h"

#include "bruma/Bruma.h"

namespace {

void RegistraBruma(TMonitora& monitora)
{
    auto bruma = std::make_shared<TBruma>(monitora.Dados(), monitora.Relator());
    monitora.RegistraOperacoes(TMonitora::IndiceBruma,
                               [bruma] { bruma->ConsultaLotesBruma(); },
                               [bruma] { bruma->EnviaLotesBruma(); });
}

} // namespace

std::unique_ptr<TMonitora> CriaMonitora(TRelator& relator, const QString& pastaIni)
{
    auto monitora = std::make_unique<TMonitora>(relator, pastaIni);
    RegistraBruma(*monitora);
    // Vapora (SelecionaFila, ProcessaFila) and EAS (RecebeDoEas,
    // EnviaParaEas) are registered here once their integrations exist.
    return monitora;
}
