#include "integracoes/eas/RecebimentoEas.h"

#include "base/Erros.h"
#include "integracoes/eas/DadosEas.h"
#include "integracoes/eas/EsperaConsumo.h"

namespace {

void Preenche(TKoQuery& comando, TKoDatabase& banco, const QStringList& linhas)
{
    comando.SetDatabase(&banco);
    comando.DefineLinhas(linhas);
}

} // namespace

TRecebimentoEas::TRecebimentoEas(TDadosEas& dados)
    : FDados(dados), FHost(dados), FAplicados(dados), FTurno(dados.KoDatabase1)
{
    PreparaComandos();
}

void TRecebimentoEas::PreparaComandos()
{
    TKoDatabase& erp = FDados.KoDatabase1;
    Preenche(FBaixa, erp,
             {QStringLiteral("UPDATE MAT_ITEN_001 SET"),
              QStringLiteral("QTDE = (QTDE - :QTD)"),
              QStringLiteral("WHERE CODIGO   = :CODIGO"),
              QStringLiteral("  AND COR      = :COR"),
              QStringLiteral("  AND LOTE     = :LOTE"),
              QStringLiteral("  AND DEPOSITO = :DEPOSITO")});

    static const QStringList colunas{
        QStringLiteral("CODIGO"), QStringLiteral("COR"), QStringLiteral("QTDE"), QStringLiteral("CUSTO"),
        QStringLiteral("DEPOSITO"), QStringLiteral("DT_MOVTO"), QStringLiteral("GRUPO"), QStringLiteral("NUM_DOCTO"),
        QStringLiteral("OPERACAO"), QStringLiteral("PRECO"), QStringLiteral("LOTE"), QStringLiteral("DESCRICAO"),
        QStringLiteral("MAQUINA"), QStringLiteral("ORDEM")};
    QStringList movimento{QStringLiteral("INSERT INTO MAT_MOV_001 (")};
    for (qsizetype i = 0; i < colunas.size(); ++i)
        movimento << colunas[i] + (i + 1 < colunas.size() ? QStringLiteral(",") : QString());
    movimento << QStringLiteral(") VALUES (");
    for (qsizetype i = 0; i < colunas.size(); ++i)
        movimento << u':' + colunas[i] + (i + 1 < colunas.size() ? QStringLiteral(",") : QStringLiteral(")"));
    Preenche(FMovimento, erp, movimento);

    Preenche(FCusto, erp,
             {QStringLiteral("SELECT"),
              QStringLiteral("MI.preco_med,"),
              QStringLiteral("QX.preco,"),
              QStringLiteral("QX.grupo"),
              QStringLiteral("FROM MAT_ITEN_001  MI"),
              QStringLiteral("JOIN material_001  QX ON (MI.codigo = QX.codigo)"),
              QStringLiteral("where"),
              QStringLiteral("MI.codigo = :CODIGO AND"),
              QStringLiteral("MI.cor = '0' AND"),
              QStringLiteral("MI.deposito = '0000' AND"),
              QStringLiteral("mi.lote = '000000'")});
    FProcesso.SetDatabase(&erp);  // its lines are filled by passes 80 and 81
    Preenche(FMaquinaFal, erp,
             {QStringLiteral("UPDATE FAL_001 SET"),
              QStringLiteral("MAQUINA = :MAQUINA"),
              QStringLiteral("WHERE NUMERO = :FAL")});
    Preenche(FPosicaoFal, erp,
             {QStringLiteral("UPDATE FAL_001 SET"),
              QStringLiteral("ORDEM = :ORDEM"),
              QStringLiteral(",MAQUINA = :MAQUINA"),
              QStringLiteral("WHERE NUMERO = :FAL")});
    Preenche(FMaquinaProg, erp,
             {QStringLiteral("UPDATE TNG_PROG_001 SET"),
              QStringLiteral("MAQUINA = :MAQUINA"),
              QStringLiteral("WHERE FAL = :FAL")});
}

void TRecebimentoEas::RecebeDoEas()
{
    if (!FDados.KoDatabase1.Connected() || !FDados.KoDatabase2.Connected()) {
        // A pass that cannot run is said and counted, never skipped in silence.
        FDados.AdicionaLinha(QStringLiteral("Recebimento do EAS não executado: ")
                             + (FDados.KoDatabase1.Connected() ? QStringLiteral("KoDatabase2 (banco do EAS)")
                                                               : QStringLiteral("KoDatabase1 (ERP)"))
                             + QStringLiteral(" não está conectado."));
        FDados.ContaFalha();
        return;
    }
    ConfereTabelaAplicados(FDados);
    try {
        Passos();
    } catch (const TFimDoRecebimento& fim) {
        FDados.AdicionaLinha(fim.Linha);
    }
}

void TRecebimentoEas::Passos()
{
    if (FDados.bGravaEstoque && PreparaConsumos()) {
        PassoConsumo(QStringLiteral("89"));
        // The first movement of pass 82 takes the number after next.
        ++FContador;
        PassoConsumo(QStringLiteral("82"));
    }
    Passo80();
    Passo81();
    Passo92();
    Passo95();
}

void TRecebimentoEas::ConfereConexoes()
{
    for (TKoDatabase* banco : {&FDados.KoDatabase2, &FDados.KoDatabase1})
        if (banco->Perdida())
            throw TFimDoRecebimento{QStringLiteral("Recebimento do EAS interrompido: conexão ") + banco->objectName()
                                    + QStringLiteral(" perdida; os eventos restantes ficam para o próximo ciclo.")};
}

// Had the run gone on, every later row would be applied to the ERP and then
// fail its mark as well.
void TRecebimentoEas::Marca(bool comRegistro, std::optional<TDesfechoRegistro> desfecho)
{
    if (FHost.MarcaLidoHost(comRegistro, desfecho))
        return;
    ConfereConexoes();
    throw TFimDoRecebimento{QStringLiteral("Recebimento do EAS interrompido: a marcação de lido no FTOHOST falhou; os "
                                           "eventos restantes ficam para o próximo ciclo.")};
}

std::optional<bool> TRecebimentoEas::JaAplicada()
{
    const QString tipo = FHost.Tipo();
    const QString nrecno = FHost.NrRecno();
    try {
        if (!FAplicados.JaAplicado(FHost.NumeroRecno()))
            return false;
    } catch (const std::exception& erro) {
        FDados.AdicionaLinha(QStringLiteral("ERRO na consulta de ") + TabelaAplicados() + QStringLiteral(" (") + tipo
                             + QStringLiteral(") - ") + nrecno + QStringLiteral(" : ") + MensagemDoErro(erro)
                             + QStringLiteral(" (o registro fica para o próximo ciclo)"));
        FDados.ContaFalha();
        FHost.DeixaPendente();
        ConfereConexoes();
        return std::nullopt;
    }
    FDados.AdicionaLinha(QStringLiteral("Registro ") + nrecno + QStringLiteral(" do FTOHOST (") + tipo
                         + QStringLiteral(") já aplicado no ERP: só é marcado como lido"));
    return true;
}

void TRecebimentoEas::ConfirmaAplicacao()
{
    FAplicados.Registra(FHost.NumeroRecno(), FHost.Tipo());
    FDados.KoDatabase1.CommitRetaining();
}

// The deposit of every consumption of the run and the first movement
// number. When they cannot be read the consumption passes wait for the
// next cycle.
bool TRecebimentoEas::PreparaConsumos()
{
    try {
        TKoQuery consulta;
        consulta.SetDatabase(&FDados.KoDatabase1);
        consulta.DefineLinhas({QStringLiteral("SELECT CODIGO FROM DEPOSITO_001 WHERE PRIORIDADE = '1'")});
        consulta.Open();
        FDeposito = consulta.Eof() ? QString() : consulta.FieldByName(QStringLiteral("CODIGO")).AsString();
        consulta.DefineLinhas({QStringLiteral("SELECT COUNT(*) AS TOTAL FROM MAT_MOV_001")});
        consulta.Open();
        FContador = consulta.Eof() ? 1 : consulta.FieldByName(QStringLiteral("TOTAL")).AsInteger() + 1;
    } catch (const std::exception& erro) {
        FDados.AdicionaLinha(QStringLiteral("ERRO na preparação dos consumos do FTOHOST: ") + MensagemDoErro(erro));
        FDados.ContaFalha();
        ConfereConexoes();
        return false;
    }
    return true;
}

bool TRecebimentoEas::Seleciona(const QString& tipo)
{
    try {
        FHost.Seleciona(tipo);
    } catch (const std::exception& erro) {
        FDados.AdicionaLinha(QStringLiteral("ERRO na leitura do FTOHOST (") + tipo + QStringLiteral("): ")
                             + MensagemDoErro(erro));
        FDados.ContaFalha();
        ConfereConexoes();
        return false;
    }
    return true;
}
