// What commissioning checks of the Bruma model: its data source, and the
// indexes the machine queue needs.
#include "integracoes/bruma/Bruma.h"

#include "integracao/Configuracao.h"

void TBruma::VerificaChaves(TVerificacao& verificacao) const
{
    verificacao.ChavePreenchida(FContexto.Configuracao, QStringLiteral("Banco2"), QStringLiteral("Base"));
}

// Each lot looks its number up in the queue and counts its machine's
// places: without these the queue grows slower with every lot.
QList<TIndiceNecessario> TBruma::IndicesNecessarios()
{
    if (FBanco2.Conexoes().isEmpty())
        return {};
    const QString motivo = QStringLiteral("a fila de máquina procura cada lote");
    return {{&FDados.KoDatabase2, QStringLiteral("OB"), {QStringLiteral("NUMEROOB")}, motivo},
            {&FDados.KoDatabase2, QStringLiteral("OB"), {QStringLiteral("MAQUINA")}, motivo}};
}
