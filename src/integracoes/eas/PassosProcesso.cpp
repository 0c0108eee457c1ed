// Passes 80 and 81: a lot started on a machine and a lot finished update
// its dyeing process rows in PROCESSO_TIN_001.
#include "integracoes/eas/RecebimentoEas.h"
#include "base/Erros.h"

#include "integracoes/eas/DadosEas.h"
#include "integracoes/eas/campos/CamposEntrada.h"
#include "integracoes/eas/campos/CamposHost.h"

namespace {

void PreencheProcesso(TKoQuery& comando, const QStringList& atribuicoes, const QStringList& condicoes)
{
    comando.DefineLinhas(QStringList{QStringLiteral("UPDATE PROCESSO_TIN_001 SET")} + atribuicoes + condicoes);
}

} // namespace

void TRecebimentoEas::Passo80()
{
    PreencheProcesso(FProcesso,
                     {QStringLiteral("CONCLUIDO = :CONCLUIDO,"), QStringLiteral("PENDENTE = :PENDENTE,"),
                      QStringLiteral("DATA_INI = :DATA_INI,"), QStringLiteral("HORA_INI = :HORA_INI,"),
                      QStringLiteral("MAQUINA = :MAQUINA")},
                     {QStringLiteral("WHERE FAL = :FAL AND FASE = '01'")});
    PassoDeLote({QStringLiteral("80"), 4, true, true, [this](const QString& fal, const QString& maquina) {
                     FProcesso.ParamByName(QStringLiteral("FAL")).SetAsString(fal);
                     FProcesso.ParamByName(QStringLiteral("CONCLUIDO")).SetAsString(QStringLiteral("N"));
                     FProcesso.ParamByName(QStringLiteral("PENDENTE")).SetAsString(QStringLiteral("S"));
                     FProcesso.ParamByName(QStringLiteral("HORA_INI")).SetAsTime(HoraHost(FHost.Campo(6)));
                     FProcesso.ParamByName(QStringLiteral("DATA_INI")).SetAsDate(DataHost(FHost.Campo(5)));
                     FProcesso.ParamByName(QStringLiteral("MAQUINA")).SetAsString(maquina);
                     FProcesso.TryExecSQL();
                 }});
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
    PassoDeLote({QStringLiteral("81"), 4, true, false,
                 [this](const QString& fal, const QString& maquina) { AplicaFim(fal, maquina); }});
}

// Dates, times and the shift are read inside the row's guard: a field that
// does not convert or a failing shift lookup fails this row alone.
void TRecebimentoEas::AplicaFim(const QString& fal, const QString& maquina)
{
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
    QString turno;
    try {
        turno = FTurno.Turno(dataFim, horaFim);
    } catch (const std::exception& erro) {
        throw ERegistroAdiado(QStringLiteral("Falha na consulta do turno: ") + MensagemDoErro(erro));
    }
    FProcesso.ParamByName(QStringLiteral("TURNO")).SetAsString(turno);
    FProcesso.TryExecSQL();
}
