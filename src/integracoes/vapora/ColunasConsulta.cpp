#include "integracoes/vapora/ColunasConsulta.h"

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
