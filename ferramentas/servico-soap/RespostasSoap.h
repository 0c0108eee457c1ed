#pragma once

#include <QByteArray>
#include <QString>

// The messages the test service answers with, and what it reads of a request.

inline constexpr char EspacoServicos[] = "http://integracao.vapora/";

// The local name of the first element in the SOAP body; empty when the
// request is not a readable SOAP envelope.
QString OperacaoDoPedido(const QByteArray& corpo);

// A SOAP response holding an empty "<operation>Response" element.
QByteArray EnvelopeSucesso(const QString& operacao);

// A SOAP fault with the fault string and the detail "BaseException" (with a
// "message" element for the yarn-type service, as it declares one).
QByteArray EnvelopeFalha(const QString& servico, const QString& textoFalha);
