#pragma once

#include "soap/ChamadaSoap.h"

#include <QByteArray>
#include <QString>

inline constexpr char EspacoEnvelopeSoap[] = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr char EspacoCodificacaoSoap[] = "http://schemas.xmlsoap.org/soap/encoding/";

// The SOAP 1.1 request of a call, as UTF-8 XML: the body holds one element
// named after the operation in the services' namespace `espaco`; the
// parameters are unqualified children in declared order.
QByteArray MontaEnvelopeSoap(const TChamadaSoap& chamada, const QString& espaco);
