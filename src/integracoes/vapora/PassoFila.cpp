#include "integracoes/vapora/PassoFila.h"

#include "integracao/Configuracao.h"
#include "integracoes/vapora/Consultas.h"
#include "integracoes/vapora/ComponentesVapora.h"

namespace {

bool Ligada(const TConfiguracao& configuracao, const char* chave)
{
    return configuracao.LerIni(SecaoVapora, QString::fromLatin1(chave)) == QLatin1String("S");
}

} // namespace

TTarefaFila LeTarefa(TKoQuery& fila)
{
    return {TextoDe(fila, "tipo"), TextoDe(fila, "operacao"), TextoDe(fila, "campo1"),
            TextoDe(fila, "campo2"), TextoDe(fila, "campo3")};
}

TChavesPasso LeChavesPasso(const TConfiguracao& configuracao)
{
    return {Ligada(configuracao, "Passo"), Ligada(configuracao, "PorVariante"),
            Ligada(configuracao, "podeIniciar"), Ligada(configuracao, "VerificaCertificado")};
}

QString TPassoFila::Local(Vapora::TServicoVapora servico) const
{
    return Configuracao.LerIni(SecaoVapora, Vapora::ContratoVapora(servico).ChaveIni);
}

Vapora::TClienteVapora& TPassoFila::Cliente(Vapora::TServicoVapora servico) const
{
    Vapora::TClienteVapora& cliente = Dados.Cliente(servico);
    cliente.DefineVerificaCertificado(Chaves.VerificaCertificado);
    return cliente;
}
