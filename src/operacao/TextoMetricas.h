#pragma once

#include "operacao/EstadoOperacao.h"
#include "operacao/RegraSaude.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>

// The media type of the Prometheus text exposition format.
inline constexpr char TipoTextoPrometheus[] = "text/plain; version=0.0.4; charset=utf-8";

// GET /metrics: the state in the Prometheus text exposition format.
QByteArray TextoPrometheus(const TEstadoOperacao::TInstantaneo& estado, const TParametrosSaude& parametros,
                           const TSaude& saude, const QDateTime& agora);

// GET /saude: the state in a small JSON object.
QJsonObject JsonSaude(const TEstadoOperacao::TInstantaneo& estado, const TParametrosSaude& parametros,
                      const TSaude& saude, const QDateTime& agora);
