// Feeds arbitrary DATOS through the readers of the kitchen's records: they
// must end, stay in range and raise nothing but the conversion error a date,
// a time or a quantity that is not one is allowed to raise. The first byte
// picks the field asked for and the length before an observation.

#include "base/Erros.h"
#include "integracoes/eas/campos/CamposEntrada.h"
#include "integracoes/eas/campos/CamposHost.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace {

template <typename F>
void PodeRecusar(F&& leitura)
{
    try {
        leitura();
    } catch (const EConvertError&) {
    }
}

void Confere(bool condicao)
{
    if (!condicao)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho)
{
    if (tamanho < 1 || tamanho > 8192)
        return -1;
    const int escolha = dados[0];
    const QString registro =
        QString::fromUtf8(reinterpret_cast<const char*>(dados + 1), static_cast<qsizetype>(tamanho - 1));
    const bool temSeparador = registro.contains(u'|');

    for (int n : {escolha - 1, escolha, escolha + 1, 1, 4, 7, 14, 20}) {
        const QString campo = CampoHost(registro, n);
        Confere(!temSeparador || !campo.contains(u'|'));
        Confere(campo.size() <= registro.size());
        PodeRecusar([&] {
            const QDate data = DataHost(campo);
            Confere(data.isValid());
        });
        PodeRecusar([&] {
            const QTime hora = HoraHost(campo);
            Confere(hora.isValid());
        });
        PodeRecusar([&] { QuantidadeHost(campo, u','); });
        PodeRecusar([&] { QuantidadeHost(campo, u'.'); });
        Confere(TempoHost(campo).endsWith(QStringLiteral(":00")));
        NumeroFalHost(campo);
        Confere(DocumentoHost(campo).size() <= 7);
        Confere(MaquinaHost(campo).size() <= 3);
        Confere(FuncionarioHost(campo).size() <= 4);
        EhClasse82(campo);
    }
    const QString obs = AjustaObs(registro, escolha);
    Confere(obs.size() <= qMax<qsizetype>(0, TamanhoMaximoAteObs - escolha));
    Confere(registro.startsWith(obs));
    return 0;
}
