#include "integracoes/eas/Eas.h"

#include "integracao/AbreConexao.h"
#include "integracao/Configuracao.h"
#include "integracoes/eas/AplicadosErp.h"
#include "integracoes/eas/EnvioEas.h"
#include "integracoes/eas/RecebimentoEas.h"

TEas::TEas(TContextoIntegracao& contexto) : FContexto(contexto), FDados(contexto) {}

void TEas::ConectaBanco3()
{
    const QString secao = QStringLiteral("Banco3");
    const TConfiguracao& ini = FContexto.Configuracao;
    if (!ini.ExisteChaveIni(secao, QStringLiteral("Base")))
        FDados.AdicionaLinha(QStringLiteral("QX.ini sem [Banco3] Base: o banco do EAS (KoDatabase2) não foi "
                                            "configurado, e os passos do EAS não rodam."));
    FDados.sSchema = ini.LerIni(secao, QStringLiteral("Schema"));
    FDados.bGravaEstoque = ini.LerIni(secao, QStringLiteral("Estoque")) == QLatin1String("S");
    // A PostgreSQL host named without `servidor` is written Base=host:database.
    if (const auto erro = FBanco3.Conecta(ini, secao, ini.LerIni(secao, QStringLiteral("Base")),
                                          TServidorPostgres::SoSePresente)) {
        FDados.AdicionaLinha(LinhaConexaoNaoAberta(FDados.KoDatabase2, ini, secao, *erro));
        FDados.MostraMensagem(*erro);
    }
    ConfereTabelaAplicados(FDados);
}

QList<TKoDatabase*> TEas::Conexoes() { return FBanco3.Conexoes(); }

void TEas::Encerra() { FBanco3.Encerra(); }

void TEas::RecebeDoEas()
{
    TRecebimentoEas(FDados).RecebeDoEas();
}

void TEas::EnviaParaEas()
{
    TEnvioEas(FDados).EnviaParaEas();
}
