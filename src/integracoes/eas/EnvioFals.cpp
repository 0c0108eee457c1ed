// The lots, their items and the phase messages of the export.
#include "integracoes/eas/EnvioEas.h"

#include "base/Apara.h"
#include "base/Erros.h"
#include "integracoes/eas/ConsultaFals.h"
#include "integracoes/eas/DadosEas.h"
#include "integracoes/eas/campos/Trecho.h"

const QStringList& LinhasFals()
{
    static const QStringList linhas{
        QStringLiteral("SELECT FAL.NUMERO, FAL.ROTEIRO, FAL.COR, (CAST(FAL.TIPO AS INTEGER)) AS NRTIPO,"),
        QStringLiteral("TRUNC((SELECT SUM(IT1.PESO) FROM FAL_ITEN_001 IT1 WHERE IT1.FAL = FAL.NUMERO) * 100) AS PESO,"),
        QStringLiteral("FAL.MAQUINA,"),
        QStringLiteral("(LPAD(EXTRACT(YEAR FROM CURRENT_DATE),4,'0')||"),
        QStringLiteral(" LPAD(EXTRACT(MONTH FROM CURRENT_DATE),2,'0') ||"),
        QStringLiteral(" LPAD(EXTRACT(DAY FROM CURRENT_DATE),2,'0'))  AS DTINICIO,"),
        QStringLiteral("(LPAD(EXTRACT(HOUR FROM CURRENT_TIME),2,'0') ||"),
        QStringLiteral(" LPAD(EXTRACT(MINUTE FROM CURRENT_TIME),2,'0')) AS HRINICIO,"),
        QStringLiteral("(LPAD(EXTRACT(YEAR FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),4,'0')||"),
        QStringLiteral(" LPAD(EXTRACT(MONTH FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),2,'0') ||"),
        QStringLiteral(" LPAD(EXTRACT(DAY FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),2,'0')) AS DTFINAL,"),
        QStringLiteral("(LPAD(EXTRACT(HOUR FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),2,'0') ||"),
        QStringLiteral(" LPAD(EXTRACT(MINUTE FROM DATEADD(10 HOUR TO CURRENT_TIMESTAMP)),2,'0')) AS HRFINAL,"),
        QStringLiteral("' ' AS PARALELO, FAL.CLIENTE,"),
        QStringLiteral("(SELECT FIRST 1 IT2.CODIGO FROM FAL_ITEN_001 IT2 WHERE IT2.FAL = FAL.NUMERO) AS ARTIGO,"),
        QStringLiteral("FAL.COR, FAL.PARTIDA, FAL.ROTEIRO,"),
        QStringLiteral("(SELECT FIRST 1 ROT.DESCRICAO FROM ROTEIRO_001 ROT WHERE ROT.CODIGO = FAL.ROTEIRO) AS DESCROTEIRO,"),
        QStringLiteral("(SELECT FIRST 1 IT2.LOTE FROM FAL_ITEN_001 IT2 WHERE IT2.FAL = FAL.NUMERO) AS LOTE,"),
        QStringLiteral("FAL.OBS, FAL.ESTAMPA,"),
        QStringLiteral("(SELECT FIRST 1 IT2.NOTA FROM FAL_ITEN_001 IT2 WHERE IT2.FAL = FAL.NUMERO) AS NOTA,"),
        QStringLiteral("TRUNC(FAL.FIBRA1) AS CO, TRUNC(FAL.FIBRA2) AS PES, ' ' AS BRANCO,"),
        QStringLiteral("20 AS CAMPO24, 1 AS CAMPO25"),
        QStringLiteral("FROM FAL_001 FAL"),
        QStringLiteral("WHERE (FAL.STATUS_EAS30 <> 'N') OR (FAL.STATUS_EAS30 IS NULL)")};
    return linhas;
}

namespace {

const QStringList& LinhasProcessos()
{
    static const QStringList linhas{
        QStringLiteral("SELECT DISTINCT PROCESSO_TIN.FAL, FASE.CODIGO AS FASE, COALESCE(FASE.ATUALIZAR,'N') AS FASE_ATUALIZAR, "),
        QStringLiteral("PROCESSO_TIN.CONCLUIDO "),
        QStringLiteral("FROM FAL_001 FAL "),
        QStringLiteral("INNER JOIN ROTEIRO_001 ROTEIRO ON (FAL.ROTEIRO = ROTEIRO.CODIGO) "),
        QStringLiteral("INNER JOIN PROCESSO_TIN_001 PROCESSO_TIN ON (FAL.NUMERO = PROCESSO_TIN.FAL AND PROCESSO_TIN.FASE = ROTEIRO.FASE) "),
        QStringLiteral("INNER JOIN FASE_001 FASE ON (PROCESSO_TIN.FASE = FASE.CODIGO) "),
        QStringLiteral("WHERE PROCESSO_TIN.FAL = :FAL"),
        QStringLiteral("AND COALESCE(FASE.ATUALIZAR,'N') = 'S'")};
    return linhas;
}

const QStringList& LinhasItens()
{
    static const QStringList linhas{
        QStringLiteral("SELECT FALITEM.FAL, '0' AS NR_SEQUENCIA, FALITEM.CODIGO, TRUNC(FALITEM.PESO * 100) AS PESO,"),
        QStringLiteral("' ' AS METROS, FALITEM.ROLO, TRUNC(FALITEM.GRAMATURA *100) AS GRAMATURA,"),
        QStringLiteral("TRUNC(FALITEM.LARGURA *100) AS LARGURA,"),
        QStringLiteral("(SELECT FIRST 1 ROT.DESCRICAO FROM ROTEIRO_001 ROT WHERE ROT.CODIGO = FALITEM.FLUXO) AS DESCROTEIRO"),
        QStringLiteral("FROM FAL_ITEN_001 FALITEM"),
        QStringLiteral("WHERE FALITEM.FAL = :FAL")};
    return linhas;
}

const QStringList& LinhasFases()
{
    static const QStringList linhas{
        QStringLiteral("SELECT FASE.CODIGO, FASE.PROCESSO_EAS, FASE.MENSAGEM_EAS"),
        QStringLiteral("FROM FASE_001 FASE"),
        QStringLiteral("WHERE FASE.PROCESSO_EAS IS NOT NULL AND FASE.PROCESSO_EAS <> ''")};
    return linhas;
}

// The lots whose phase is concluded and whose flag for the phase's
// PROCESSO_EAS is pending. The flag's name comes from the phase row: the
// caller has made sure it is a plain column name.
QStringList LinhasLotesDaFase(const QString& processo)
{
    const QString flag = QStringLiteral("FAL.STATUS_EAS") + processo;
    return {QStringLiteral("SELECT FAL.NUMERO AS FAL "),
            QStringLiteral("FROM FAL_001 FAL"),
            QStringLiteral("INNER JOIN PROCESSO_TIN_001 PTIN ON (FAL.NUMERO = PTIN.FAL AND PTIN.FASE = :FASE AND PTIN.CONCLUIDO = 'S')"),
            QStringLiteral("WHERE ((") + flag + QStringLiteral(" <> 'N') OR (") + flag + QStringLiteral(" IS NULL))")};
}

} // namespace

void TEnvioEas::EnviaFals()
{
    TKoQuery lotes;
    TKoQuery processos;
    lotes.SetDatabase(&FDados.KoDatabase1);
    processos.SetDatabase(&FDados.KoDatabase1);
    lotes.DefineLinhas(LinhasFals());
    try {
        lotes.Open();
    } catch (const std::exception& erro) {
        FDados.AdicionaLinha(QStringLiteral("Falha ao consultar a FAL. Erro: ") + MensagemDoErro(erro));
        FDados.ContaFalha();
        return;
    }
    processos.DefineLinhas(LinhasProcessos());
    for (lotes.First(); !lotes.Eof(); lotes.Next()) {
        const QString registro = MontaRegistroHost(lotes);
        const QString numeroFal = lotes.FieldByName(QStringLiteral("NUMERO")).AsString();
        if (!Liberada(processos, numeroFal))
            continue;
        // The lot and its items reach the host together or not at all: a
        // lot whose item was refused would never get that item.
        if (!FHost.GravaNoHost(QStringLiteral("30"), QStringLiteral("X"), registro, false)) {
            FDados.ContaFalha();
            FDados.Registra(TDirecaoRegistro::Saida, QStringLiteral("30"), numeroFal, TDesfechoRegistro::Falhou);
            continue;
        }
        if (!EnviaItensFal(numeroFal) || !ConfirmaNoHost()) {
            DesfazPendentes({&FDados.KoDatabase2});
            FDados.AdicionaLinha(QStringLiteral("Envio da FAL ") + numeroFal
                                 + QStringLiteral(" desfeito no EAS; a FAL fica pendente para o próximo ciclo."));
            FDados.ContaFalha();
            FDados.Registra(TDirecaoRegistro::Saida, QStringLiteral("30"), numeroFal, TDesfechoRegistro::Falhou);
            continue;
        }
        if (!Apara(numeroFal).isEmpty())
            MarcaEnviadoErp(QStringLiteral("FAL_001"), numeroFal, QStringLiteral("30"), QStringLiteral("FAL"));
        FDados.Registra(TDirecaoRegistro::Saida, QStringLiteral("30"), numeroFal, TDesfechoRegistro::Enviado);
    }
}

bool TEnvioEas::ConfirmaNoHost()
{
    try {
        FDados.KoDatabase2.CommitRetaining();
        return true;
    } catch (const std::exception& erro) {
        FDados.AdicionaLinha(QStringLiteral("Falha na confirmação do envio para EAS. Erro: ") + MensagemDoErro(erro));
        return false;
    }
}

// A lot is released when its route has no gating phase (ATUALIZAR = "S"),
// or when one of them is concluded. A failing query holds the lot: it is
// neither released nor sent, and waits for the next cycle.
bool TEnvioEas::Liberada(TKoQuery& processos, const QString& numeroFal)
{
    try {
        processos.Close();
        processos.ParamByName(QStringLiteral("FAL")).SetAsString(numeroFal);
        processos.Open();
    } catch (const std::exception& erro) {
        FDados.AdicionaLinha(QStringLiteral("Falha ao consultar os processos da FAL. Erro: ") + MensagemDoErro(erro)
                             + QStringLiteral(" A FAL ") + numeroFal + QStringLiteral(" fica retida."));
        FDados.ContaFalha();
        return false;
    }
    if (processos.Eof())
        return true;
    for (processos.First(); !processos.Eof(); processos.Next())
        if (processos.FieldByName(QStringLiteral("CONCLUIDO")).AsString() == QLatin1String("S"))
            return true;
    return false;
}

// The items go with their lot, uncommitted: the caller commits them with it.
bool TEnvioEas::EnviaItensFal(const QString& numeroFal)
{
    TKoQuery itens;
    itens.SetDatabase(&FDados.KoDatabase1);
    itens.DefineLinhas(LinhasItens());
    itens.ParamByName(QStringLiteral("FAL")).SetAsString(numeroFal);
    try {
        itens.Open();
    } catch (const std::exception& erro) {
        FDados.AdicionaLinha(QStringLiteral("Falha ao consultar os itens da FAL. Erro: ") + MensagemDoErro(erro));
        return false;
    }
    for (itens.First(); !itens.Eof(); itens.Next())
        if (!FHost.GravaNoHost(QStringLiteral("32"), QStringLiteral("X"), MontaRegistroHost(itens), false))
            return false;
    return true;
}

void TEnvioEas::EnviaMensagensFase()
{
    TKoQuery fases;
    TKoQuery lotes;
    fases.SetDatabase(&FDados.KoDatabase1);
    lotes.SetDatabase(&FDados.KoDatabase1);
    fases.DefineLinhas(LinhasFases());
    try {
        fases.Open();
    } catch (const std::exception& erro) {
        FDados.AdicionaLinha(QStringLiteral("Falha ao consultar as fases. Erro: ") + MensagemDoErro(erro));
        FDados.ContaFalha();
        return;
    }
    bool continua = true;
    for (fases.First(); continua && !fases.Eof(); fases.Next()) {
        const QString fase = fases.FieldByName(QStringLiteral("CODIGO")).AsString();
        // A CHAR column pads the value with blanks.
        const QString processo = Apara(fases.FieldByName(QStringLiteral("PROCESSO_EAS")).AsString());
        const QString mensagem = fases.FieldByName(QStringLiteral("MENSAGEM_EAS")).AsString();
        // PROCESSO_EAS names a column of FAL_001: a value that is not a
        // plain name is refused, never written into the statement.
        if (!NomeDeColunaValido(processo)) {
            FDados.AdicionaLinha(QStringLiteral("Falha na fase ") + fase
                                 + QStringLiteral(". Erro: PROCESSO_EAS inválido: ") + processo);
            FDados.ContaFalha();
            continue;
        }
        EnviaMensagensDaFase(lotes, fase, processo, mensagem, continua);
    }
}

void TEnvioEas::EnviaMensagensDaFase(TKoQuery& lotes, const QString& fase, const QString& processo,
                                     const QString& mensagem, bool& continua)
{
    lotes.DefineLinhas(LinhasLotesDaFase(processo));
    lotes.ParamByName(QStringLiteral("FASE")).SetAsString(fase);
    try {
        lotes.Open();
    } catch (const std::exception& erro) {
        // The remaining phases wait for the next cycle.
        FDados.AdicionaLinha(QStringLiteral("Falha ao consultar os apontamentos da fase. Erro: ")
                             + MensagemDoErro(erro));
        FDados.ContaFalha();
        continua = false;
        return;
    }
    const QString tipo = Esquerda(processo, 2);
    const QString texto = Apara(mensagem).isEmpty() ? mensagem : mensagem + u'|';
    for (lotes.First(); !lotes.Eof(); lotes.Next()) {
        const QString numeroFal = lotes.FieldByName(QStringLiteral("FAL")).AsString();
        if (!FHost.GravaNoHost(tipo, QStringLiteral("X"), numeroFal + u'|' + texto)) {
            FDados.ContaFalha();
            continue;
        }
        if (!Apara(numeroFal).isEmpty())
            MarcaEnviadoErp(QStringLiteral("FAL_001"), numeroFal, processo, mensagem);
    }
}
