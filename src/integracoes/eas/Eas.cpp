#include "integracoes/eas/Eas.h"

#include "integracao/AbreConexao.h"
#include "integracao/Configuracao.h"
#include "integracoes/eas/EnvioEas.h"
#include "integracoes/eas/RecebimentoEas.h"

TEas::TEas(TContextoIntegracao& contexto) : FContexto(contexto), FDados(contexto) {}

void TEas::ConectaBanco3()
{
    TKoDatabase& banco = FDados.KoDatabase2;
    const QString secao = QStringLiteral("Banco3");
    const TConfiguracao& ini = FContexto.Configuracao;
    if (!ini.ExisteChaveIni(secao, QStringLiteral("Base")))
        FDados.AdicionaLinha(QStringLiteral("QX.ini sem [Banco3] Base: o banco do EAS (KoDatabase2) não foi "
                                            "configurado, e os passos do EAS não rodam."));
    ConfiguraDaSecao(banco, ini, secao, ini.LerIni(secao, QStringLiteral("Base")));
    FDados.sSchema = ini.LerIni(secao, QStringLiteral("Schema"));
    FDados.bGravaEstoque = ini.LerIni(secao, QStringLiteral("Estoque")) == QLatin1String("S");
    FbConfigurado = true;
    if (const auto erro = TentaAbrir(banco))
        FDados.MostraMensagem(*erro);
}

QList<TKoDatabase*> TEas::Conexoes()
{
    if (!FbConfigurado)
        return {};
    return {&FDados.KoDatabase2};
}

void TEas::Encerra()
{
    if (FDados.KoDatabase2.Connected())
        FDados.KoDatabase2.Close();
}

void TEas::RecebeDoEas()
{
    TRecebimentoEas(FDados).RecebeDoEas();
}

void TEas::EnviaParaEas()
{
    TEnvioEas(FDados).EnviaParaEas();
}
