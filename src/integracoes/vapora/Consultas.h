#pragma once

#include "base/Erros.h"

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

// A lot the ERP does not have: nothing is sent for the row that names it.
class ELoteNaoEncontrado : public Exception {
public:
    explicit ELoteNaoEncontrado(const QString& numero);
};

// The statement that finds a lot by its number (:NUMERO).
const QStringList& LinhasLoteExiste();
// Raises ELoteNaoEncontrado unless FAL_001 holds the lot `numero`, looked
// up with `consulta`.
void ExigeLote(TKoQuery& consulta, const QString& numero);
