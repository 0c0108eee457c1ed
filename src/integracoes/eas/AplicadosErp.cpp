#include "integracoes/eas/AplicadosErp.h"

#include "dblayer/PreparaSemExecutar.h"
#include "integracoes/eas/DadosEas.h"

QString TabelaAplicados()
{
    return QStringLiteral("QX_EAS_APLICADOS");
}

void ConfereTabelaAplicados(TDadosEas& dados)
{
    TKoDatabase& erp = dados.KoDatabase1;
    if (dados.bTemAplicados.value_or(false) || !erp.Connected())
        return;
    const QString erro = ErroAoPreparar(erp, QStringLiteral("SELECT NRECNO FROM ") + TabelaAplicados());
    // A connection that failed says nothing of the table.
    if (!erro.isEmpty() && erp.Perdida())
        return;
    dados.bTemAplicados = erro.isEmpty();
    if (erro.isEmpty() || dados.bAusenciaAplicadosDita)
        return;
    dados.bAusenciaAplicadosDita = true;
    dados.AdicionaLinha(QStringLiteral("Tabela ") + TabelaAplicados()
                        + QStringLiteral(" ausente no ERP (KoDatabase1): os eventos do EAS são aplicados sem ela, e um "
                                         "evento aplicado cuja marcação de lido falhe é aplicado de novo no próximo "
                                         "ciclo. Crie-a com o script do ERP em sql/ (quelix --verifica confere). (")
                        + erro.simplified() + u')');
}

TAplicadosErp::TAplicadosErp(TDadosEas& dados) : FDados(dados)
{
    FConsulta.SetDatabase(&FDados.KoDatabase1);
    FConsulta.SQL.Add(QStringLiteral("SELECT NRECNO FROM ") + TabelaAplicados());
    FConsulta.SQL.Add(QStringLiteral("WHERE NRECNO = :NRECNO"));
    FInsere.SetDatabase(&FDados.KoDatabase1);
    FInsere.SQL.Add(QStringLiteral("INSERT INTO ") + TabelaAplicados() + QStringLiteral(" (NRECNO, IDTIPO)"));
    FInsere.SQL.Add(QStringLiteral("VALUES (:NRECNO, :IDTIPO)"));
}

bool TAplicadosErp::Presente() const
{
    return FDados.bTemAplicados.value_or(false);
}

bool TAplicadosErp::JaAplicado(qint64 nrecno)
{
    if (!Presente())
        return false;
    FConsulta.Close();
    FConsulta.ParamByName(QStringLiteral("NRECNO")).SetAsInteger(nrecno);
    FConsulta.Open();
    const bool achou = !FConsulta.Eof();
    FConsulta.Close();
    return achou;
}

void TAplicadosErp::Registra(qint64 nrecno, const QString& tipo)
{
    if (!Presente())
        return;
    FInsere.ParamByName(QStringLiteral("NRECNO")).SetAsInteger(nrecno);
    FInsere.ParamByName(QStringLiteral("IDTIPO")).SetAsString(tipo);
    FInsere.TryExecSQL();
}
