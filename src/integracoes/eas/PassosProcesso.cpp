// Passes 80 and 81: a lot started on a machine and a lot finished update
// its dyeing process rows in PROCESSO_TIN_001.
#include "integracoes/eas/RecebimentoEas.h"

#include "base/Apara.h"
#include "integracoes/eas/DadosEas.h"
#include "integracoes/eas/LinhasRecebimento.h"
#include "integracoes/eas/campos/CamposEntrada.h"
#include "integracoes/eas/campos/CamposHost.h"

namespace {

void PreencheProcesso(TKoQuery& comando, const QStringList& atribuicoes, const QStringList& condicoes)
{
    comando.Close();
    comando.SQL.Clear();
    comando.SQL.Add(QStringLiteral("UPDATE PROCESSO_TIN_001 SET"));
    for (const QString& linha : atribuicoes)
        comando.SQL.Add(linha);
    for (const QString& linha : condicoes)
        comando.SQL.Add(linha);
}

} // namespace

// Events 80 and 81 apply only to a lot number other than 0 and a field 2
// that is not blank; event 92 looks at the lot number alone.
bool TRecebimentoEas::FalIgnorada(const QString& tipo, bool exigeCampo2, qint64 numeroFal)
{
    if (numeroFal != 0 && (!exigeCampo2 || !Apara(FHost.Campo(2)).isEmpty()))
        return false;
    FDados.AdicionaLinha(LinhaIgnorado(tipo, FHost.Datos()));
    return true;
}

void TRecebimentoEas::Passo80()
{
    PreencheProcesso(FProcesso,
                     {QStringLiteral("CONCLUIDO = :CONCLUIDO,"), QStringLiteral("PENDENTE = :PENDENTE,"),
                      QStringLiteral("DATA_INI = :DATA_INI,"), QStringLiteral("HORA_INI = :HORA_INI,"),
                      QStringLiteral("MAQUINA = :MAQUINA")},
                     {QStringLiteral("WHERE FAL = :FAL AND FASE = '01'")});
    if (!Seleciona(QStringLiteral("80")))
        return;
    TKoQuery& selecao = FHost.Selecao();
    for (selecao.First(); !selecao.Eof(); selecao.Next()) {
        const QString campo1 = FHost.Campo(1);
        const QString datos = FHost.Datos();
        FDados.AdicionaLinha(LinhaLendo(QStringLiteral("80"), campo1, datos));
        const qint64 numero = NumeroFalHost(campo1);
        if (!FalIgnorada(QStringLiteral("80"), true, numero)) {
            const QString fal = QString::number(numero);
            const QString maquina = FHost.Campo(4);
            try {
                FProcesso.ParamByName(QStringLiteral("FAL")).SetAsString(fal);
                FProcesso.ParamByName(QStringLiteral("CONCLUIDO")).SetAsString(QStringLiteral("N"));
                FProcesso.ParamByName(QStringLiteral("PENDENTE")).SetAsString(QStringLiteral("S"));
                FProcesso.ParamByName(QStringLiteral("HORA_INI")).SetAsTime(HoraHost(FHost.Campo(6)));
                FProcesso.ParamByName(QStringLiteral("DATA_INI")).SetAsDate(DataHost(FHost.Campo(5)));
                FProcesso.ParamByName(QStringLiteral("MAQUINA")).SetAsString(maquina);
                FProcesso.TryExecSQL();
                FDados.KoDatabase1.CommitRetaining();
                FDados.AdicionaLinha(QStringLiteral("Grava Movimentos do FTOHOST (80) - FAL: ") + fal
                                     + QStringLiteral(" MAQUINA ") + maquina);
            } catch (const std::exception& erro) {
                DesfazPendente(FDados.KoDatabase1);
                FDados.AdicionaLinha(QStringLiteral("ERRO na Gravação Movimentos do FTOHOST (80) - FAL: ") + fal
                                     + QStringLiteral(" MAQUINA ") + maquina + QStringLiteral(" Nr. Reg no 80 : ")
                                     + FHost.NrRecno() + QStringLiteral(" : ") + MensagemDoErro(erro)
                                     + QStringLiteral("Informação do Registro:") + datos);
            }
        }
        FHost.MarcaLidoHost(true);
    }
}

void TRecebimentoEas::Passo81()
{
    PreencheProcesso(FProcesso,
                     {QStringLiteral("CONCLUIDO = :CONCLUIDO,"), QStringLiteral("PENDENTE = :PENDENTE,"),
                      QStringLiteral("DATA_INI = :DATA_INI,"), QStringLiteral("HORA_INI = :HORA_INI,"),
                      QStringLiteral("MAQUINA = :MAQUINA,"), QStringLiteral("DATA_FIN = :DATA_FIN,"),
                      QStringLiteral("DATA = :DATA,"), QStringLiteral("HORA_FIN = :HORA_FIN,"),
                      QStringLiteral("FUNCIONARIO = :FUNCIONARIO,"), QStringLiteral("TURNO = :TURNO,"),
                      QStringLiteral("TEMPO = :TEMPO")},
                     {QStringLiteral("WHERE FAL = :FAL"),
                      QStringLiteral("AND FASE IN (SELECT DISTINCT CODIGO FROM FASE_001 WHERE GRUPO = '01')")});
    if (!Seleciona(QStringLiteral("81")))
        return;
    TKoQuery& selecao = FHost.Selecao();
    for (selecao.First(); !selecao.Eof(); selecao.Next()) {
        const QString campo1 = FHost.Campo(1);
        FDados.AdicionaLinha(LinhaLendo(QStringLiteral("81"), campo1, FHost.Datos()));
        const qint64 numero = NumeroFalHost(campo1);
        if (!FalIgnorada(QStringLiteral("81"), true, numero))
            AplicaFim(QString::number(numero));
        FHost.MarcaLidoHost(false);
    }
}

// Dates, times and the shift are read inside the row's guard: a field that
// does not convert or a failing shift lookup fails this row alone.
void TRecebimentoEas::AplicaFim(const QString& fal)
{
    const QString maquina = FHost.Campo(4);
    try {
        const QTime horaFim = HoraHost(FHost.Campo(8));
        const QDate dataFim = DataHost(FHost.Campo(7));
        FProcesso.ParamByName(QStringLiteral("FAL")).SetAsString(fal);
        FProcesso.ParamByName(QStringLiteral("CONCLUIDO")).SetAsString(QStringLiteral("S"));
        FProcesso.ParamByName(QStringLiteral("PENDENTE")).SetAsString(QStringLiteral("N"));
        FProcesso.ParamByName(QStringLiteral("HORA_INI")).SetAsTime(HoraHost(FHost.Campo(6)));
        FProcesso.ParamByName(QStringLiteral("DATA_INI")).SetAsDate(DataHost(FHost.Campo(5)));
        FProcesso.ParamByName(QStringLiteral("MAQUINA")).SetAsString(maquina);
        FProcesso.ParamByName(QStringLiteral("HORA_FIN")).SetAsTime(horaFim);
        FProcesso.ParamByName(QStringLiteral("DATA_FIN")).SetAsDate(dataFim);
        FProcesso.ParamByName(QStringLiteral("FUNCIONARIO")).SetAsString(FuncionarioHost(FHost.Campo(18)));
        FProcesso.ParamByName(QStringLiteral("DATA")).SetAsDate(dataFim);
        FProcesso.ParamByName(QStringLiteral("TEMPO")).SetAsString(TempoHost(FHost.Campo(20)));
        FProcesso.ParamByName(QStringLiteral("TURNO")).SetAsString(FTurno.Turno(dataFim, horaFim));
        FProcesso.TryExecSQL();
        FDados.KoDatabase1.CommitRetaining();
    } catch (const std::exception& erro) {
        DesfazPendente(FDados.KoDatabase1);
        FDados.AdicionaLinha(QStringLiteral("ERRO na Gravação Movimentos do FTOHOST (81) - FAL: ") + fal
                             + QStringLiteral(" MAQUINA ") + maquina + QStringLiteral(" Nr. Reg no 81 : ")
                             + FHost.NrRecno() + QStringLiteral(" : ") + MensagemDoErro(erro));
        return;
    }
    FDados.AdicionaLinha(QStringLiteral("Grava Movimentos do FTOHOST (81) - FAL: ") + fal + QStringLiteral(" MAQUINA ")
                         + maquina);
}
