#pragma once

// Values between the server's column and parameter buffers and QVariant.
// Scaled numerics are read and written through their exact decimal text,
// never through a double. Internal to the driver.

#include "dblayer/firebird/AreaSqlda.h"

#include <QMetaType>
#include <QSql>
#include <QVariant>

class ConexaoFirebird;

namespace ConversaoFirebird {

// The type of the values data() gives for a column.
QMetaType tipoDoValor(const TipoDescrito& d, QSql::NumericalPrecisionPolicy politica);
// The type a QSqlField reports for a column (scaled numerics: Double).
QMetaType tipoDoCampo(const TipoDescrito& d);
// Length in characters for text, in bytes otherwise.
int comprimento(const TipoDescrito& d);

// The exact decimal text of an integer carrying `casas` decimals:
// (12500, 3) gives "12.500", (-5, 2) gives "-0.05".
QString textoDecimal(qint64 valor, int casas);

// Reads the column v (described as d) of the row just fetched. Blob
// contents are read in the connection's transaction; false when that fails.
bool le(const XSQLVAR& v, const TipoDescrito& d, QSql::NumericalPrecisionPolicy politica,
        ConexaoFirebird& conexao, QVariant& valor, ISC_STATUS* status);

// Fills the parameter v (described as d) with valor, keeping its bytes in
// memoria. The parameter may be re-typed so that the server converts the
// value itself (text to date or to an exact numeric, for instance).
// False with erroServidor filled (blob writing) or erro filled (a value the
// driver cannot send).
bool vincula(XSQLVAR& v, const TipoDescrito& d, const QVariant& valor, QByteArray& memoria,
             short& indicador, ConexaoFirebird& conexao, ISC_STATUS* erroServidor, QString& erro);

} // namespace ConversaoFirebird
