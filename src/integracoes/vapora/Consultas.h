#pragma once

#include <QString>
#include <QStringList>

class TKoQuery;

// The helpers of the integration's queries.

// Opens the query with these lines as its statement and the lot number bound
// as :NUMERO (a bound value: the statement's translation never sees it), all
// rows fetched, on the first.
void AbreComLote(TKoQuery& consulta, const QStringList& linhas, const QString& numero);

// A column of the current row of an open query, looked up by name (the
// first column of that name when the result has two).
QString TextoDe(TKoQuery& consulta, const char* coluna);   // empty for NULL
double NumeroDe(TKoQuery& consulta, const char* coluna);   // 0 for NULL
qint64 InteiroDe(TKoQuery& consulta, const char* coluna);  // 0 for NULL
