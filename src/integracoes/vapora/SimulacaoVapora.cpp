// A simulated cycle of the Vapora model: each call's envelope is shown as
// it would be posted, and the call counts as answered.
#include "integracoes/vapora/Vapora.h"

#include "integracao/Relator.h"
#include "integracoes/vapora/contratos/ServicosVapora.h"

void TVapora::DefineSimulacao(bool simula)
{
    Vapora::TClienteVapora::TEnvioSimulado envio;
    if (simula)
        envio = [this](const QString& endereco, const QString& acao, const QByteArray& envelope) {
            FRelator.AdicionaLinha(QStringLiteral("Simulação: POST %1 (SOAPAction \"%2\")").arg(endereco, acao));
            FRelator.AdicionaLinha(QString::fromUtf8(envelope));
        };
    for (const Vapora::TServicoVapora servico : Vapora::ServicosVapora())
        FDados.Cliente(servico).DefineSimulacao(envio);
}
