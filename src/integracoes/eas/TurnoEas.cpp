#include "integracoes/eas/TurnoEas.h"

#include "dblayer/KoDatabase.h"

TBuscaTurno::TBuscaTurno(TKoDatabase& erp) : FErp(erp)
{
    FDia.SetDatabase(&FErp);
    FDia.SQL.Add(QStringLiteral("SELECT TURNO FROM TURNO_HORARIOS_001 WHERE DIA = :DIA"));
    FDia.SQL.Add(QStringLiteral("AND ENTRADA <= :HORA AND SAIDA >= :HORA"));
}

int TBuscaTurno::DiaDaSemana(const QDate& data)
{
    return data.dayOfWeek() % 7 + 1;
}

QString TBuscaTurno::Turno(const QDate& data, const QTime& hora)
{
    const int dia = DiaDaSemana(data);
    FDia.Close();
    FDia.ParamByName(QStringLiteral("DIA")).SetAsInteger(dia);
    FDia.ParamByName(QStringLiteral("HORA")).SetAsTime(hora);
    FDia.Open();
    if (!FDia.Eof()) {
        const QString turno = FDia.FieldByName(QStringLiteral("TURNO")).AsString();
        FDia.Close();
        return turno;
    }
    FDia.Close();

    TKoQuery noite;
    noite.SetDatabase(&FErp);
    noite.SQL.Add(QStringLiteral("SELECT TURNO AS TURNO FROM TURNO_HORARIOS_001"));
    noite.SQL.Add(QStringLiteral("WHERE DIA = :DIA"));
    noite.SQL.Add(QStringLiteral("AND ENTRADA > SAIDA"));
    noite.SQL.Add(QStringLiteral("AND CAST(CAST(:DATA AS DATE) || ' ' || CAST(:HORA AS TIME) AS TIMESTAMP)"));
    noite.SQL.Add(QStringLiteral("    >= CAST((CAST(:DATA AS DATE) - 1) || ' ' || CAST(ENTRADA AS TIME) AS TIMESTAMP) "));
    noite.SQL.Add(QStringLiteral("AND CAST(CAST(:DATA AS DATE) || ' ' || CAST(:HORA AS TIME) AS TIMESTAMP) "));
    noite.SQL.Add(QStringLiteral("    <= CAST((CAST(:DATA AS DATE) +1) || ' ' || CAST(SAIDA AS TIME) AS TIMESTAMP)"));
    noite.SQL.Add(QStringLiteral("ORDER BY TURNO DESC"));
    noite.ParamByName(QStringLiteral("DIA")).SetAsInteger(dia);
    noite.ParamByName(QStringLiteral("DATA")).SetAsDate(data);
    noite.ParamByName(QStringLiteral("HORA")).SetAsTime(hora);
    noite.Open();
    const QString turno = noite.Eof() ? QString() : noite.FieldByName(QStringLiteral("TURNO")).AsString();
    noite.Close();
    return turno;
}
