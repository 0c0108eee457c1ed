#include "monitor/ComponentesDados.h"

namespace {

void ConfiguraConexao(TKoDatabase& banco, TKoTransaction& transacao)
{
    banco.SetGravaLog(false);
    banco.Port = 0;
    transacao.Connection = &banco;
}

void LigaConsulta(TKoQuery& consulta, TKoDatabase& banco)
{
    consulta.SetDatabase(&banco);
    consulta.TempoLimite = true;
}

} // namespace

TComponentesDados::TComponentesDados()
{
    ConfiguraConexao(KoDatabase1, KoTransaction1);
    ConfiguraConexao(KoDatabase2, KoTransaction2);
    KoDatabase2.SetDriverName(QStringLiteral("MSSQL"));

    LigaConsulta(KoQuery1, KoDatabase1);
    LigaConsulta(QryExec1, KoDatabase1);
    LigaConsulta(QryAux1, KoDatabase1);
    LigaConsulta(KoQuery2, KoDatabase2);
    LigaConsulta(QryExec2, KoDatabase2);

    TbQxIntegra.TableName = QStringLiteral("QX_INTEGRA");
    TbQxIntegra.SetDatabase(&KoDatabase1);
}
