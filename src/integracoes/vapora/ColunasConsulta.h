#pragma once

#include <QString>

class TKoQuery;

// A column of the current row of an open query, looked up by name (the
// first column of that name when the result has two).
QString TextoDe(TKoQuery& consulta, const char* coluna);   // empty for NULL
double NumeroDe(TKoQuery& consulta, const char* coluna);   // 0 for NULL
qint64 InteiroDe(TKoQuery& consulta, const char* coluna);  // 0 for NULL
