#include "integracoes/vapora/Consultas.h"

#include "dblayer/KoQuery.h"

QString TextoDe(TKoQuery& consulta, const char* coluna)
{
    return consulta.FieldByName(QString::fromLatin1(coluna)).AsString();
}

double NumeroDe(TKoQuery& consulta, const char* coluna)
{
    return consulta.FieldByName(QString::fromLatin1(coluna)).AsFloat();
}

qint64 InteiroDe(TKoQuery& consulta, const char* coluna)
{
    return consulta.FieldByName(QString::fromLatin1(coluna)).AsInteger();
}

void AbreComLote(TKoQuery& consulta, const QStringList& linhas, const QString& numero)
{
    consulta.DefineLinhas(linhas);
    consulta.ParamByName(QStringLiteral("NUMERO")).SetAsString(numero);
    consulta.Open();
    consulta.First();
}
