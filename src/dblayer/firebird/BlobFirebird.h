#pragma once

// Reading and writing blob contents in the connection's current transaction.
// Internal to the driver.

#include <ibase.h>

#include <QByteArray>

class ConexaoFirebird;

namespace BlobFirebird {

bool le(ConexaoFirebird& conexao, ISC_QUAD id, QByteArray& conteudo, ISC_STATUS* status);
bool grava(ConexaoFirebird& conexao, const QByteArray& conteudo, ISC_QUAD& id, ISC_STATUS* status);

} // namespace BlobFirebird
