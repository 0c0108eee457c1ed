#include "integracoes/eas/DadosEas.h"

#include "base/Apara.h"
#include "base/Erros.h"
#include "integracao/Relator.h"

TDadosEas::TDadosEas(TContextoIntegracao& contexto) : KoDatabase1(contexto.KoDatabase1), FContexto(contexto)
{
    KoDatabase2.setObjectName(QStringLiteral("KoDatabase2"));
    // Unconfigured until start-up reads [Banco3].
    KoDatabase2.SetDriverName(QStringLiteral("MSSQL"));
}

void TDadosEas::AdicionaLinha(const QString& linha)
{
    FContexto.Relator.AdicionaLinha(linha);
}

void TDadosEas::MostraMensagem(const QString& texto)
{
    FContexto.Relator.MostraMensagem(texto);
}

void TDadosEas::ContaFalha()
{
    ++FContexto.FalhasNoCiclo;
}

void TDadosEas::Registra(TDirecaoRegistro direcao, const QString& tipo, const QString& chave,
                         std::optional<TDesfechoRegistro> desfecho)
{
    if (!desfecho)
        desfecho = FContexto.FalhasNoCiclo > FFalhasAteUltimoRegistro ? TDesfechoRegistro::Falhou
                                                                      : TDesfechoRegistro::Enviado;
    FContexto.Relator.RegistraRegistro({direcao, tipo, Apara(chave), *desfecho, {}});
    IniciaRegistros();
}

void TDadosEas::IniciaRegistros()
{
    FFalhasAteUltimoRegistro = FContexto.FalhasNoCiclo;
}
